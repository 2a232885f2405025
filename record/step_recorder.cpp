// The step recorder: every drawn segment appended to the step log while recording is on.
#include "record/step_recorder.h"

#include "base/report.h"
#include "engine/stroke_host.h"
#include "record/pen_changes.h"
#include "record/recovery_journal.h"

namespace {

// A full log is reported once, not for every further segment; the report
// comes again only after the log had room.
bool fullReported = false;

// The pen the brush draws with, for the recovery journal.
JournalPen CurrentPen(const AppState* app) {
    const PenChange pen = CurrentPenChange(app->canvas, 0);
    return JournalPen{pen.penSize, pen.penHardness, app->stroke.maxPressure, pen.flags};
}

// Appends to the log when recording is on and the log has room.
bool RecordInLog(AppState* app, Step* step, uint32_t now) {
    if (app->settings.recordStep == 0) return false;
    StepLog* log = &app->stepLog;
    if (log->stepCount <= 0) {
        log->stepCount = 0;
        log->canvasWidth = app->canvas.image.width;
        log->canvasHeight = app->canvas.image.height;
        log->recordStart = now;
        AppendJournalLogStart(log);
    } else if (log->stepCount >= kMaxSteps) {
        if (!fullReported) ShowErrorMessage(u"Step buffer is full.");
        fullReported = true;
        return false;
    }
    fullReported = false;
    step->time = now - log->recordStart;
    log->steps[log->stepCount] = *step;
    log->stepCount += 1;
    NotePenAtStep(app, log->stepCount - 1);
    return true;
}

} // namespace

void AppendStep(AppState* app) {
    const uint32_t now = TheStrokeHost()->milliseconds();
    Step step{0, app->stroke.smoothed.x, app->stroke.smoothed.y, 0.0f};
    const uint32_t maxPressure = app->stroke.maxPressure;
    if (maxPressure)
        step.pressure = static_cast<float>(static_cast<uint32_t>(app->stroke.smoothed.pressure)) /
                        static_cast<float>(maxPressure);
    const bool logged = RecordInLog(app, &step, now);
    // Every drawn segment goes to the recovery journal, recorded or not.
    AppendJournalStep(logged ? kJournalDrawnLogged : kJournalDrawn, step, CurrentPen(app), now);
}

void CloseOpenStroke(AppState* app) {
    StepLog* log = &app->stepLog;
    if (app->settings.recordStep == 0 || log->stepCount <= 0 || log->stepCount >= kMaxSteps) return;
    const Step last = log->steps[log->stepCount - 1];
    if (last.pressure == 0.0f) return;
    const uint32_t now = TheStrokeHost()->milliseconds();
    Step* step = &log->steps[log->stepCount];
    step->time = now - log->recordStart;
    step->x = last.x;
    step->y = last.y;
    step->pressure = 0.0f;
    log->stepCount += 1;
    AppendJournalStep(kJournalLogged, *step, CurrentPen(app), now);
}

const StrokeRecorder kStepRecorder = {AppendStep, CloseOpenStroke};
