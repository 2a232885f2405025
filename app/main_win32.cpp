// Entry point: class registration, COM and OLE, the main window and the
// accelerator-aware message loop.
#include <windows.h>

#include <objbase.h>
#include <ole2.h>

#include "app/shell_win32.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, PWSTR commandLine, int showState) {
    if (!previous) {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.style = CS_HREDRAW | CS_VREDRAW;
        windowClass.lpfnWndProc = MainWindowProc;
        windowClass.hInstance = instance;
        windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(102));
        windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        windowClass.lpszClassName = L"pindoraMainClass";
        if (!RegisterClassExW(&windowClass)) return 0;
    }
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    OleInitialize(nullptr);

    // The window procedure stores the table it builds at creation here; the
    // loop reads it for every message so that it takes effect at once.
    HACCEL accelerator = nullptr;
    CreateParams params{&accelerator, commandLine};
    HWND window = CreateWindowExW(0, L"pindoraMainClass", L"pindora",
                                  WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                                  instance, &params);
    if (!window) {
        OleUninitialize();
        CoUninitialize();
        return 0;
    }
    ShowWindow(window, showState);
    UpdateWindow(window);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (TranslateAcceleratorW(window, accelerator, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    CoUninitialize();
    return static_cast<int>(message.wParam);
}
