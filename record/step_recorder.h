// The step recorder: while recording is on, every brush segment is appended
// to the step log with its time, position and pressure.
#pragma once

#include "base/app_state.h"
#include "engine/stroke_recorder.h"

// Appends the smoothed sample as a step when recording is on.
void AppendStep(AppState* app);

// A stroke that starts while the log's last step still has pressure (the
// pen was lifted while its samples were not drawn, e.g. with Space held)
// gets a pen-up step first, so that a replay does not join the strokes.
void CloseOpenStroke(AppState* app);

// The recorder the shell installs into the stroke engine.
extern const StrokeRecorder kStepRecorder;
