// Shared pieces of the block reducers: the region's row layout, word loads
// and the parallel bit-count steps. A count step keeps every field inside its
// own byte, so counts of natively loaded words stay in memory order byte by
// byte; only the sub-pixel windows, which shift across bytes, need words in
// pixel order (big-endian loads: most significant bit = leftmost pixel).
#pragma once

#include <cstdint>
#include <cstring>

#include "canvas/canvas_region.h"

struct RegionRows {
    const uint8_t* bits;
    int32_t width;  // pixels
    int32_t height; // rows
    size_t stride;  // bytes per row
    int32_t words;  // 32-bit words per row
};

// The region's rows, or false for a region no reducer can read.
inline bool ReadRegionRows(const CanvasRegion* region, RegionRows* rows) {
    if (!region || !region->bits) return false;
    const BitmapInfoHeader& h = region->header;
    if (h.biBitCount != 1 || h.biWidth <= 0 || h.biHeight <= 0) return false;
    rows->bits = region->bits;
    rows->width = h.biWidth;
    rows->height = h.biHeight;
    rows->stride = static_cast<size_t>(DibStride(h.biWidth, 1));
    rows->words = static_cast<int32_t>(rows->stride / 4);
    return true;
}

inline const uint8_t* RegionRow(const RegionRows& rows, int64_t row) {
    return rows.bits + static_cast<size_t>(row) * rows.stride;
}

inline uint32_t LoadNative32(const uint8_t* p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

inline uint32_t LoadBigEndian32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 |
           static_cast<uint32_t>(p[2]) << 8 | static_cast<uint32_t>(p[3]);
}

// Byte i of a word in pixel order (0 = leftmost).
inline uint32_t PixelOrderByte(uint32_t word, int i) {
    return (word >> (24 - 8 * i)) & 0xFFu;
}

// Set bits per 2-bit field (0..2).
inline uint32_t PairCounts(uint32_t x) {
    return x - ((x >> 1) & 0x55555555u);
}

// Set bits per nibble (0..4).
inline uint32_t NibbleCounts(uint32_t x) {
    x = PairCounts(x);
    return (x & 0x33333333u) + ((x >> 2) & 0x33333333u);
}

// Set bits per byte (0..8).
inline uint32_t ByteCounts(uint32_t x) {
    x = NibbleCounts(x);
    return (x + (x >> 4)) & 0x0F0F0F0Fu;
}

// A 16 × 16 count (0..256) as a palette index: 128 and up lose one, so 127
// and 128 share an index and 256 becomes 255.
inline uint32_t SqueezeCount(uint32_t count) {
    return count - (count >= 128 ? 1u : 0u);
}
