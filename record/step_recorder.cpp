#include "record/step_recorder.h"

#include "app/report.h"
#include "engine/stroke_host.h"

namespace {
// A full log is reported once, not for every further segment; the report
// comes again only after the log had room.
bool fullReported = false;
} // namespace

int32_t AppendStep(AppState* app) {
    if (app->settings.recordStep == 0) return 0;
    StepLog* log = &app->stepLog;
    const uint32_t now = TheStrokeHost()->milliseconds();
    if (log->stepCount <= 0) {
        log->stepCount = 0;
        log->canvasWidth = app->canvas.image.width;
        log->canvasHeight = app->canvas.image.height;
        log->recordStart = now;
    } else if (log->stepCount >= kMaxSteps) {
        if (!fullReported) ShowErrorMessage(u"Step buffer is full.");
        fullReported = true;
        return 0;
    }
    fullReported = false;
    Step* step = &log->steps[log->stepCount];
    step->time = now - log->recordStart;
    step->x = app->stroke.smoothed.x;
    step->y = app->stroke.smoothed.y;
    const uint32_t maxPressure = app->stroke.maxPressure;
    step->pressure =
        maxPressure ? static_cast<float>(static_cast<uint32_t>(app->stroke.smoothed.pressure)) /
                          static_cast<float>(maxPressure)
                    : 0.0f;
    log->stepCount += 1;
    return 0;
}

int32_t CloseOpenStroke(AppState* app) {
    StepLog* log = &app->stepLog;
    if (app->settings.recordStep == 0 || log->stepCount <= 0 || log->stepCount >= kMaxSteps)
        return 0;
    const Step last = log->steps[log->stepCount - 1];
    if (last.pressure == 0.0f) return 0;
    Step* step = &log->steps[log->stepCount];
    step->time = TheStrokeHost()->milliseconds() - log->recordStart;
    step->x = last.x;
    step->y = last.y;
    step->pressure = 0.0f;
    log->stepCount += 1;
    return 0;
}
