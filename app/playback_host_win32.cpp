// The playback host of the Windows build: timer 2 of the main window, the
// default beep, message boxes, and the multimedia millisecond clock.
#include <windows.h>

#include <mmsystem.h>

#include <ctime>
#include <string>

#include "app/title_win32.h"
#include "base/app_state.h"
#include "record/playback_host.h"

namespace {

constexpr UINT_PTR kPlaybackTimer = ID_TIMER_PLAYBACK;

HWND Window(GdiHandle window) {
    return static_cast<HWND>(window);
}

// A null window would make SetTimer create a thread timer nobody kills.
void SetPlaybackTimer(GdiHandle window, uint32_t period) {
    if (window) SetTimer(Window(window), kPlaybackTimer, period, nullptr);
}

void KillPlaybackTimer(GdiHandle window) {
    if (window) KillTimer(Window(window), kPlaybackTimer);
}

void SendPlaybackTick(GdiHandle window) {
    if (window) SendMessageW(Window(window), WM_TIMER, kPlaybackTimer, 0);
}

void SendCommand(GdiHandle window, uint16_t command) {
    if (window) SendMessageW(Window(window), WM_COMMAND, command, 0);
}

void Beep() {
    MessageBeep(0);
}

void ShowMessage(GdiHandle window, const char16_t* text) {
    MessageBoxW(Window(window), reinterpret_cast<const wchar_t*>(text), L"pindora", MB_OK);
}

void InvalidateWindow(GdiHandle window) {
    if (window) InvalidateRect(Window(window), nullptr, FALSE);
}

Point ClientSize(const AppState* app) {
    RECT client{};
    GetClientRect(Window(app->mainWindow), &client);
    return Point{client.right - client.left, client.bottom - client.top};
}

int64_t CalendarSeconds() {
    return static_cast<int64_t>(_time64(nullptr));
}

uint32_t Milliseconds() {
    return timeGetTime();
}

const PlaybackHost host{
    SetPlaybackTimer, KillPlaybackTimer, SendPlaybackTick, SendCommand, Beep,
    ShowMessage,      InvalidateWindow,  UpdateTitle,      ClientSize,  CalendarSeconds,
    Milliseconds};

} // namespace

const PlaybackHost* DefaultPlaybackHost() {
    return &host;
}
