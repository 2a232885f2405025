// The recording's side of undo and redo: the newest steps out, and back in.
#include "record/recording_history.h"

#include <algorithm>

#include "record/pen_changes.h"

TakenSteps TakeStepsFrom(AppState* app, uint32_t stepIndex) {
    StepLog* log = &app->stepLog;
    TakenSteps taken;
    const int32_t count = std::clamp(log->stepCount, 0, kMaxSteps);
    taken.from = static_cast<int32_t>(std::min<uint32_t>(stepIndex, static_cast<uint32_t>(count)));
    taken.steps.assign(log->steps + taken.from, log->steps + count);
    log->stepCount = taken.from;
    taken.pens = PenChangesFrom(&app->penLog, taken.from);
    DropPenChangesFrom(&app->penLog, taken.from);
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
        // The pens go back with their steps; a change beyond the steps that
        // fitted holds from no recorded step and stays out.
        std::vector<PenChange> pens;
        for (const PenChange& change : taken->pens)
            if (change.step < log->stepCount) pens.push_back(change);
        RestorePenChanges(&app->penLog, pens);
    }
    taken->steps = std::vector<Step>();
    taken->pens = std::vector<PenChange>();
}
