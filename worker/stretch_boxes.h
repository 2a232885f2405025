// The box step of the stretch walk for 8-bit cells: a stretch of 56 columns
// whose cells fit 8 cells across adds its runs with one 8-byte update per
// cell row it crosses instead of one byte update per run. Lane u of a cell
// row gets the columns that lie both in the u-th cell along x and in that
// row's cells, |[xs_u, xs_u+1) ∩ [ys_j, ys_j+1)|, where xs and ys are where
// the stretch enters each cell; both depend only on the crossing phase, so a
// band tabulates them once. The cells outside the stretch's staircase get
// zero added, which is why only rows far from the band's edges take this step.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/cpu_features.h"
#include "worker/crossing_masks.h"

#if PINDORA_X86
#include <tmmintrin.h>
#endif

// Per-phase tables of one band (see BuildStretchBoxes).
struct StretchBoxes {
    const uint8_t* xLanes; // per x phase 16 bytes: lane m = xs of the cell at byte m
                           // of the box, lane 8 + m that of the cell after it
    const uint8_t* yRows;  // per y phase 16 bytes: ys_0 = 0, ys_1.., then 56
    const uint8_t* xCount; // per phase: crossings among columns 0..55
    const uint8_t* yCount;
    ptrdiff_t boxOffset; // from the cell of column -1 to the box's first byte
    int32_t lowestCell;  // the cell of column -1 must be in
    uint32_t cellRange;  // [lowestCell, lowestCell + cellRange] for the box to fit
    int32_t cellsAcross; // the box's reach in cells along either axis
    void* memory;        // malloc'd, owned by whoever built it
};

// Tabulates the boxes for a band whose crossing masks are xMasks and yMasks,
// falling = the x step is negative, W = the output's width. False (and no
// memory held) when a stretch can enter 8 or more cells along x, 15 or more
// along y, W < 8, or memory is short.
bool BuildStretchBoxes(const CrossingMasks& xMasks, const CrossingMasks& yMasks, bool falling,
                       int32_t W, StretchBoxes* boxes);
void FreeStretchBoxes(StretchBoxes* boxes);

// Owns the tables for the span of one band pass.
class StretchBoxesOwner {
  public:
    explicit StretchBoxesOwner(StretchBoxes* boxes) : boxes_(boxes) {}
    ~StretchBoxesOwner() { FreeStretchBoxes(boxes_); }
    StretchBoxesOwner(const StretchBoxesOwner&) = delete;
    StretchBoxesOwner& operator=(const StretchBoxesOwner&) = delete;

  private:
    StretchBoxes* boxes_;
};

#if PINDORA_X86

// Adds the low 8 lanes of runs to the 8 cells at p, each modulo 256.
__attribute__((target("ssse3"), always_inline)) inline void AddEightCells(uint8_t* p,
                                                                          __m128i runs) {
    __m128i cells = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(p), _mm_add_epi8(cells, runs));
}

// For each lane's column k (0..56), how many of the window's columns before
// k are set: whole bytes from a prefix count, the rest from a masked byte.
struct WindowOnes {
    __m128i bytes;  // the window's bytes, columns 8b..8b+7 in byte b (column 8b on top)
    __m128i before; // set columns in the bytes before byte b
};

__attribute__((target("ssse3"), always_inline)) inline __m128i ByteOnes(__m128i bytes) {
    const __m128i table = _mm_setr_epi8(0, 1, 1, 2, 1, 2, 2, 3, 1, 2, 2, 3, 2, 3, 3, 4);
    const __m128i nibble = _mm_set1_epi8(0x0F);
    const __m128i low = _mm_shuffle_epi8(table, _mm_and_si128(bytes, nibble));
    const __m128i high = _mm_shuffle_epi8(table, _mm_and_si128(_mm_srli_epi16(bytes, 4), nibble));
    return _mm_add_epi8(low, high);
}

