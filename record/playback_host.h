// What playback and the drawing clock ask of the window system, as a table of
// functions: the Windows build answers with timers, beeps and message boxes,
// tests install their own with a clock they move by hand.
#pragma once

#include <cstdint>

#include "base/bitmap_types.h"
#include "base/command_ids.h"

struct AppState;

struct PlaybackHost {
    // Arms (or re-arms) the playback timer, id 2, with a period in ms.
    void (*setPlaybackTimer)(GdiHandle window, uint32_t period);
    void (*killPlaybackTimer)(GdiHandle window);
    // Delivers a playback-timer tick to the window at once (a sent WM_TIMER 2).
    void (*sendPlaybackTick)(GdiHandle window);
    // Sends a command to the window and returns when it has been handled.
    void (*sendCommand)(GdiHandle window, uint16_t command);
    // The system's default beep (MessageBeep 0).
    void (*beep)();
    // A modal message with the caption "pindora" and an OK button.
    void (*showMessage)(GdiHandle window, const char16_t* text);
    // Marks the whole client area for repainting, without erasing.
    void (*invalidateWindow)(GdiHandle window);
    // Sets the title bar from the program state.
    void (*updateTitle)(AppState* app);
    // The client area's width and height, for setting the view up again.
    Point (*clientSize)(const AppState* app);
    // Calendar time in seconds (the drawing clock).
    int64_t (*calendarSeconds)();
    // The millisecond clock of playback (wraps at 2^32).
    uint32_t (*milliseconds)();
};

void SetPlaybackHost(const PlaybackHost* host);
const PlaybackHost* ThePlaybackHost();

// The window system's own answers (Win32), or quiet ones elsewhere.
const PlaybackHost* DefaultPlaybackHost();

// Where the time-limit message comes from: the shell's loader of language
// strings. Without one a built-in English text is shown.
using PlaybackTextLoader = const char16_t* (*)(AppState* app, uint32_t id);
void SetPlaybackTextLoader(PlaybackTextLoader loader);
const char16_t* PlaybackText(AppState* app, uint32_t id);

constexpr uint32_t kTimeLimitTextId = ID_TEXT_TIME_IS_UP;

// What may take over the moment the time limit is reached, instead of the
// beep and the message: a practice session moves on to its next picture
// there. It returns true when it took the moment over. Null removes it.
using TimeUpHandler = bool (*)(AppState* app);
void SetTimeUpHandler(TimeUpHandler handler);
bool TakeOverTimeUp(AppState* app);
