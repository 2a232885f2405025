#include "tests/win32/window_harness.h"

#include <gtest/gtest.h>

#include <objbase.h>
#include <ole2.h>
#include <shlobj.h>

#include <cstring>

#include "base/report.h"

namespace harness {
namespace {

HWND window = nullptr;
HACCEL accelerator = nullptr;
CreateParams params{&accelerator, L""};
std::vector<std::wstring> messages;
int questionAnswer = IDNO;
HHOOK hook = nullptr;

void CaptureReport(const char16_t* text) {
    messages.emplace_back(reinterpret_cast<const wchar_t*>(text));
}

// Every message box the program opens is read and answered at once.
LRESULT CALLBACK AnswerBoxes(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE) {
        HWND box = reinterpret_cast<HWND>(wParam);
        wchar_t className[64] = L"";
        GetClassNameW(box, className, 64);
        if (std::wstring(className) == L"#32770") {
            wchar_t text[1024] = L"";
            GetDlgItemTextW(box, 0xFFFF, text, 1024);
            messages.emplace_back(text);
            HWND yes = GetDlgItem(box, IDYES);
            int answer = yes ? questionAnswer : IDOK;
            PostMessageW(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(box, answer)));
        }
    }
    return CallNextHookEx(hook, code, wParam, lParam);
}

class WindowEnvironment : public ::testing::Environment {
  public:
    void TearDown() override {
        if (!window) return;
        questionAnswer = IDYES;
        SendMessageW(window, WM_CLOSE, 0, 0);
        Pump(200);
        UnhookWindowsHookEx(hook);
        SetErrorSink(nullptr);
    }
};

::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new WindowEnvironment());

} // namespace

HWND Window() {
    if (window) return window;
    SetErrorSink(CaptureReport);
    hook = SetWindowsHookExW(WH_CBT, AnswerBoxes, nullptr, GetCurrentThreadId());
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    OleInitialize(nullptr);
    RegisterMainWindowClass(GetModuleHandleW(nullptr));
    window = CreateMainWindow(GetModuleHandleW(nullptr), &params);
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    Pump(500);
    return window;
}

void Pump(int milliseconds) {
    DWORD end = GetTickCount() + milliseconds;
    do {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (accelerator && TranslateAcceleratorW(window, accelerator, &message)) continue;
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        Sleep(5);
    } while (GetTickCount() < end);
}

ScreenShot::ScreenShot(HWND window) {
    RECT client;
    GetClientRect(window, &client);
    width_ = client.right;
    height_ = client.bottom;
    pixels_.assign(static_cast<size_t>(width_) * height_, 0);
    HDC source = GetDC(window);
    HDC memory = CreateCompatibleDC(source);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width_;
    info.bmiHeader.biHeight = -height_;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width_, height_, source, 0, 0, SRCCOPY);
    GdiFlush();
    std::memcpy(pixels_.data(), bits, pixels_.size() * 4);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(window, source);
}

int ScreenShot::Grey(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return -1;
    uint32_t pixel = pixels_[static_cast<size_t>(y) * width_ + x];
    return static_cast<int>(((pixel >> 16) & 255) + ((pixel >> 8) & 255) + (pixel & 255)) / 3;
}

void Command(UINT id) {
    SendMessageW(Window(), WM_COMMAND, id, 0);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    Pump(300);
}

std::vector<std::wstring>& Messages() {
    return messages;
}
void AnswerQuestionsWith(int answer) {
    questionAnswer = answer;
}

void DrawPattern(Rect ink) {
    CanvasImage* image = &TheApp()->canvas.image;
    const int32_t stride = CanvasStride(image);
    std::memset(image->bits, 0xFF, static_cast<size_t>(stride) * image->height);
    for (int32_t y = ink.top; y < ink.bottom; ++y)
        for (int32_t x = ink.left; x < ink.right; ++x)
            CanvasRow(image, y)[x >> 3] &= static_cast<uint8_t>(~(0x80 >> (x & 7)));
}

void Key(WORD key, bool down) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
    SendInput(1, &input, sizeof input);
}

void Mouse(DWORD flags, LONG wheel) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    input.mi.mouseData = static_cast<DWORD>(wheel);
    SendInput(1, &input, sizeof input);
}

void MoveTo(int x, int y, int settle) {
    POINT p{x, y};
    ClientToScreen(Window(), &p);
    SetCursorPos(p.x, p.y);
    Mouse(MOUSEEVENTF_MOVE); // a zero move: the message at the new place
    Pump(settle);
}

std::wstring Folder() {
    return ProgramFolder();
}

std::vector<std::wstring> FilesIn(const std::wstring& folder, const std::wstring& pattern) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + pattern).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do names.push_back(found.cFileName);
    while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

void DropFiles(const std::vector<std::wstring>& paths) {
    size_t units = 1;
    for (const std::wstring& path : paths) units += path.size() + 1;
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + units * sizeof(wchar_t));
    DROPFILES* header = static_cast<DROPFILES*>(GlobalLock(memory));
    header->pFiles = sizeof(DROPFILES);
    header->fWide = TRUE;
    wchar_t* names =
        reinterpret_cast<wchar_t*>(reinterpret_cast<char*>(header) + sizeof(DROPFILES));
    for (const std::wstring& path : paths) {
        std::memcpy(names, path.c_str(), (path.size() + 1) * sizeof(wchar_t));
        names += path.size() + 1;
    }
    *names = L'\0';
    GlobalUnlock(memory);
    SendMessageW(Window(), WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
    Pump(300);
}

} // namespace harness
