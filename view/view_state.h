// The view record's float mappings of the free-rotation set; the record
// itself lives with the other shared records.
#pragma once

#include "base/view_records.h"
#include "canvas/canvas.h"
#include "canvas/canvas_region.h"
#include "canvas/dib_surface.h"

void FreeCanvasToBitmapFloat(const Canvas* canvas, const ViewState* view, float* x, float* y);
void FreeBitmapToCanvasFloat(const ViewState* view, float* x, float* y);
FloatRect FreeCanvasRectToBitmapFloat(const Canvas* canvas, const ViewState* view, Rect rect);
