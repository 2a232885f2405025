// What the input devices ask of the system, as a table of functions: the
// Windows shell installs the real ones, tests install their own.
#pragma once

#include <cstdint>

#include "base/bitmap_types.h"
#include "base/device_state.h"

struct DeviceHost {
    // Libraries looked up at run time; any of them may be absent (null).
    ModuleHandle (*loadLibrary)(const char16_t* name);
    void* (*findFunction)(ModuleHandle module, const char* name);
    void (*freeLibrary)(ModuleHandle module);
    int32_t (*systemMetrics)(int32_t index);
    GdiHandle (*foregroundWindow)();
    // The first game pad: the number of pad slots, and a reading of pad 1
    // (0 on success, as the system's joystick calls report it).
    uint32_t (*padCount)();
    uint32_t (*readPad)(GamePadReading* reading);
    // Runs a menu command as WM_COMMAND (lParam 0), synchronously.
    void (*sendCommand)(GdiHandle window, uint32_t command);
    // Marks the whole client area for repainting, without erasing.
    void (*invalidate)(GdiHandle window);
};

void SetDeviceHost(const DeviceHost* host);
const DeviceHost* TheDeviceHost();

// The host's default table for this build.
const DeviceHost* DefaultDeviceHost();

// System metrics indices used by the device paths.
enum : int32_t {
    kSmXVirtualScreen = 76,
    kSmYVirtualScreen = 77,
    kSmCxVirtualScreen = 78,
    kSmCyVirtualScreen = 79,
    kSmDigitizer = 94,
};
