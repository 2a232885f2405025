// Small copies of pictures for the session sheet: a decoded reference and the
// 1-bit canvas, each reduced by area averaging to fit a box. No window code.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/bitmap_types.h"

// An 8-bit RGB picture, top-down rows of width * 3 bytes.
struct RgbImage {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> rgb;
    bool empty() const { return width <= 0 || height <= 0; }
};

// The size of a width × height picture fitted into the box, keeping its
// proportions; never enlarged, never below 1 × 1. (0, 0) for an empty picture.
Point FitInBox(int64_t width, int64_t height, int32_t boxWidth, int32_t boxHeight);

// Top-down 0xAARRGGBB pixels reduced to fit the box, laid over white paper.
RgbImage ReducePicture(const uint32_t* pixels, int32_t width, int32_t height, int32_t boxWidth,
                       int32_t boxHeight);

// A bottom-up 1-bit DIB (rows of `stride` bytes, the most significant bit
// leftmost) reduced to fit the box, in the colours of its two-entry palette.
RgbImage ReduceOneBitImage(const uint8_t* bits, ptrdiff_t stride, int32_t width, int32_t height,
                           const RgbQuad* palette, int32_t boxWidth, int32_t boxHeight);
