// Input-device fields of the program state: tablet, pointer, touch and
// multi-touch tracking, and the game pad's last reading.
#pragma once

#include <cstdint>

#include "base/bitmap_types.h"

struct DeviceState {
    GdiHandle tabletContext;
    int32_t orientationFixed;
    ModuleHandle wintabModule;
    ModuleHandle multiTouchModule;
    uint32_t firstContact;
    uint32_t secondContact;
    Point firstContactPos;
    Point secondContactPos;
    Point pinchOrigin;
    int32_t trackedFinger;
    Point fingerPos;
};

// Same layout as JOYINFOEX (52 bytes).
struct GamePadReading {
    uint32_t dwSize;
    uint32_t dwFlags;
    uint32_t dwXpos;
    uint32_t dwYpos;
    uint32_t dwZpos;
    uint32_t dwRpos;
    uint32_t dwUpos;
    uint32_t dwVpos;
    uint32_t dwButtons;
    uint32_t dwButtonNumber;
    uint32_t dwPOV;
    uint32_t dwReserved1;
    uint32_t dwReserved2;
};
static_assert(sizeof(GamePadReading) == 52, "JOYINFOEX is 52 bytes");
