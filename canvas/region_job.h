// One extraction, checked and clipped: what the row copier (angles 0 and
// 180) and the turner (90 and 270) need to fill a region's pixels.
#pragma once

#include <cstddef>
#include <cstdint>

#include "canvas/canvas.h"

struct RegionJob {
    const CanvasImage* image;
    int32_t left; // source rectangle origin, canvas pixels, multiples of 32
    int32_t top;
    int32_t width; // source rectangle size before turning, multiples of 32
    int32_t height;
    int32_t x0; // the part of the rectangle on the canvas: x0 <= x < x1, y0 <= y < y1
    int32_t x1;
    int32_t y0;
    int32_t y1;
    bool mirror;
    int32_t angle;    // 0, 90, 180 or 270
    uint8_t* target;  // the region's pixel block, width × height bits, bottom-up
    uint8_t* scratch; // kTurnScratchBytes for the quarter turns, else null
};

// The quarter turns build their output in this much working space: 512
// whole region rows of a canvas up to 9216 pixels high (taller ones go in
// narrower tiles), mostly held in the processor's second-level cache.
constexpr size_t kTurnScratchBytes = 576 * 1024;

// A region this large goes out past the cache; a smaller one, such as a
// stroke's dirty update, is read by the reducer at once and stays in it.
constexpr uint64_t kStreamedRegionBytes = 1024 * 1024;

inline bool RegionOutgrowsCache(const RegionJob& job) {
    return static_cast<uint64_t>(job.width / 8) * static_cast<uint64_t>(job.height) >=
           kStreamedRegionBytes;
}

// Every region byte is written. Beyond the canvas: rows below repeat the last
// canvas row; for 0 and 180 a partly covered last byte is completed with the
// last canvas pixel; for 90 and 270 columns to the right repeat the last
// canvas column. Everything else off the canvas (above, left, whole bytes to
// the right at 0 and 180) is set to paper (bit 1), the value of an empty canvas.
void CopyRegionRows(const RegionJob& job); // angles 0 and 180
void TurnRegion(const RegionJob& job);     // angles 90 and 270

constexpr uint8_t kPaperByte = 0xFF;
