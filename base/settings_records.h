// The settings record and its key tables, in the layouts the system uses for
// window placements and accelerator entries.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/bitmap_types.h"

constexpr int kPathUnits = 260;

// Same layout as WINDOWPLACEMENT (44 bytes).
struct WindowPlacement {
    uint32_t length;
    uint32_t flags;
    uint32_t showCmd;
    Point ptMinPosition;
    Point ptMaxPosition;
    Rect rcNormalPosition;
};
static_assert(sizeof(WindowPlacement) == 44, "WINDOWPLACEMENT is 44 bytes");

// Same layout as the Win32 ACCEL entry (6 bytes).
struct Accel {
    uint8_t fVirt;
    uint8_t padding;
    uint16_t key;
    uint16_t cmd;
};
static_assert(sizeof(Accel) == 6, "ACCEL is 6 bytes");

enum : uint8_t { kFVirtKey = 0x01, kFShift = 0x04, kFControl = 0x08, kFAlt = 0x10 };

struct KeyTable {
    Accel* entries; // heap block of count entries, or null
    int32_t count;
    GdiHandle window;
};

struct BrushParams {
    int32_t penSize;
    int32_t penHardness;
};

struct Settings {
    WindowPlacement placement;
    BrushParams brushParams[1]; // penSize, penHardness of brush index 0
    int32_t brushIndex;
    int32_t subPixel;
    uint32_t bgColour;
    uint32_t drawingColour;
    uint32_t refColour0;
    uint32_t refColour1;
    uint32_t adjustRefSize;
    uint32_t changeRefColours;
    int32_t opacity;
    int32_t windowOpacity;
    int32_t windowOpacityOn;
    char16_t programFolder[kPathUnits];
    char16_t settingsPath[kPathUnits];
    char16_t defaultPath[kPathUnits];
    char16_t currentFile[kPathUnits];
    char16_t resourceFile[kPathUnits];
    int32_t smoothingRadius;
    KeyTable* keyboardKeys;
    KeyTable* gamepadKeys;
    int32_t timeLimitIndex;
    int32_t recordStep;
    int32_t speedIndex;
};