__attribute__((target("ssse3"), always_inline)) inline WindowOnes CountWindowOnes(uint64_t window) {
    WindowOnes ones;
    ones.bytes = _mm_cvtsi64_si128(static_cast<long long>(__builtin_bswap64(window)));
    __m128i before = _mm_slli_si128(ByteOnes(ones.bytes), 1);
    before = _mm_add_epi8(before, _mm_slli_si128(before, 1));
    before = _mm_add_epi8(before, _mm_slli_si128(before, 2));
    ones.before = _mm_add_epi8(before, _mm_slli_si128(before, 4));
    return ones;
}

__attribute__((target("ssse3"), always_inline)) inline __m128i OnesBefore(const WindowOnes& ones,
                                                                          __m128i columns) {
    const __m128i seven = _mm_set1_epi8(7);
    const __m128i topBits =
        _mm_setr_epi8(0, -128, -64, -32, -16, -8, -4, -2, 0, 0, 0, 0, 0, 0, 0, 0);
    const __m128i byte = _mm_and_si128(_mm_srli_epi16(columns, 3), seven);
    const __m128i part = _mm_and_si128(_mm_shuffle_epi8(ones.bytes, byte),
                                       _mm_shuffle_epi8(topBits, _mm_and_si128(columns, seven)));
    return _mm_add_epi8(_mm_shuffle_epi8(ones.before, byte), ByteOnes(part));
}

// One stretch, from the cell pointers at column -1 to the cell of column 55.
// kMixed: sums from the window's bits; otherwise every pixel is set
// (withSums) or none is. countRowStep and sumRowStep move one cell row in the
// stretch's y direction, countStep and sumStep one cell along x.
// Not forced inline: the walk that calls it is compiled for any x86 too, and
// only the caller built for these instructions gets it inlined.
template <bool kMixed>
__attribute__((target("ssse3"))) inline void
StretchBox_Ssse3(const StretchBoxes& boxes, uint32_t xPhase, uint32_t yPhase, bool withSums,
                 uint64_t window, ptrdiff_t countStep, ptrdiff_t countRowStep, ptrdiff_t sumStep,
                 ptrdiff_t sumRowStep, uint8_t*& countCell, uint8_t*& sumCell) {
    const __m128i lanes =
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(boxes.xLanes + 16 * size_t{xPhase}));
    const __m128i rows =
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(boxes.yRows + 16 * size_t{yPhase}));
    const uint32_t nx = boxes.xCount[xPhase], ny = boxes.yCount[yPhase];
    uint8_t* countRow = countCell + boxes.boxOffset;
    uint8_t* sumRow = sumCell + boxes.boxOffset;
    WindowOnes ones{};
    if (kMixed) ones = CountWindowOnes(window);
    // Row j's edges: ys_j in the low half, ys_j+1 in the high half.
    __m128i pick = _mm_set_epi64x(0x0101010101010101, 0);
    const __m128i next = _mm_set1_epi8(1);
    for (uint32_t j = 0; j <= ny; ++j) {
        const __m128i edges = _mm_shuffle_epi8(rows, pick);
        pick = _mm_add_epi8(pick, next);
        // Lane m's run in this row: columns [from, to), empty when to < from.
        const __m128i from = _mm_max_epu8(lanes, edges);
        const __m128i to = _mm_srli_si128(_mm_min_epu8(lanes, edges), 8);
        AddEightCells(countRow, _mm_subs_epu8(to, from));
        if (kMixed) {
            const __m128i before = OnesBefore(ones, _mm_unpacklo_epi64(from, to));
            AddEightCells(sumRow, _mm_subs_epu8(_mm_srli_si128(before, 8), before));
        } else if (withSums) {
            AddEightCells(sumRow, _mm_subs_epu8(to, from));
        }
        countRow += countRowStep;
        sumRow += sumRowStep;
    }
    countCell += static_cast<ptrdiff_t>(nx) * countStep + static_cast<ptrdiff_t>(ny) * countRowStep;
    sumCell += static_cast<ptrdiff_t>(nx) * sumStep + static_cast<ptrdiff_t>(ny) * sumRowStep;
}

#endif
