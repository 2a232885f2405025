// The canvas: the 1-bit master image of the drawing, eight times the window's
// client size. Bottom-up rows padded to 32 bits, most significant bit
// leftmost, bit 1 = paper (colour-table entry 1), bit 0 = ink (entry 0).
#pragma once

#include "base/canvas_records.h"
#include "base/settings_records.h"

// Makes the image (all paper) and the previous canvas. Failures are shown as
// messages ("Can not Create Canvas.", "Can not Create prev.canvas."); returns 0.
int32_t CreateCanvas(Canvas* canvas, const Settings* settings, int32_t width, int32_t height);

// Releases both images and clears their fields.
void FreeCanvas(Canvas* canvas);

inline int32_t CanvasStride(const CanvasImage* image) {
    return DibStride(image->width, 1);
}

// The stored row of canvas row y (counted from the top).
inline uint8_t* CanvasRow(const CanvasImage* image, int32_t y) {
    return image->bits + static_cast<ptrdiff_t>(image->height - 1 - y) * CanvasStride(image);
}
