// A recovered journal replayed at once onto a canvas of its size.
#include "record/recovery_replay.h"

#include "engine/brush.h"
#include "engine/refresh_thread.h"
#include "record/playback.h"
#include "record/playback_host.h"
#include "record/playback_schedule.h"
#include "record/undo_history.h"
#include "view/view_paint.h"

namespace {

void TakeIntoLog(StepLog* log, const JournalRecord& record) {
    if (record.kind == kJournalLogStart) {
        log->canvasWidth = record.logWidth;
        log->canvasHeight = record.logHeight;
        log->recordStart = record.logStart;
        log->stepCount = 0;
    } else if ((record.kind & kJournalLogged) && log->stepCount >= 0 &&
               log->stepCount < kMaxSteps) {
        log->steps[log->stepCount++] = record.step;
    }
}

} // namespace

int32_t ReplayJournal(AppState* app, const JournalContent& content) {
    WaitForRefreshIdle(app);
    ClearUndoHistory();
    FreeCanvas(&app->canvas);
    ReleaseViewBitmaps(&app->viewHost.view);
    InstallBrush(app->mainWindow, &app->canvas, &app->settings);
    CreateCanvas(&app->canvas, &app->settings, content.canvasWidth, content.canvasHeight);
    const Point client = ThePlaybackHost()->clientSize(app);
    InitViewWithClientSize(&app->viewHost, &app->canvas, &app->settings, client.x, client.y);
    if (!app->canvas.image.bits) return 1;

    const uint32_t deviceMaxPressure = app->stroke.maxPressure;
    app->stroke.smoothed.pressure = 0;
    app->stepLog.stepCount = 0;
    const std::vector<uint8_t> takenBack = TakenBackRecords(content);
    for (size_t i = 0; i < content.records.size(); ++i) {
        const JournalRecord& record = content.records[i];
        // Strokes taken back stay out of the canvas and the recording.
        if (takenBack[i]) continue;
        if (record.kind == kJournalPen) {
            // The pen the drawing was made with; the last one stays in use.
            app->settings.brushParams[0] = BrushParams{record.pen.penSize, record.pen.penHardness};
            app->stroke.maxPressure = record.pen.maxPressure;
        } else if (record.kind & kJournalDrawn) {
            DrawRecordedStep(app, record.step);
        }
        TakeIntoLog(&app->stepLog, record);
    }
    app->stroke.maxPressure = deviceMaxPressure;
    app->stroke.smoothed.pressure = 0;
    app->playbackMode = 0;
    app->loadedWithSteps = 0;
    RefreshView(&app->viewHost.view);
    RestartJournalWith(content);
    return 0;
}
