// Where the stroke engine hands its segments to the recorder. The recorder
// lives above the engine (it keeps the step log and the recovery journal),
// so the shell installs it here; with none installed nothing is recorded.
#pragma once

#include "base/app_state.h"

struct StrokeRecorder {
    // A drawn segment's smoothed end becomes a step when recording is on.
    void (*appendStep)(AppState* app);
    // A stroke begins: an open recorded stroke is closed with a pen-up first.
    void (*closeOpenStroke)(AppState* app);
};

void SetStrokeRecorder(const StrokeRecorder* recorder);
const StrokeRecorder* TheStrokeRecorder();
