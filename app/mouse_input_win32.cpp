// Mouse: drawing samples, the pan drag, the rotate and zoom gestures, the
// wheel and the pop-up menu.
#include <windowsx.h>

#include <cmath>
#include <cstdlib>

#include "app/commands.h"
#include "app/shell_win32.h"
#include "engine/pointer_input.h"
#include "engine/refresh_thread.h"
#include "view/previews.h"
#include "view/view_paint.h"
#include "view/view_transforms.h"

namespace {

ViewState* View(AppState* app) {
    return &app->viewHost.view;
}

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

Point ClientCentre(AppState* app) {
    return Point{View(app)->clientWidth / 2, View(app)->clientHeight / 2};
}

float PointerAngle(AppState* app, int x, int y) {
    Point c = ClientCentre(app);
    int dx = x - c.x, dy = y - c.y;
    if (dx == 0 && dy == 0) return 0.0f;
    return std::atan2(static_cast<float>(dx), static_cast<float>(dy));
}

float PointerDistance(AppState* app, int x, int y) {
    Point c = ClientCentre(app);
    return static_cast<float>(std::max(std::abs(x - c.x), std::abs(y - c.y)));
}

void EnsureFreeRotation(AppState* app) {
    if (!View(app)->freeRotation) SelectTransformSet(View(app), 1);
}

void StartRotation(AppState* app, int x, int y, bool fromMove) {
    app->rotating = 1;
    app->rotateStartAngle = PointerAngle(app, x, y);
    if (fromMove) {
        EnsureFreeRotation(app);
        RequestRotatePreview(app);
    }
}

void StartZoom(AppState* app, int x, int y, bool fromMove) {
    app->zooming = 1;
    app->zoomStartDistance = std::max(PointerDistance(app, x, y), 100.0f);
    if (fromMove) EnsureFreeRotation(app);
}

void FinishRotation(AppState* app, HWND window, int x, int y, uint32_t sleepMs) {
    HCURSOR previous = SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_WAIT)));
    WaitForRotatePreview(app, sleepMs);
    WaitForRefreshIdle(app);
    InvalidateRect(window, nullptr, FALSE);
    SendMessageW(window, WM_PAINT, 0, 0);
    app->rotating = 0;
    float turned = (PointerAngle(app, x, y) - app->rotateStartAngle) * 180.0f / 3.1415927f;
    SetViewAngle(View(app), turned + View(app)->rotation);
    InvalidateRect(window, nullptr, FALSE);
    SetCursor(previous);
}

void FinishZoom(AppState* app, HWND window, int x, int y) {
    HCURSOR previous = SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_WAIT)));
    WaitForZoomPreview(app, 0);
    WaitForRefreshIdle(app);
    InvalidateRect(window, nullptr, FALSE);
    SendMessageW(window, WM_PAINT, 0, 0);
    app->zooming = 0;
    float ratio = PointerDistance(app, x, y) / app->zoomStartDistance;
    float scale = ratio > 0.0f ? View(app)->scale / ratio : 16.0f;
    scale = std::min(16.0f, std::max(1.0f, scale));
    SetViewScale(View(app), scale);
    InvalidateRect(window, nullptr, FALSE);
    SetCursor(previous);
    UpdateTitle(app);
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
    if (app->panKeyDown && !app->rotateKeyDown) {
        if (app->zooming) {
            if (left) {
                EnsureFreeRotation(app);
                app->zoomDistance = PointerDistance(app, x, y);
                RequestZoomPreview(app);
            } else {
                FinishZoom(app, window, x, y);
            }
        } else if (left) {
            ScrollView(View(app), app->dragAnchor.x - x, app->dragAnchor.y - y);
            app->dragAnchor = Point{x, y};
            InvalidateRect(window, nullptr, FALSE);
        }
    }
    if (app->rotating) {
        if (left) {
            EnsureFreeRotation(app);
            RequestRotatePreview(app);
        } else {
            FinishRotation(app, window, x, y, 0);
        }
    }
}

void OnLeftButtonDown(AppState* app, HWND window, int x, int y) {
    SetDragCursor(app);
    const bool idle = !app->rotating && !app->zooming;
    if (app->panKeyDown && app->rotateKeyDown && !app->zoomKeyDown && idle) {
        StartRotation(app, x, y, false);
        SetCapture(window);
        return;
    }
    if (app->panKeyDown && app->zoomKeyDown && !app->rotateKeyDown && idle) {
        StartZoom(app, x, y, false);
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
    if (app->rotating) FinishRotation(app, window, x, y, 10);
    if (app->zooming) FinishZoom(app, window, x, y);
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
