// Taking the newest steps out of the recording and putting them back: what
// undo and redo do to the recording, so that a replay always draws exactly
// the picture on the canvas. Whatever else the recording holds by step index
// leaves and returns here with its steps.
#pragma once

#include <cstdint>
#include <vector>

#include "base/app_state.h"

struct TakenSteps {
    int32_t from = 0;        // the step index they were taken from
    std::vector<Step> steps; // in recorded order
    size_t Bytes() const { return steps.capacity() * sizeof(Step); }
};

// Removes the steps from stepIndex to the end of the log and hands them back
// (none when the log is shorter).
TakenSteps TakeStepsFrom(AppState* app, uint32_t stepIndex);

// Puts steps taken by TakeStepsFrom back where they came from; the log must
// not have grown meanwhile (undo and redo go strictly in turn). Emptied.
void RestoreSteps(AppState* app, TakenSteps* taken);
