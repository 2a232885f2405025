// The canvas records: the 1-bit master image of the drawing, eight times the
// window's client size (bottom-up rows padded to 32 bits, most significant
// bit leftmost, bit 1 = paper, bit 0 = ink), and the brush that draws on it
// (in ink, or in paper while erasing).
#pragma once

#include "base/bitmap_types.h"
#include "base/pointer_sample.h"
#include "base/settings_records.h"

struct Canvas;

// Draws the stroke's current segment (previous to current smoothed sample)
// into the canvas and writes the canvas rectangle it may have changed.
using BrushFunction = int32_t (*)(const StrokeEngine* stroke, Canvas* canvas, Rect* segment);

struct CanvasImage {
    GdiHandle dc;
    GdiHandle bitmap;
    uint8_t* bits;
    BitmapInfoHeader header;
    RgbQuad palette[2];
    int32_t width;
    int32_t height;
};

struct Canvas {
    GdiHandle window;
    CanvasImage image;
    CanvasImage prevImage;
    int32_t strokeActive;
    BrushFunction brush;
    BrushParams* brushParams;
    int32_t* brushIndex;
    int32_t erasing; // the brush draws paper instead of ink
};
