// The box step of the stretch walk for 8-bit cells: a stretch of 56 columns
// whose cells fit 8 cells across adds its runs with one 8-byte update per
// cell row of its box instead of one byte update per run. Lane u of a cell
// row gets the columns that lie both in the u-th cell along x and in that
// row's cells, |[xs_u, xs_u+1) ∩ [ys_j, ys_j+1)|, where xs and ys are the
// columns where the stretch enters each cell. The cells outside the
// stretch's staircase get zero added, which is why only rows far from the
// band's edges take this step.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/cpu_features.h"

#if PINDORA_X86
#include <tmmintrin.h>
#endif

// Entry columns by table (see EntryColumnsByTable), for bands whose steps
// are 256 units or more along both axes: for each axis and each 256 values
// of g, lanes 0..7 hold min(q_u, 56) + 1 and lanes 8..15 min(size - r_u - 1,
// 255), with 256 h + (u - 1) * 65536 = q_u size + r_u.
struct EntryTables {
    alignas(16) uint8_t x[256][16];
    alignas(16) uint8_t y[256][16];
};

// What every box step of a band shares (see SetUpStretchBoxes).
struct StretchBoxes {
    const EntryTables* tables; // null: entries by division
    uint32_t xSize;            // |column step| along each axis
    uint32_t ySize;
    uint64_t xDivide; // ceil(2^32 / size): g / size for any g < 2^16 (see EntryColumns)
    uint64_t yDivide;
    // Per lane u (x in lanes 0..7, y in 8..15): with (u - 1) * 65536 =
    // a size + b, `steps` holds a (at most 100) and `thresholds` size - b.
    alignas(16) uint8_t steps[16];
    alignas(16) uint16_t thresholds[16];
    uint32_t xFlip; // 0xFFFF where positions fall: their fraction is mirrored
    uint32_t yFlip;
    bool xFalling;       // cell u along x sits at byte 7 - u of the box
    ptrdiff_t boxOffset; // from the cell of column -1 to the box's first byte
    int32_t lowestCell;  // the cell of column -1 must be in
    uint32_t cellRange;  // [lowestCell, lowestCell + cellRange] for the box to fit
    // Every box adds the same number of cell rows, those past the stretch's
    // last one zero, so the row loop's end is the same for the whole band;
    // the cell row of column -1 must be in [lowestRow, lowestRow + rowRange]
    // for all of them to lie in the output.
    uint32_t rows;
    int32_t lowestRow;
    uint32_t rowRange;
};

// Whether the box around the cell of a stretch's column -1, at X, Y, lies in
// the output.
inline bool BoxFits(const StretchBoxes& boxes, uint32_t X, uint32_t Y) {
    const int32_t cx = static_cast<int32_t>(X) >> 16, cy = static_cast<int32_t>(Y) >> 16;
    return static_cast<uint32_t>(cx - boxes.lowestCell) <= boxes.cellRange &&
           static_cast<uint32_t>(cy - boxes.lowestRow) <= boxes.rowRange;
}

// The box's reach in cells along either axis, for the seam margin.
constexpr int32_t kBoxCells = 8;

// False when the steps can take a stretch into 8 or more new cells along x
// or 7 along y, a step is zero or the W x H output is smaller than a box.
// Fills tables where the steps allow them and points the boxes at them.
bool SetUpStretchBoxes(int32_t xPerColumn, int32_t yPerColumn, int32_t W, int32_t H,
                       StretchBoxes* boxes, EntryTables* tables);

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
    ones.bytes = _mm_set_epi64x(0, static_cast<long long>(__builtin_bswap64(window)));
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

