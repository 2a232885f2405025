// Command identifiers (the contract with every language library) and the
// arithmetic behind the commands, free of any window code.
#pragma once

#include <cstdint>

enum CommandId : uint16_t {
    kNewDrawing = 40001,
    kSaveAs = 40005,
    kQuickSave = 40006,
    kSaveCopyAs = 40007,
    kExit = 40010,
    kRefreshCommand = 40106,
    kSelectBrush = 40201,
    kRepaintCommand = 40410,
    kZoomTo = 40411, // 40411 … 40418
    kMirror = 40421,
    kRotateTo = 40431, // 40431 … 40434
    kToggleSubPixel = 40441,
    kToggleWindowOpacity = 40442,
    kAbout = 40803,
    kSelectLanguage = 40901, // 40901 + n
    kFitToWindow = 45001,
    kZoomIn = 45002,
    kZoomOut = 45003,
    kRotateRight = 45004,
    kRotateLeft = 45005,
    kPenSmaller = 45007,
    kPenLarger = 45008,
    kRotateStepRight = 45009,
    kRotateStepLeft = 45010,
    kSetTimeLimit = 46100,     // 46100 … 46107
    kToggleRecordStep = 46200, // 46200 … 46201
    kSetPlaybackSpeed = 46300, // 46300 … 46305
};

constexpr int kZoomLevels = 8;
constexpr int kTimeLimits = 8;
constexpr int kPlaybackSpeeds = 6;
constexpr int kPenSizeSteps = 37;

extern const float kZoomScales[kZoomLevels];         // 16 … 0.125
extern const int32_t kTimeLimitSeconds[kTimeLimits]; // 0, 30, … 1800
extern const double kPlaybackFactors[kPlaybackSpeeds];
extern const int32_t kPenSizes[kPenSizeSteps];

// The time-limit command for a stored index; an index outside 0 … 7 (a hand-
// edited settings file) counts as "no limit" instead of reaching other commands.
uint16_t TimeLimitCommand(int32_t index);
int64_t TimeLimitSecondsFor(int32_t index);

// The zoom command one step in or out from scale s, or 0 when there is none.
uint16_t ZoomInCommand(float scale);
uint16_t ZoomOutCommand(float scale);

// The next right angle clockwise or counter-clockwise from an angle.
int32_t RotateRightAngle(float angle);
int32_t RotateLeftAngle(float angle);

// The next pen size down or up the table of steps.
int32_t PenSmallerSize(int32_t size);
int32_t PenLargerSize(int32_t size);

// The layered-window alpha for the stored "WindowOpacity": 1 … 255 as
// stored; 0 (an invisible window) or a value past 255 give the default 128.
int32_t UsableWindowOpacity(int32_t stored);

// The playback factor of a speed index; other indexes count as 1.0.
double PlaybackFactor(int32_t index);
