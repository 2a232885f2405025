// The input devices' system table: the installed one or the default.
#include "input/device_host.h"

namespace {
const DeviceHost* installed = nullptr;
}

void SetDeviceHost(const DeviceHost* host) {
    installed = host;
}

const DeviceHost* TheDeviceHost() {
    return installed ? installed : DefaultDeviceHost();
}
