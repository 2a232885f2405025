// The pixel primitives the brush draws with, straight into the 1-bit canvas
// bits. Every primitive clips to the canvas: nothing outside its rows (or in
// the padding bits at the end of a row) is ever written, whatever the input.
// colour 0 clears bits (ink), any other value sets them (paper).
#pragma once

#include <cstdint>

#include "canvas/canvas.h"

struct FloatPoint {
    float x;
    float y;
};

// Pixels x0 to x1 (inclusive) of canvas row y.
void FillSpan(CanvasImage* image, int32_t x0, int32_t x1, int32_t y, int32_t colour);

void SetCanvasPixel(CanvasImage* image, int32_t x, int32_t y, int32_t colour);

// Pixel-centre rule: a pixel is inside when its centre is; a centre exactly on
// the left or top edge is outside, one on the right or bottom edge inside.
void FillDisc(CanvasImage* image, float cx, float cy, float r, int32_t colour);

// One pixel per step along the longer axis, from real end points.
void DrawThinLine(CanvasImage* image, float x0, float y0, float x1, float y1, int32_t colour);

// Scanline fill of a convex polygon with the pixel-centre rule. A polygon that
// covers the centres of one row only is drawn as its bounding span there.
void FillConvexPolygon(CanvasImage* image, const FloatPoint* points, int32_t count, int32_t colour);
