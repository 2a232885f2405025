// The drawing clock and the time limit, driven by timer 1.
#include "base/commands.h"
#include "record/playback.h"
#include "record/playback_host.h"
#include "record/recovery_journal.h"

void ClockTick(AppState* app) {
    const PlaybackHost* host = ThePlaybackHost();
    // Taken modulo 2^64 so that a clock set far back cannot overflow.
    app->elapsedSeconds = static_cast<int64_t>(static_cast<uint64_t>(host->calendarSeconds()) -
                                               static_cast<uint64_t>(app->startTime));
    host->updateTitle(app);
    // A stroke still going on is written through at least every two seconds.
    FlushJournal(host->milliseconds());
    if (app->timeLimitSeconds != 0 && app->elapsedSeconds >= app->timeLimitSeconds) {
        // Disarmed before the message: its modal loop keeps the clock ticking.
        app->timeLimitSeconds = 0;
        if (TakeOverTimeUp(app)) return;
        host->beep();
        host->showMessage(app->mainWindow, PlaybackText(app, kTimeLimitTextId));
    }
}

void SetTimeLimit(AppState* app, int32_t index) {
    if (index < 0 || index >= kTimeLimits) index = 0;
    app->settings.timeLimitIndex = index;
    app->timeLimitSeconds = TimeLimitSecondsFor(index);
}
