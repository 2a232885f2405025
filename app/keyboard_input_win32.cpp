// Keyboard: the gesture modifier keys (Space, Ctrl, Shift), F5, and focus.
#include "app/picture_files_win32.h"
#include "app/shell_win32.h"
#include "app/undo_win32.h"

namespace {

bool IsRepeat(LPARAM lParam) {
    return (lParam & (1 << 30)) != 0;
}

} // namespace

bool OnKeyMessage(AppState* app, HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                  LRESULT* result) {
    *result = 0;
    switch (message) {
    case WM_KEYDOWN:
        // Undo and redo repeat while their keys are held.
        if ((wParam == 'Z' || wParam == 'Y') && OnUndoKey(window, wParam)) return true;
        if (IsRepeat(lParam)) return true;
        switch (wParam) {
        case VK_SHIFT:
            app->zoomKeyDown = 1;
            break;
        case VK_CONTROL:
            app->rotateKeyDown = 1;
            break;
        case VK_SPACE:
            app->panKeyDown = 1;
            InvalidateRect(window, nullptr, FALSE);
            break;
        case VK_F5:
            ReplayRecording(app);
            break;
        default:
            break;
        }
        return true;
    case WM_KEYUP:
        switch (wParam) {
        case VK_SHIFT:
            app->zoomKeyDown = 0;
            break;
        case VK_CONTROL:
            app->rotateKeyDown = 0;
            break;
        case VK_SPACE:
            app->panKeyDown = 0;
            InvalidateRect(window, nullptr, FALSE);
            break;
        default:
            break;
        }
        return true;
    case WM_SYSKEYDOWN:
        if (IsRepeat(lParam) || wParam == VK_MENU) return true;
        *result = DefWindowProcW(window, message, wParam, lParam);
        return true;
    case WM_SYSKEYUP:
        if (wParam == VK_CONTROL) SendMessageW(window, WM_KEYUP, VK_CONTROL, 0);
        *result = DefWindowProcW(window, message, wParam, lParam);
        return true;
    case WM_KILLFOCUS:
        if (GetKeyState(VK_CONTROL) & 0x8000) SetFocus(window);
        return true;
    case WM_SETFOCUS:
        app->mouseBlocked = (GetAsyncKeyState(VK_LBUTTON) & 0x8000) ? 1 : 0;
        return true;
    default:
        return false;
    }
}
