// Playback: a recording replayed through the brush on a fresh canvas, batch by batch.
#include "record/playback.h"

#include "base/commands.h"
#include "engine/brush.h"
#include "engine/refresh_thread.h"
#include "record/playback_host.h"
#include "record/playback_schedule.h"
#include "record/recovery_journal.h"
#include "record/undo_history.h"
#include "view/view_paint.h"

namespace {

void ReplayStep(AppState* app, const Step& step) {
    const Rect segment = DrawRecordedStep(app, step);
    RequestCanvasRefresh(app, &segment);
}

// A fresh canvas of the recorded size and a view set up for it, as at start-up.
void RebuildCanvas(AppState* app, const PlaybackHost* host) {
    // The refresh thread may still be rendering from the old canvas into the
    // old view bitmaps.
    WaitForRefreshIdle(app);
    ClearUndoHistory();
    FreeCanvas(&app->canvas);
    ReleaseViewBitmaps(&app->viewHost.view);
    InstallBrush(app->mainWindow, &app->canvas, &app->settings);
    CreateCanvas(&app->canvas, &app->settings, app->stepLog.canvasWidth, app->stepLog.canvasHeight);
    const Point client = host->clientSize(app);
    InitViewWithClientSize(&app->viewHost, &app->canvas, &app->settings, client.x, client.y);
}

} // namespace

Rect DrawRecordedStep(AppState* app, const Step& step) {
    StrokeEngine* stroke = &app->stroke;
    stroke->prevSmoothed = stroke->smoothed;
    stroke->smoothed.x = step.x;
    stroke->smoothed.y = step.y;
    stroke->smoothed.pressure = ReplayPressure(step.pressure, stroke->maxPressure);
    // Pen down: a dab where the pen lands, not a line from where it was lifted.
    if (stroke->smoothed.pressure != 0 && stroke->prevSmoothed.pressure == 0)
        stroke->prevSmoothed = stroke->smoothed;
    // Another brush index (no brush) or a canvas that could not be made
    // leaves the step undrawn; the timing goes on.
    Rect segment{0, 0, 0, 0};
    if (!app->canvas.brush || !app->canvas.image.bits) return segment;
    app->canvas.brush(&app->stroke, &app->canvas, &segment);
    return segment;
}

int32_t StartPlayback(AppState* app) {
    const PlaybackHost* host = ThePlaybackHost();
    StepLog* log = &app->stepLog;
    if (!HoldsPlayableSteps(log->stepCount)) {
        host->beep();
        return 1;
    }
    if (!IsPlayableCanvasSize(log->canvasWidth, log->canvasHeight)) return 2;

    RebuildCanvas(app, host);
    // The drawing shown from now on comes from the log, not from strokes.
    RestartJournal(log->canvasWidth, log->canvasHeight);
    const GdiHandle window = app->mainWindow;
    host->sendCommand(window, kZoomTo + 1); // scale 8
    app->viewHost.view.mirror = 0;
    host->sendCommand(window, kFitToWindow);
    host->invalidateWindow(window);
    host->sendCommand(window, TimeLimitCommand(app->settings.timeLimitIndex));
    app->startTime = host->calendarSeconds();
    host->updateTitle(app);

    // The first step starts from its own position with the pen up.
    app->stroke.smoothed.x = log->steps[0].x;
    app->stroke.smoothed.y = log->steps[0].y;
    app->stroke.smoothed.pressure = 0;
    app->playIndex = 0;
    app->playbackMode = 1;
    log->recordStart = host->milliseconds();
    app->lastTick = 0;
    host->setPlaybackTimer(window, FirstTickPeriod(log->steps[0].time));
    return 0;
}

void PlaybackTick(AppState* app) {
    const PlaybackHost* host = ThePlaybackHost();
    const StepLog* log = &app->stepLog;
    int32_t i = app->playIndex;
    // A tick outside a playback or after its end (leaving the pause sends
    // one) has nothing to draw.
    if (!app->playbackMode || !HoldsPlayableSteps(log->stepCount) || i < 0 || i >= log->stepCount) {
        host->killPlaybackTimer(app->mainWindow);
        return;
    }
    const double factor = PlaybackFactor(app->settings.speedIndex);
    const uint32_t now = host->milliseconds();
    if (app->lastTick == 0) {
        app->timeBudget = 0.0;
    } else {
        app->timeBudget = AddElapsed(app->timeBudget, static_cast<uint32_t>(app->lastTick), now);
    }
    app->lastTick = now;

    for (;;) {
        ReplayStep(app, log->steps[i]);
        ++i;
        if (i >= log->stepCount) break;
        app->timeBudget -= StepDelay(log->steps[i - 1].time, log->steps[i].time, factor);
        if (ContinuesBatch(i, app->timeBudget)) continue;
        host->setPlaybackTimer(app->mainWindow, BatchEndPeriod(app->timeBudget));
        break;
    }
    app->playIndex = i;
    if (i >= log->stepCount) {
        // Finished; the window stays in playback mode until a new drawing.
        host->killPlaybackTimer(app->mainWindow);
        host->beep();
    }
}

void SetPlaybackSpeed(AppState* app, int32_t index) {
    if (index < 0 || index >= kPlaybackSpeeds) return;
    const int32_t previous = app->settings.speedIndex;
    app->settings.speedIndex = index;
    if (previous != 0 || index == 0) return;
    // Leaving the pause: the time spent paused is not owed, so playback goes
    // on from where it stopped instead of racing to catch up.
    const PlaybackHost* host = ThePlaybackHost();
    app->lastTick = host->milliseconds();
    app->timeBudget = 0.0;
    host->sendPlaybackTick(app->mainWindow);
}

void LeavePlayback(AppState* app) {
    const PlaybackHost* host = ThePlaybackHost();
    // A playback still running would otherwise tick on into the new drawing.
    host->killPlaybackTimer(app->mainWindow);
    app->playbackMode = 0;
    app->playIndex = 0;
    app->lastTick = 0;
    app->stepLog.stepCount = 0;
    host->sendCommand(app->mainWindow, TimeLimitCommand(app->settings.timeLimitIndex));
    app->startTime = host->calendarSeconds();
    host->updateTitle(app);
}
