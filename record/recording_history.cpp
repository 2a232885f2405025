// The recording's side of undo and redo: the newest steps out, and back in.
#include "record/recording_history.h"

#include <algorithm>

TakenSteps TakeStepsFrom(AppState* app, uint32_t stepIndex) {
    StepLog* log = &app->stepLog;
    TakenSteps taken;
    const int32_t count = std::clamp(log->stepCount, 0, kMaxSteps);
    taken.from = static_cast<int32_t>(std::min<uint32_t>(stepIndex, static_cast<uint32_t>(count)));
    taken.steps.assign(log->steps + taken.from, log->steps + count);
    log->stepCount = taken.from;
    return taken;
}

void RestoreSteps(AppState* app, TakenSteps* taken) {
    StepLog* log = &app->stepLog;
    // Steps go back only onto the log they were taken from: anything else
    // (a log replaced meanwhile) would record strokes the canvas lacks.
    if (log->stepCount == taken->from && !taken->steps.empty()) {
        const size_t room = static_cast<size_t>(kMaxSteps - log->stepCount);
        const size_t count = std::min(room, taken->steps.size());
        std::copy_n(taken->steps.begin(), count, log->steps + log->stepCount);
        log->stepCount += static_cast<int32_t>(count);
    }
    taken->steps = std::vector<Step>();
}
