// Plain block reducers: each output pixel is the number of set canvas pixels
// in its B × B block, used as an index into the reducer's colour ramp. The
// rows of a block row are counted a word at a time and their per-field
// counts added, so no loop ever runs per pixel.
#include <cstdlib>

#include "view/block_reducer_bits.h"
#include "view/block_reducer_list.h"
#include "view/block_reducer_ramp.h"

namespace {

ReducerRamp ramp16{256, RampFill::RepeatLast};
ReducerRamp ramp8{65, RampFill::RepeatLast};
ReducerRamp ramp4{17, RampFill::RepeatLast};
ReducerRamp ramp2{5, RampFill::Zero};

// Count fields of up to three rows of one word (or of kLanes words side by
// side when T is WordLanes), added into hi and lo. 16 and 8: per-byte counts;
// the nibble counts of the rows are added before they are spread into bytes
// (3 × 4 still fits a nibble), which saves a step per row. 4: per-nibble
// counts spread into bytes, left block of each byte in hi and right block in
// lo. 2: per-pair counts spread into nibbles the same way.
template <int B, int Rows, typename T>
inline void AddRows(const uint8_t* p, size_t stride, uint32_t* hi, uint32_t* lo) {
    if (B >= 8) {
        T nibbles = NibbleCounts(LoadAs<T>(p));
        if (Rows > 1) nibbles += NibbleCounts(LoadAs<T>(p + stride));
        if (Rows > 2) nibbles += NibbleCounts(LoadAs<T>(p + 2 * stride));
        StoreAs(hi, LoadAs<T>(hi) + NibblesToBytes(nibbles));
        return;
    }
    T sumHi = LoadAs<T>(hi), sumLo = LoadAs<T>(lo);
    for (int r = 0; r < Rows; ++r) {
        T x = LoadAs<T>(p + r * stride);
        if (B == 4) {
            T c = NibbleCounts(x);
            sumHi += (c >> 4) & 0x0F0F0F0Fu;
            sumLo += c & 0x0F0F0F0Fu;
        } else {
            T c = PairCounts(x);
            sumHi += (c >> 2) & 0x33333333u;
            sumLo += c & 0x33333333u;
        }
    }
    StoreAs(hi, sumHi);
    StoreAs(lo, sumLo);
}

// Rows r … r + Rows − 1 of a block row, word by word along the rows: the
// block row is one contiguous run of memory, read front to back, while the
// sums (a few kilobytes) stay in the first-level cache.
template <int B, int Rows>
void AddRowGroup(const uint8_t* rows, size_t stride, int32_t words, uint32_t* hi, uint32_t* lo) {
    int32_t w = 0;
    for (; w + kLanes <= words; w += kLanes)
        AddRows<B, Rows, WordLanes>(rows + 4 * static_cast<size_t>(w), stride, hi + w, lo + w);
    for (; w < words; ++w)
        AddRows<B, Rows, uint32_t>(rows + 4 * static_cast<size_t>(w), stride, hi + w, lo + w);
}

// Per-field sums of the B rows of one block row: at most 128 (16), 64 (8),
// 16 (4) or 4 (2), so no field overflows.
template <int B>
void AccumulateBlockRow(const uint8_t* base, size_t stride, int32_t words, uint32_t* hi,
                        uint32_t* lo) {
    std::memset(hi, 0, 2 * sizeof(uint32_t) * static_cast<size_t>(words));
    constexpr int kGroup = B >= 8 ? 3 : 1;
    int r = 0;
    for (; r + kGroup <= B; r += kGroup)
        AddRowGroup<B, kGroup>(base + r * stride, stride, words, hi, lo);
    constexpr int kLeft = B % kGroup;
    if (kLeft > 0) AddRowGroup<B, kLeft>(base + r * stride, stride, words, hi, lo);
}

// The row's output pixels, left to right. The sums are read as bytes, which
// keeps memory order whatever the machine's byte order.
template <int B>
void FinishBlockRow(const uint32_t* hiWords, const uint32_t* loWords, int32_t outWidth,
                    uint8_t* row) {
    const uint8_t* hi = reinterpret_cast<const uint8_t*>(hiWords);
    const uint8_t* lo = reinterpret_cast<const uint8_t*>(loWords);
    size_t n = static_cast<size_t>(outWidth);
    if (B == 16) {
        for (size_t j = 0; j < n; ++j)
            row[j] = static_cast<uint8_t>(SqueezeCount(hi[2 * j] + hi[2 * j + 1]));
    } else if (B == 8) {
        std::memcpy(row, hi, n);
    } else if (B == 4) {
        for (size_t j = 0; j < n; ++j) row[j] = j & 1 ? lo[j / 2] : hi[j / 2];
    } else {
        // Byte i holds blocks 4i … 4i + 3 as: hi high nibble, lo high, hi low, lo low.
        for (size_t j = 0; j < n; ++j) {
            uint8_t both = j & 1 ? lo[j / 4] : hi[j / 4];
            row[j] = static_cast<uint8_t>(j & 2 ? both & 15 : both >> 4);
        }
    }
}

template <int B> DibSurface* ReducePlain(const CanvasRegion* region, ReducerRamp* ramp) {
    RegionRows rows;
    if (!ReadRegionRows(region, &rows)) return nullptr;
    int32_t outWidth = rows.width / B, outHeight = rows.height / B;
    if (outWidth <= 0 || outHeight <= 0) return nullptr;
    RgbQuad table[256];
    CurrentRampTable(ramp, region->palette, table);
    DibSurface* out = CreateDibSurface(8, table, 256, outWidth, outHeight);
    if (!out) return nullptr;

    // Scratch: the two sums per word.
    size_t words = static_cast<size_t>(rows.words);
    void* scratch = std::malloc(words * 8);
    if (!scratch) {
        ReleaseDibSurface(&out);
        return nullptr;
    }
    uint32_t* hi = static_cast<uint32_t*>(scratch);
    uint32_t* lo = hi + words;
    size_t outStride = static_cast<size_t>(DibSurfaceStride(out));
    for (int32_t k = 0; k < outHeight; ++k) {
        AccumulateBlockRow<B>(RegionRow(rows, static_cast<int64_t>(k) * B), rows.stride, rows.words,
                              hi, lo);
        FinishBlockRow<B>(hi, lo, outWidth, out->bits + k * outStride);
    }
    std::free(scratch);
    return out;
}

} // namespace

DibSurface* ReduceBlocks16(const CanvasRegion* region) {
    return ReducePlain<16>(region, &ramp16);
}
DibSurface* ReduceBlocks8(const CanvasRegion* region) {
    return ReducePlain<8>(region, &ramp8);
}
DibSurface* ReduceBlocks4(const CanvasRegion* region) {
    return ReducePlain<4>(region, &ramp4);
}
DibSurface* ReduceBlocks2(const CanvasRegion* region) {
    return ReducePlain<2>(region, &ramp2);
}
