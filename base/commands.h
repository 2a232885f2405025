// Command identifiers (the contract with every language library) and the
// arithmetic behind the commands, free of any window code.
#pragma once

#include <cstdint>

#include "base/command_ids.h"

enum CommandId : uint16_t {
    kNewDrawing = ID_NEW,
    kSaveAs = ID_SAVE_AS,
    kQuickSave = ID_QUICK_SAVE,
    kSaveCopyAs = ID_SAVE_COPY,
    kExit = ID_EXIT,
    kRefreshCommand = ID_REFRESH,
    kSelectBrush = ID_SELECT_BRUSH,
    kRepaintCommand = ID_REPAINT,
    kZoomTo = ID_ZOOM_16, // … ID_ZOOM_EIGHTH
    kMirror = ID_MIRROR,
    kRotateTo = ID_ROTATE_0, // … ID_ROTATE_270
    kToggleSubPixel = ID_SUB_PIXEL,
    kToggleWindowOpacity = ID_OPACITY,
    kAbout = ID_ABOUT,
    kSelectLanguage = ID_LANGUAGE_FIRST, // + n
    kFitToWindow = ID_FIT,
    kZoomIn = ID_ZOOM_IN,
    kZoomOut = ID_ZOOM_OUT,
    kRotateRight = ID_ROTATE_RIGHT,
    kRotateLeft = ID_ROTATE_LEFT,
    kPenSmaller = ID_PEN_SMALLER,
    kPenLarger = ID_PEN_LARGER,
    kRotateStepRight = ID_STEP_RIGHT,
    kRotateStepLeft = ID_STEP_LEFT,
    kSetTimeLimit = ID_LIMIT_NONE,      // … ID_LIMIT_30M
    kToggleRecordStep = ID_RECORD_OFF,  // ID_RECORD_OFF, ID_RECORD_ON
    kSetPlaybackSpeed = ID_SPEED_PAUSE, // … ID_SPEED_QUARTER
    kUndo = ID_UNDO,
    kRedo = ID_REDO,
};
static_assert(ID_ZOOM_EIGHTH == kZoomTo + 7 && ID_ROTATE_270 == kRotateTo + 3 &&
                  ID_LIMIT_30M == kSetTimeLimit + 7 && ID_RECORD_ON == kToggleRecordStep + 1 &&
                  ID_SPEED_QUARTER == kSetPlaybackSpeed + 5,
              "the command ranges are contiguous");

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
