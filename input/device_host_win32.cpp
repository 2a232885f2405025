// The Windows device host: run-time libraries, metrics, the foreground
// window, joystick 1 and the window messages the device paths send.
#include <windows.h>

#include <mmsystem.h>

#include "base/native_handles_win32.h"
#include "input/device_host.h"

namespace {

ModuleHandle Load(const char16_t* name) {
    return ModuleFrom(LoadLibraryW(reinterpret_cast<const wchar_t*>(name)));
}

void* Find(ModuleHandle module, const char* name) {
    if (!module) return nullptr;
    return reinterpret_cast<void*>(GetProcAddress(AsModule(module), name));
}

void Free(ModuleHandle module) {
    if (module) FreeLibrary(AsModule(module));
}

int32_t Metric(int32_t index) {
    return GetSystemMetrics(index);
}

GdiHandle Foreground() {
    return GetForegroundWindow();
}

uint32_t PadCount() {
    return joyGetNumDevs();
}

uint32_t ReadPad(GamePadReading* reading) {
    static_assert(sizeof(JOYINFOEX) == sizeof(GamePadReading), "same layout");
    return joyGetPosEx(JOYSTICKID1, reinterpret_cast<JOYINFOEX*>(reading));
}

void SendCommand(GdiHandle window, uint32_t command) {
    SendMessageW(static_cast<HWND>(window), WM_COMMAND, command, 0);
}

void Invalidate(GdiHandle window) {
    InvalidateRect(static_cast<HWND>(window), nullptr, FALSE);
}

const DeviceHost host{Load,     Find,    Free,        Metric,    Foreground,
                      PadCount, ReadPad, SendCommand, Invalidate};

} // namespace

const DeviceHost* DefaultDeviceHost() {
    return &host;
}
