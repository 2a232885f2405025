// What both DibSurface back ends share: which requests are acceptable and
// how the header and colour table of a new surface are filled.
#pragma once

#include <cstddef>

#include "canvas/dib_surface.h"

// The pixel block size of a surface, or 0 when the request must be refused
// (bit count other than 1, 4, 8 or 32, non-positive size, or a block larger
// than kLargestPixelBlock).
size_t DibSurfacePixelBytes(int32_t bitCount, int32_t width, int32_t height);

// Fills header and the first paletteCount colour-table entries of a
// zero-filled record; the rest of the table stays black.
void FillDibSurfaceFormat(DibSurface* surface, int32_t bitCount, const RgbQuad* palette,
                          int32_t paletteCount, int32_t width, int32_t height);
