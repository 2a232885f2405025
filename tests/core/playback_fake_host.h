// A playback host for the tests: clocks moved by hand, and every request of
// the window system written down. Commands 46100 + k reach SetTimeLimit and
// a sent tick reaches PlaybackTick, as the window procedure would route them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/commands.h"
#include "record/playback.h"
#include "record/playback_host.h"

struct FakeWindowSystem {
    AppState* app = nullptr;
    uint32_t milliseconds = 5000;
    int64_t seconds = 1700000000;
    Point client{100, 75};
    std::vector<uint32_t> timers; // periods, in the order they were set
    int timerKills = 0;
    int ticksSent = 0;
    std::vector<uint16_t> commands;
    int beeps = 0;
    std::vector<std::u16string> messages;
    int invalidations = 0;
    std::vector<int32_t> titlesPlaying; // playbackMode at each title update

    // The period the timer was last armed with.
    uint32_t LastTimer() const { return timers.empty() ? 0 : timers.back(); }
};

inline FakeWindowSystem*& TheFake() {
    static FakeWindowSystem* fake = nullptr;
    return fake;
}

inline const PlaybackHost* FakePlaybackHost() {
    static const PlaybackHost host{
        [](GdiHandle, uint32_t period) { TheFake()->timers.push_back(period); },
        [](GdiHandle) { ++TheFake()->timerKills; },
        [](GdiHandle) {
            ++TheFake()->ticksSent;
            PlaybackTick(TheFake()->app);
        },
        [](GdiHandle, uint16_t command) {
            TheFake()->commands.push_back(command);
            if (command >= kSetTimeLimit && command < kSetTimeLimit + kTimeLimits)
                SetTimeLimit(TheFake()->app, command - kSetTimeLimit);
        },
        [] { ++TheFake()->beeps; },
        [](GdiHandle, const char16_t* text) { TheFake()->messages.push_back(text); },
        [](GdiHandle) { ++TheFake()->invalidations; },
        [](AppState* app) { TheFake()->titlesPlaying.push_back(app->playbackMode); },
        [](const AppState*) { return TheFake()->client; },
        [] { return TheFake()->seconds; },
        [] { return TheFake()->milliseconds; },
    };
    return &host;
}

// Installs the fake for one test and removes it afterwards.
class FakeHostScope {
  public:
    FakeHostScope(FakeWindowSystem* fake, AppState* app) {
        fake->app = app;
        TheFake() = fake;
        SetPlaybackHost(FakePlaybackHost());
    }
    ~FakeHostScope() {
        SetPlaybackHost(nullptr);
        SetPlaybackTextLoader(nullptr);
        TheFake() = nullptr;
    }
    FakeHostScope(const FakeHostScope&) = delete;
    FakeHostScope& operator=(const FakeHostScope&) = delete;
};
