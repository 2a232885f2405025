// Entry point: class registration, COM and OLE, the main window and the
// accelerator-aware message loop.
#include <windows.h>

#include "app/scoped_win32.h"
#include "app/shell_win32.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, PWSTR commandLine, int showState) {
    if (!previous && !RegisterMainWindowClass(instance)) return 0;
    // Uninitialised when the loop has ended and the window is gone.
    ScopedOle ole;

    // The window procedure stores the table it builds at creation here; the
    // loop reads it for every message so that it takes effect at once.
    HACCEL accelerator = nullptr;
    CreateParams params{&accelerator, commandLine};
    HWND window = CreateMainWindow(instance, &params);
    if (!window) return 0;
    ShowWindow(window, showState);
    UpdateWindow(window);

    MSG message{};
    BOOL got;
    while ((got = GetMessageW(&message, nullptr, 0, 0)) > 0) {
        if (TranslateAcceleratorW(window, accelerator, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    // A failing loop (-1) has no quit message to take the code from.
    return got == 0 ? static_cast<int>(message.wParam) : 1;
}
