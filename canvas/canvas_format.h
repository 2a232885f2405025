// What both canvas back ends share: the size check and the pixel format of
// a new canvas image.
#pragma once

#include <cstddef>

#include "canvas/canvas.h"

// The pixel block size of a canvas, or 0 when no canvas of that size can be
// made (a size outside the canvas limits).
size_t CanvasPixelBytes(int32_t width, int32_t height);

// Header (1 bit, bottom-up) and the two colour-table entries: 0 = drawing
// colour, 1 = background colour. Without settings, black ink on white paper.
void FillCanvasFormat(CanvasImage* image, const Settings* settings, int32_t width, int32_t height);

constexpr char16_t kCanvasFailedText[] = u"Can not Create Canvas.";
constexpr char16_t kPrevCanvasFailedText[] = u"Can not Create prev.canvas.";
