// Whether the canvas holds any ink (the automatic saves skip a blank drawing).
#pragma once

#include "canvas/canvas.h"

// 1 when the canvas image has no ink pixel (no 0 bit within its width), else 0.
int32_t IsCanvasBlank(const Canvas* canvas);
