// The portable build's device host: no libraries, no pad, no windows.
#include "input/device_host.h"

namespace {
ModuleHandle NoLibrary(const char16_t*) {
    return nullptr;
}
void* NoFunction(ModuleHandle, const char*) {
    return nullptr;
}
void NoFree(ModuleHandle) {}
int32_t NoMetric(int32_t) {
    return 0;
}
GdiHandle NoWindow() {
    return nullptr;
}
uint32_t NoPads() {
    return 0;
}
uint32_t NoReading(GamePadReading*) {
    return 1;
}
void NoCommand(GdiHandle, uint32_t) {}
void NoInvalidate(GdiHandle) {}
const DeviceHost host{NoLibrary, NoFunction, NoFree,    NoMetric,    NoWindow,
                      NoPads,    NoReading,  NoCommand, NoInvalidate};
} // namespace

const DeviceHost* DefaultDeviceHost() {
    return &host;
}
