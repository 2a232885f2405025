// The step recorder: while recording is on, every brush segment is appended
// to the step log with its time, position and pressure.
#pragma once

#include "app/app_state.h"

// Appends the smoothed sample as a step when recording is on. Returns 0.
int32_t AppendStep(AppState* app);
