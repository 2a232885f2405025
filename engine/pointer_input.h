// Pointer samples to strokes: screen-to-canvas conversion, stroke start and
// end, one brush segment per sample, the brush outline, and the hand-over of
// changed rectangles to the refresh thread.
#pragma once

#include "base/app_state.h"

int32_t HandlePointerSample(AppState* app, const PointerSample* sample);
