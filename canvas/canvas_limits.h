// The one set of size limits of a canvas. The canvas, the PNG reader and
// writer, playback and the recovery journal all take their limits from here,
// so that every drawing the program makes can be saved, read and played back.
#pragma once

#include <cstdint>

// Longest side of a canvas, in canvas pixels (8 × a client of 8192 pixels).
constexpr int32_t kMaxCanvasSide = 65536;
// Largest pixel block of a picture: a 1-bit canvas of the longest sides.
constexpr uint64_t kMaxCanvasPixelBytes = uint64_t{kMaxCanvasSide} / 8 * kMaxCanvasSide;

// Whether a canvas of this size may be made, saved, read and played back.
constexpr bool IsCanvasSizeWithinLimits(int64_t width, int64_t height) {
    return width > 0 && height > 0 && width <= kMaxCanvasSide && height <= kMaxCanvasSide;
}

// The canvas side for a client side: eight canvas pixels per client pixel,
// kept within the limit on very wide screens.
constexpr int32_t CanvasSideForClient(int32_t clientSide) {
    const int64_t side = int64_t{8} * clientSide;
    return side > kMaxCanvasSide ? kMaxCanvasSide : static_cast<int32_t>(side);
}
