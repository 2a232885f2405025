// Pixel work of the view paint on the 32-bit screen bitmap: fills, and copies
// of 1-, 8- and 32-bit view bitmaps through their colour tables, at 1:1 or
// magnified by a whole factor (nearest pixel), clipped on both sides.
#pragma once

#include "canvas/dib_surface.h"

constexpr RgbQuad kViewBackground{192, 192, 192, 0};

// Fills a rectangle of a 32-bit surface with one colour.
void FillScreenRect(DibSurface* screen, Rect rect, RgbQuad colour);

// How a source pixel lands on the screen.
enum ComposeMode {
    kComposeCopy,       // the source colour replaces the screen pixel
    kComposeMaskedCopy, // only where the mask bit is 0 (inside the canvas)
};

// Copies source rectangle (sx, sy, sw, sh) onto the screen at (tx, ty),
// each source pixel becoming factor × factor screen pixels, within clip.
// With kComposeMaskedCopy, mask is a 1-bit surface of the source's size.
void ComposeOntoScreen(DibSurface* screen, Rect clip, int32_t tx, int32_t ty,
                       const DibSurface* source, const DibSurface* mask, int32_t sx, int32_t sy,
                       int32_t sw, int32_t sh, int32_t factor, ComposeMode mode);

// Moves the screen's content by (dx, dy); uncovered parts keep old pixels.
void ShiftScreen(DibSurface* screen, int32_t dx, int32_t dy);

// Copies src onto dst with src's (0, 0) at (dx, dy), clipped.
void CopyScreen(DibSurface* dst, const DibSurface* src, int32_t dx, int32_t dy);

// The colour of a source pixel (any bit count) through its colour table.
RgbQuad SourcePixelColour(const DibSurface* source, int32_t x, int32_t y);
