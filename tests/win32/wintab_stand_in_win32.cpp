// A stand-in tablet library for the tests: a 1024-level pen without twist
// that plays a stroke of rising pressure as packet messages on request.
#include <windows.h>

#include <vector>

#include "base/pointer_sample.h"
#include "input/wintab_types.h"

namespace {

HWND target = nullptr;
LogContext opened{};
std::vector<PointerSample> stroke;
void* const kContext = reinterpret_cast<void*>(0x7AB1E7);

} // namespace

extern "C" {

__declspec(dllexport) UINT WINAPI WTInfoW(UINT category, UINT index, LPVOID output) {
    if (category == kWtiDevices && index == kDvcNPressure) {
        if (output) *static_cast<TabletAxis*>(output) = TabletAxis{0, 1023, 0, 0};
        return sizeof(TabletAxis);
    }
    if (category == kWtiDevices && index == kDvcOrientation) {
        auto* axes = static_cast<TabletAxis*>(output);
        if (axes) {
            axes[0] = TabletAxis{0, 3600, 0, 0};
            axes[1] = TabletAxis{-900, 900, 0, 0};
            axes[2] = TabletAxis{0, 0, 0, 0};
        }
        return 3 * sizeof(TabletAxis);
    }
    if (category == kWtiDefSysCtx) {
        if (output) *static_cast<LogContext*>(output) = LogContext{};
        return sizeof(LogContext);
    }
    return 0;
}

__declspec(dllexport) void* WINAPI WTOpenW(HWND window, LogContext* context, BOOL) {
    target = window;
    opened = *context;
    return kContext;
}

__declspec(dllexport) BOOL WINAPI WTClose(void* context) {
    return context == kContext;
}

__declspec(dllexport) BOOL WINAPI WTGetW(void* context, LogContext* record) {
    if (context != kContext) return FALSE;
    *record = opened;
    return TRUE;
}

__declspec(dllexport) BOOL WINAPI WTSetW(void* context, LogContext* record) {
    if (context != kContext) return FALSE;
    opened = *record;
    return TRUE;
}

// Packets are numbered from 1; an unknown serial is not there.
__declspec(dllexport) BOOL WINAPI WTPacket(void* context, UINT serial, LPVOID packet) {
    if (context != kContext || serial == 0 || serial > stroke.size()) return FALSE;
    *static_cast<PointerSample*>(packet) = stroke[serial - 1];
    return TRUE;
}

// Test control: a straight stroke between two screen points in `count`
// packets, its pressure rising from nothing to full, then the lift.
__declspec(dllexport) void PlayPenStroke(int x0, int y0, int x1, int y1, int count) {
    stroke.clear();
    for (int i = 0; i <= count; ++i) {
        PointerSample sample{};
        const int at = i < count ? i : count - 1;
        sample.x = (x0 + (x1 - x0) * at / (count - 1)) * 16;
        sample.y = (y0 + (y1 - y0) * at / (count - 1)) * 16;
        sample.pressure = i < count ? 1023 * (i + 1) / count : 0;
        sample.altitude = 600;
        stroke.push_back(sample);
    }
    for (size_t serial = 1; serial <= stroke.size(); ++serial)
        PostMessageW(target, opened.lcMsgBase, serial, reinterpret_cast<LPARAM>(kContext));
}

} // extern "C"
