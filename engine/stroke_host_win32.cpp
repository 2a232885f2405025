// The Windows stroke host: keys, client origin, covering windows, invalidation and the clock.
#include <windows.h>

#include <mmsystem.h>

#include "engine/stroke_host_default.h"

namespace {

bool ShiftDown() {
    return (GetKeyState(VK_SHIFT) & 0x8000) != 0;
}

Point ClientOrigin(GdiHandle window) {
    POINT origin{0, 0};
    ClientToScreen(static_cast<HWND>(window), &origin);
    return Point{origin.x, origin.y};
}

// Inside the client rectangle, and not under another window.
bool MayStartStroke(GdiHandle handle, Point client) {
    HWND window = static_cast<HWND>(handle);
    RECT rect;
    GetClientRect(window, &rect);
    POINT point{client.x, client.y};
    if (!PtInRect(&rect, point)) return false;
    ClientToScreen(window, &point);
    HWND found = WindowFromPoint(point);
    return found == window || found == nullptr;
}

void Invalidate(GdiHandle window, const Rect* rect) {
    RECT r{rect->left, rect->top, rect->right, rect->bottom};
    InvalidateRect(static_cast<HWND>(window), &r, FALSE);
}

void PostFrameReady(GdiHandle window) {
    PostMessageW(static_cast<HWND>(window), kFrameReadyMessage, 0, 0);
}

uint32_t Milliseconds() {
    return timeGetTime();
}

const StrokeHost host{ShiftDown,  ClientOrigin,   MayStartStroke,
                      Invalidate, PostFrameReady, Milliseconds};

} // namespace

const StrokeHost* DefaultStrokeHost() {
    return &host;
}
