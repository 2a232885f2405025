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

// Several words side by side (four where the target has 16-byte vector
// registers, SSE2 or NEON; else one). The count steps below run lane by lane
// on it exactly as on one word.
#if defined(__SSE2__) || defined(__ARM_NEON)
typedef uint32_t WordLanes __attribute__((vector_size(16)));
constexpr int32_t kLanes = 4;
#else
typedef uint32_t WordLanes;
constexpr int32_t kLanes = 1;
#endif

// One word or several from any address, in the machine's byte order.
template <typename T> inline T LoadAs(const void* p) {
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

template <typename T> inline void StoreAs(void* p, T v) {
    std::memcpy(p, &v, sizeof v);
}

// Natively loaded words to pixel order (most significant bit = leftmost).
template <typename T> inline T PixelOrder(T x) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    return x;
#else
    return (x >> 24) | ((x >> 8) & 0xFF00u) | ((x << 8) & 0xFF0000u) | (x << 24);
#endif
}

// Byte i of a word in pixel order (0 = leftmost).
inline uint32_t PixelOrderByte(uint32_t word, int i) {
    return (word >> (24 - 8 * i)) & 0xFFu;
}

// Set bits per 2-bit field (0..2).
template <typename T> inline T PairCounts(T x) {
    return x - ((x >> 1) & 0x55555555u);
}

// Set bits per nibble (0..4).
template <typename T> inline T NibbleCounts(T x) {
    x = PairCounts(x);
    return (x & 0x33333333u) + ((x >> 2) & 0x33333333u);
}

// Nibble fields (up to 15 each) added pairwise into their bytes.
template <typename T> inline T NibblesToBytes(T x) {
    return (x & 0x0F0F0F0Fu) + ((x >> 4) & 0x0F0F0F0Fu);
}

// Set bits per byte (0..8).
template <typename T> inline T ByteCounts(T x) {
    return NibblesToBytes(NibbleCounts(x));
}

// A 16 × 16 count (0..256) as a palette index: 128 and up lose one, so 127
// and 128 share an index and 256 becomes 255.
inline uint32_t SqueezeCount(uint32_t count) {
    return count - (count >= 128 ? 1u : 0u);
}
