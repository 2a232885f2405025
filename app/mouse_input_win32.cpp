// Mouse: drawing samples, the pan drag, the rotate and zoom gestures, the
// wheel and the pop-up menu.
#include <windowsx.h>

#include "app/scoped_win32.h"
#include "app/shell_win32.h"
#include "base/commands.h"
#include "engine/pointer_input.h"
#include "engine/refresh_thread.h"
#include "view/previews.h"
#include "view/view_commands.h"
#include "view/view_gestures.h"
#include "view/view_paint.h"
#include "view/view_transforms.h"

namespace {

void SetDragCursor(AppState* app) {
    if (app->panKeyDown && !app->rotating)
        SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_HAND)));
    else
        SetCursor(ProgramCursor());
}

// The mouse as a full-pressure pen while the left button is down.
void ProduceMouseSample(AppState* app) {
    POINT cursor;
    GetCursorPos(&cursor);
    PointerSample sample{};
    sample.x = cursor.x * 16;
    sample.y = cursor.y * 16;
    sample.pressure =
        (GetAsyncKeyState(VK_LBUTTON) & 0x8000) ? static_cast<int32_t>(app->stroke.maxPressure) : 0;
    sample.azimuth = 1300;
    sample.altitude = 550;
    if (GetForegroundWindow() == MainWindow(app)) HandlePointerSample(app, &sample);
}

float AngleAt(AppState* app, int x, int y) {
    return PointerAngle(View(app)->clientWidth, View(app)->clientHeight, x, y);
}

float DistanceAt(AppState* app, int x, int y) {
    return PointerDistance(View(app)->clientWidth, View(app)->clientHeight, x, y);
}

// A dirty update still rendering with the old set must land before the set
// changes under it.
void EnsureFreeRotation(AppState* app) {
    if (View(app)->freeRotation) return;
    WaitForRefreshIdle(app);
    SelectTransformSet(View(app), 1);
}

void StartRotation(AppState* app, int x, int y, bool fromMove) {
    app->rotating = 1;
    app->rotateStartAngle = AngleAt(app, x, y);
    if (fromMove) {
        EnsureFreeRotation(app);
        RequestRotatePreview(app);
    }
}

void StartZoom(AppState* app, int x, int y, bool fromMove) {
    app->zooming = 1;
    app->zoomStartDistance = ZoomStartDistance(DistanceAt(app, x, y));
    if (fromMove) EnsureFreeRotation(app);
}

// Key releases may have been dropped while a preview ran; the keyboard's own
// state says which gesture keys are still held.
void RereadGestureKeys(AppState* app) {
    app->panKeyDown = (GetKeyState(VK_SPACE) & 0x8000) ? 1 : 0;
    app->rotateKeyDown = (GetKeyState(VK_CONTROL) & 0x8000) ? 1 : 0;
    app->zoomKeyDown = (GetKeyState(VK_SHIFT) & 0x8000) ? 1 : 0;
}

// The end of either drag: wait for its preview and the refresh thread, show
// the last preview frame, then apply the real turn or zoom.
void FinishDrag(AppState* app, HWND window, int x, int y, uint32_t sleepMs) {
    WaitCursor wait;
    const bool rotation = app->rotating != 0;
    if (rotation)
        WaitForRotatePreview(app, sleepMs);
    else
        WaitForZoomPreview(app, 0);
    WaitForRefreshIdle(app);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    if (rotation) {
        app->rotating = 0;
        EndRotateDrag(View(app), DragTurnDegrees(app->rotateStartAngle, AngleAt(app, x, y)));
    } else {
        app->zooming = 0;
        EndZoomDrag(View(app), DistanceAt(app, x, y), app->zoomStartDistance);
        UpdateTitle(app);
    }
    InvalidateRect(window, nullptr, FALSE);
    RereadGestureKeys(app);
    app->dragAnchor = Point{x, y};
}

