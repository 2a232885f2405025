// A 32-aligned canvas rectangle copied out, turned by 0, 90, 180 or 270
// degrees and optionally mirrored, in the canvas's own 1-bit layout.
#pragma once

#include "canvas/canvas.h"

struct CanvasRegion {
    uint8_t* bits;
    BitmapInfoHeader header;
    RgbQuad palette[2];
};

// rect edges are multiples of 32 and may reach beyond the canvas; none when
// the rectangle misses the canvas or memory is short ("cx:%d cy:%d" is shown
// then). Beyond the canvas, rows below repeat its last row, and columns to
// its right repeat its last column at 90 and 270 (at 0 and 180 only within
// a partly covered last byte); every other pixel off the canvas is paper (1).
// Also none, silently, for an angle that is not a multiple of 90 (other
// multiples than 0..270 are taken modulo 360), edges off the 32-pixel grid
// or an empty rectangle.
CanvasRegion* ExtractCanvasRegion(const CanvasImage* image, Rect rect, int32_t mirror,
                                  int32_t angle);

// 1 for null, else frees the region and returns 0.
int32_t ReleaseCanvasRegion(CanvasRegion* region);