// Columns 0..55 where a stretch enters its 1st..8th new cell along x (bytes
// 0..7) and along y (bytes 8..15), 56 for cells it does not reach, from the
// rising fractions fx, fy of column -1's position: column k is in new cell u
// from k = e_u = floor((g + (u - 1) * 65536) / size) on, g = 65535 - f.
// With g = e_1 size + r (0 <= r < size) and the band's (u - 1) * 65536 =
// a_u size + b_u, e_u = e_1 + a_u + (r + b_u >= size), so one division per
// axis and one compare per lane against size - b_u give them all. The
// division multiplies by ceil(2^32 / size): that overshoots g / size by less
// than g / 2^32 < 2^-16, less than the 1 / size a quotient that is not
// whole lies below the next whole number. Both terms are kept below 56 + 100
// so the bytes never wrap before the final clamp.
__attribute__((target("ssse3"), always_inline)) inline __m128i
EntryColumns(const StretchBoxes& boxes, uint32_t fx, uint32_t fy) {
    const uint32_t gx = 65535 - fx, gy = 65535 - fy;
    const uint32_t ex = static_cast<uint32_t>((gx * boxes.xDivide) >> 32);
    const uint32_t ey = static_cast<uint32_t>((gy * boxes.yDivide) >> 32);
    const uint32_t rests = (gx - ex * boxes.xSize) | (gy - ey * boxes.ySize) << 16;
    const uint32_t firsts = (ex < 56 ? ex : 56) | (ey < 56 ? ey : 56) << 8;
    const __m128i r = _mm_cvtsi32_si128(static_cast<int>(rests));
    const __m128i xRest =
        _mm_shuffle_epi8(r, _mm_setr_epi8(0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1));
    const __m128i yRest =
        _mm_shuffle_epi8(r, _mm_setr_epi8(2, 3, 2, 3, 2, 3, 2, 3, 2, 3, 2, 3, 2, 3, 2, 3));
    const __m128i* thresholds = reinterpret_cast<const __m128i*>(boxes.thresholds);
    // -1 in each lane where r >= size - b_u.
    const __m128i zero = _mm_setzero_si128();
    const __m128i carries = _mm_packs_epi16(
        _mm_cmpeq_epi16(_mm_subs_epu16(_mm_loadu_si128(thresholds), xRest), zero),
        _mm_cmpeq_epi16(_mm_subs_epu16(_mm_loadu_si128(thresholds + 1), yRest), zero));
    const __m128i first =
        _mm_shuffle_epi8(_mm_cvtsi32_si128(static_cast<int>(firsts)),
                         _mm_setr_epi8(0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1));
    const __m128i steps = _mm_loadu_si128(reinterpret_cast<const __m128i*>(boxes.steps));
    const __m128i entries = _mm_sub_epi8(_mm_add_epi8(first, steps), carries);
    return _mm_min_epu8(entries, _mm_set1_epi8(56));
}

// The same from the tables: with g = 256 h + l (l < 256), e_u = q_u +
// (l + r_u >= size), as l + r_u < 2 size when size >= 256; the carry is
// l > size - r_u - 1, never where that is 255 or more.
__attribute__((target("ssse3"), always_inline)) inline __m128i
EntryColumnsByTable(const EntryTables& tables, uint32_t fx, uint32_t fy) {
    const uint32_t gx = 65535 - fx, gy = 65535 - fy;
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(tables.x[gx >> 8]));
    const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(tables.y[gy >> 8]));
    const __m128i lows =
        _mm_shuffle_epi8(_mm_cvtsi32_si128(static_cast<int>((gx & 255) | (gy & 255) << 8)),
                         _mm_setr_epi8(0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1));
    // -1 in each lane without a carry.
    const __m128i stays =
        _mm_cmpeq_epi8(_mm_subs_epu8(lows, _mm_unpackhi_epi64(x, y)), _mm_setzero_si128());
    return _mm_min_epu8(_mm_add_epi8(_mm_unpacklo_epi64(x, y), stays), _mm_set1_epi8(56));
}

// Adds the low half of runs to the 8 cells at count and, with kSums, the
// high half to the 8 cells at sum, each modulo 256.
template <bool kSums>
__attribute__((target("ssse3"), always_inline)) inline void AddCellRow(uint8_t* count, uint8_t* sum,
                                                                       __m128i runs) {
    if (!kSums) {
        AddEightCells(count, runs);
        return;
    }
    __m128i cells = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(count));
    cells = _mm_castps_si128(
        _mm_loadh_pi(_mm_castsi128_ps(cells), reinterpret_cast<const __m64*>(sum)));
    cells = _mm_add_epi8(cells, runs);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(count), cells);
    _mm_storeh_pi(reinterpret_cast<__m64*>(sum), _mm_castsi128_ps(cells));
}