void OnMouseMove(AppState* app, HWND window, WPARAM wParam, int x, int y) {
    SetDragCursor(app);
    if (app->penOwnsPointer || (wParam & MK_RBUTTON)) return;
    if (app->rotateKeyDown && !(GetKeyState(VK_CONTROL) & 0x8000))
        SendMessageW(window, WM_KEYUP, VK_CONTROL, 0);
    if (app->panKeyDown && !(GetKeyState(VK_SPACE) & 0x8000))
        SendMessageW(window, WM_KEYUP, VK_SPACE, 0);
    const bool left = (wParam & MK_LBUTTON) != 0;
    if (app->rotateKeyDown && app->panKeyDown && left && !app->rotating && !app->zooming)
        StartRotation(app, x, y, true);
    else if (app->zoomKeyDown && app->panKeyDown && left && !app->rotating && !app->zooming)
        StartZoom(app, x, y, true);
    if (!app->tabletInProximity) {
        if (app->mouseBlocked) return;
        ProduceMouseSample(app);
    }
    if (app->zooming) {
        if (left) {
            EnsureFreeRotation(app);
            app->zoomDistance = DistanceAt(app, x, y);
            RequestZoomPreview(app);
        } else {
            FinishDrag(app, window, x, y, 0);
        }
    } else if (app->rotating) {
        if (left) {
            EnsureFreeRotation(app);
            RequestRotatePreview(app);
        } else {
            FinishDrag(app, window, x, y, 0);
        }
    } else if (app->panKeyDown && !app->rotateKeyDown && left) {
        ScrollView(View(app), app->dragAnchor.x - x, app->dragAnchor.y - y);
        InvalidateRect(window, nullptr, FALSE);
    }
    // The pan anchor follows the pointer through every drag, so a pan that
    // takes over after a turn or zoom starts from here, not from a stale spot.
    app->dragAnchor = Point{x, y};
}

void OnLeftButtonDown(AppState* app, HWND window, int x, int y) {
    SetDragCursor(app);
    const bool idle = !app->rotating && !app->zooming;
    if (app->panKeyDown && app->rotateKeyDown && !app->zoomKeyDown && idle) {
        StartRotation(app, x, y, false);
        app->dragAnchor = Point{x, y};
        SetCapture(window);
        return;
    }
    if (app->panKeyDown && app->zoomKeyDown && !app->rotateKeyDown && idle) {
        StartZoom(app, x, y, false);
        app->dragAnchor = Point{x, y};
        SetCapture(window);
        return;
    }
    if (!app->tabletInProximity) {
        if (app->mouseBlocked) return;
        ProduceMouseSample(app);
    }
    SetCapture(window);
    app->dragAnchor = Point{x, y};
}

void OnLeftButtonUp(AppState* app, HWND window, int x, int y) {
    SetDragCursor(app);
    app->penOwnsPointer = 0;
    app->mouseBlocked = 0;
    if (app->rotating || app->zooming) FinishDrag(app, window, x, y, 10);
    if (!app->tabletInProximity) ProduceMouseSample(app);
    ReleaseCapture();
}

void OnWheel(AppState* app, HWND window, WPARAM wParam) {
    app->wheelAccumulator += GET_WHEEL_DELTA_WPARAM(wParam);
    if (app->wheelAccumulator >= 120) {
        SendMessageW(window, WM_COMMAND, kZoomOut, 0);
        app->wheelAccumulator = 0;
    } else if (app->wheelAccumulator <= -120) {
        SendMessageW(window, WM_COMMAND, kZoomIn, 0);
        app->wheelAccumulator = 0;
    }
}

} // namespace

bool OnMouseMessage(AppState* app, HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                    LRESULT* result) {
    const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
    *result = 0;
    switch (message) {
    case WM_MOUSEMOVE:
        OnMouseMove(app, window, wParam, x, y);
        return true;
    case WM_LBUTTONDOWN:
        OnLeftButtonDown(app, window, x, y);
        return true;
    case WM_LBUTTONUP:
        OnLeftButtonUp(app, window, x, y);
        return true;
    case WM_RBUTTONDOWN:
        return true;
    case WM_RBUTTONUP: {
        app->mouseBlocked = 1;
        if (app->popupMenu) {
            POINT screen{x, y};
            ClientToScreen(window, &screen);
            TrackPopupMenu(static_cast<HMENU>(app->popupMenu), TPM_LEFTBUTTON, screen.x, screen.y,
                           0, window, nullptr);
        }
        return true;
    }
    case WM_MOUSEWHEEL:
        OnWheel(app, window, wParam);
        return true;
    case WM_NCLBUTTONDOWN:
        app->mouseBlocked = 1;
        *result = DefWindowProcW(window, message, wParam, lParam);
        return true;
    case WM_NCLBUTTONUP:
        app->mouseBlocked = 0;
        *result = DefWindowProcW(window, message, wParam, lParam);
        return true;
    default:
        return false;
    }
}
