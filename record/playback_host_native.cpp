// Without a window system: no timers, sounds or messages; the clocks are the
// process's own, and the client size is the one the view already has.
#include <chrono>
#include <ctime>

#include "base/app_state.h"
#include "record/playback_host.h"

namespace {

void NoTimer(GdiHandle, uint32_t) {}
void NoKill(GdiHandle) {}
void NoTick(GdiHandle) {}
void NoCommand(GdiHandle, uint16_t) {}
void NoBeep() {}
void NoMessage(GdiHandle, const char16_t*) {}
void NoInvalidate(GdiHandle) {}
void NoTitle(AppState*) {}

Point ViewClientSize(const AppState* app) {
    return Point{app->viewHost.view.clientWidth, app->viewHost.view.clientHeight};
}

int64_t CalendarSeconds() {
    return static_cast<int64_t>(std::time(nullptr));
}

uint32_t Milliseconds() {
    return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                     std::chrono::steady_clock::now().time_since_epoch())
                                     .count());
}

const PlaybackHost host{NoTimer,        NoKill,          NoTick,       NoCommand,
                        NoBeep,         NoMessage,       NoInvalidate, NoTitle,
                        ViewClientSize, CalendarSeconds, Milliseconds};

} // namespace

const PlaybackHost* DefaultPlaybackHost() {
    return &host;
}
