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
// the rectangle misses the canvas or memory is short.
CanvasRegion* ExtractCanvasRegion(const CanvasImage* image, Rect rect, int32_t mirror,
                                  int32_t angle);

// 1 for null, else frees the region and returns 0.
int32_t ReleaseCanvasRegion(CanvasRegion* region);
