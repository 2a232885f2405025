// The main window procedure: the input gates, then the routing of every
// message to its subsystem.
#include <windows.h>

#include <shellapi.h>

#include "app/reference_window_win32.h"
#include "app/shell_win32.h"
#include "engine/refresh_thread.h"
#include "engine/stroke_host.h"
#include "input/game_pad.h"
#include "input/tablet.h"
#include "input/touch_geometry.h"
#include "view/previews.h"
#include "view/view_paint.h"

int32_t started = 0;

namespace {

AppState theApp;

// Messages whose handlers may replace or resize the view's bitmaps or the
// canvas: commands (accelerators, the pop-up menu and the game pad arrive as
// WM_COMMAND without passing the key gate), resizes, drops, the timers that
// drive playback, the wheel and closing. They wait for a running preview.
bool ChangesTheView(UINT message) {
    switch (message) {
    case WM_COMMAND:
    case WM_SIZE:
    case WM_DROPFILES:
    case WM_TIMER:
    case WM_MOUSEWHEEL:
    case WM_CLOSE:
    case WM_DESTROY:
    case kFrameReadyMessage:
        return true;
    default:
        return false;
    }
}

// While a rotation or zoom preview draws, input that would disturb it waits:
// moves and key presses are dropped, a button release is re-posted so the
// gesture still finishes once the preview is done, and whatever would change
// the bitmaps the preview reads waits until it has finished.
bool GateWhilePreviewing(AppState* app, HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                         LRESULT* result) {
    EnterViewLock(&app->previewLock);
    bool previewing = app->rotatePreviewRunning || app->zoomPreviewRunning;
    LeaveViewLock(&app->previewLock);
    if (!previewing) return false;
    if (ChangesTheView(message)) {
        WaitForPreviews(app);
        return false;
    }
    switch (message) {
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_POINTERUPDATE:
    case kWtPacket:
    case kPadMoveMessage:
    case kFingerMessage:
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
        *result = 0;
        return true;
    case WM_KEYUP:
        // Every gesture key's release passes, so none stays down afterwards.
        if (wParam == VK_CONTROL || wParam == VK_SPACE || wParam == VK_SHIFT) return false;
        *result = 0;
        return true;
    case WM_LBUTTONUP:
        PostMessageW(window, message, wParam, lParam);
        *result = 0;
        return true;
    default:
        return false;
    }
}

// A playback owns the canvas: drawing input and keys are ignored until a new
// drawing is started. Menu and accelerator commands still arrive.
bool GateWhilePlaying(const AppState* app, UINT message) {
    if (!app->playbackMode) return false;
    switch (message) {
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_POINTERDOWN:
    case WM_POINTERUPDATE:
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
    case kWtPacket:
        return true;
    default:
        return false;
    }
}

} // namespace

AppState* TheApp() {
    return &theApp;
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    AppState* app = &theApp;
    LRESULT result = 0;
    if (started && GateWhilePreviewing(app, window, message, wParam, lParam, &result))
        return result;
    if (GateWhilePlaying(app, message)) return 0;

    if (OnMouseMessage(app, window, message, wParam, lParam, &result)) return result;
    if (OnKeyMessage(app, window, message, wParam, lParam, &result)) return result;
    if (OnPointerMessage(app, window, message, wParam, lParam, &result)) return result;

    switch (message) {
    case WM_CREATE:
        return OnCreate(app, window, reinterpret_cast<const CREATESTRUCTW*>(lParam));
    case WM_CLOSE:
        return OnClose(app, window);
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_COMMAND:
        return OnCommand(app, window, wParam, lParam);
    case WM_TIMER:
        return OnTimer(app, window, wParam);
    case WM_PAINT:
        if (!started) break;
        return OnPaint(app, window);
    case WM_SIZE:
        if (!started) return 0;
        WaitForRefreshIdle(app);
        ResizeView(&app->viewHost.view, LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_MOVE:
        return 0;
    case WM_INITMENUPOPUP:
        MarkOpeningMenu(app, reinterpret_cast<HMENU>(wParam), LOWORD(lParam));
        MarkReferenceItems(app, reinterpret_cast<HMENU>(wParam));
        return 0;
    case kFrameReadyMessage:
        ConsumeReadyFrame(app);
        return 0;
    case kWtPacket:
        OnTabletPacket(app, static_cast<uint32_t>(wParam), reinterpret_cast<GdiHandle>(lParam));
        return 0;
    case kWtProximity:
        OnTabletProximity(app, static_cast<uintptr_t>(lParam));
        return 0;
    case WM_WININICHANGE:
        OnTabletDisplayChange(app);
        break;
    case kFingerMessage:
        OnFingerMessage(app, window, lParam);
        return 0;
    case kPadMoveMessage:
        OnGamePadMove(app, static_cast<uint32_t>(lParam));
        return 0;
    case WM_DROPFILES:
        OnDropFiles(app, window, reinterpret_cast<HDROP>(wParam));
        return 0;
    case WM_SETCURSOR:
        if (reinterpret_cast<HWND>(wParam) == window && LOWORD(lParam) == HTCLIENT) {
            SetCursor(app->panKeyDown ? LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_HAND))
                                      : ProgramCursor());
            return 0;
        }
        break;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