// Cell rows 0..kRows-1 of a box: row j ends at the edge in byte j of
// rowEnds, lane m runs from starts to ends. Lane m's columns in rows 0..j
// are min(end, edge of row j) - start, none when that is negative, and each
// row adds what that grew by since the row before.
template <uint32_t kRows, bool kSums>
__attribute__((target("ssse3"), always_inline)) inline void
AddBoxRows(__m128i rowEnds, __m128i starts, __m128i ends, uint8_t* countRow, ptrdiff_t countRowStep,
           uint8_t* sumRow, ptrdiff_t sumRowStep) {
    __m128i before = _mm_setzero_si128();
#pragma GCC unroll 8
    for (uint32_t j = 0; j < kRows; ++j) {
        const __m128i pick =
            _mm_add_epi8(_mm_setr_epi8(0, 0, 0, 0, 0, 0, 0, 0, 8, 8, 8, 8, 8, 8, 8, 8),
                         _mm_set1_epi8(static_cast<char>(j)));
        const __m128i upTo =
            _mm_subs_epu8(_mm_min_epu8(ends, _mm_shuffle_epi8(rowEnds, pick)), starts);
        AddCellRow<kSums>(countRow, sumRow, _mm_sub_epi8(upTo, before));
        before = upTo;
        countRow += countRowStep;
        sumRow += sumRowStep;
    }
}

// One stretch whose box's first row starts at countBox and sumBox, the
// cell of column -1 (whose position is X, Y) in its first or last lane.
// kMixed: sums from the window's bits; otherwise every pixel is set
// (withSums) or none is. countRowStep and sumRowStep move one cell row in the
// stretch's y direction.
// Each cell row takes its counts and sums in one 16-byte step: the low half
// works on columns, the high half on the set columns before them, which
// never fall from one column to the next, so the max and min of edges carry
// over to their counts.
// kTable: the entry columns from the band's tables.
template <uint32_t kRows, bool kMixed, bool kTable>
__attribute__((target("ssse3"), always_inline)) inline void
StretchBox(const StretchBoxes& boxes, uint32_t X, uint32_t Y, bool withSums, uint64_t window,
           uint8_t* countBox, ptrdiff_t countRowStep, uint8_t* sumBox, ptrdiff_t sumRowStep) {
    const uint32_t fx = (X ^ boxes.xFlip) & 0xFFFFu, fy = (Y ^ boxes.yFlip) & 0xFFFFu;
    const __m128i entries =
        kTable ? EntryColumnsByTable(*boxes.tables, fx, fy) : EntryColumns(boxes, fx, fy);
    // Set columns before each entry column; with all pixels set, the columns.
    const __m128i ones = kMixed ? OnesBefore(CountWindowOnes(window), entries) : entries;
    // Lane m's run ends: `ends` holds where the cell after the m-th one is
    // entered, `starts` where the m-th one is (0 for the first).
    __m128i ends = _mm_unpacklo_epi64(entries, ones);
    __m128i starts;
    if (boxes.xFalling) {
        ends = _mm_shuffle_epi8(
            ends, _mm_setr_epi8(7, 6, 5, 4, 3, 2, 1, 0, 15, 14, 13, 12, 11, 10, 9, 8));
        starts = _mm_srli_epi64(ends, 8);
    } else {
        starts = _mm_slli_epi64(ends, 8);
    }
    // Byte j of each half: where cell row j ends.
    const __m128i rowEnds = _mm_unpackhi_epi64(entries, ones);
    if (kMixed || withSums)
        AddBoxRows<kRows, true>(rowEnds, starts, ends, countBox, countRowStep, sumBox, sumRowStep);
    else
        AddBoxRows<kRows, false>(rowEnds, starts, ends, countBox, countRowStep, sumBox, sumRowStep);
}

#endif
