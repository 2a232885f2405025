// The round pressure brush: one stroke segment from the previous smoothed
// sample to the current one, drawn in ink into the 1-bit canvas.
#pragma once

#include "canvas/canvas.h"

int32_t RoundBrush(const StrokeEngine* stroke, Canvas* canvas, Rect* segment);

// The canvas rectangle (right and bottom exclusive) that RoundBrush would
// change for the stroke's current segment, worked out without drawing.
Rect RoundBrushReach(const StrokeEngine* stroke, const Canvas* canvas);
