// The inner loops of the accumulate passes. Each walks columns [j, end) of
// one canvas row whose pixels all fall inside the output, cutting the row
// into runs of pixels that share a cell and adding each run with one update
// of its count and sum cells. The walks take the cell type as a parameter:
// 8-bit cells for the row-band worker, 16-bit ones for the wide pass of the
// renderers. Cells add modulo their width, so where a run is cut into pieces
// does not change the totals. Everything here is forced inline so the caller
// can compile it once per instruction set.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "worker/crossing_masks.h"
#include "worker/stretch_boxes.h"

#define TESSARUB_INLINE inline __attribute__((always_inline))

// What every row of a band shares.
template <typename CellType> struct BandWalk {
    CellType* counts;
    CellType* sumTop; // sum cell (0, 0); cell row y lies y strides below it
    ptrdiff_t outStride;
    ptrdiff_t W;
    int32_t H;
    uint32_t dx; // column steps, wrapping
    uint32_t dy;
    int32_t windowEnd; // a window of 8 row bytes may start below this column
    // Columns left in the current cell along each axis, from the fraction f:
    // with g = (f ^ mask) + add - 1 (65535 - f rising, f falling) it is
    // floor(g / |step|) + 1 = ((g * ceil(2^47 / |step|)) >> 47) + 1, exact as
    // g < 2^16 and |step| <= 2^31 keep the reciprocal's error below one unit.
    // A zero step never leaves the cell and gives at least 32768.
    uint32_t xMask, xAdd, yMask, yAdd;
    uint64_t xReciprocal, yReciprocal;
    // Pointer moves on entering the next cell: index x + 2 y for a crossing
    // along x, along y, or both at once.
    ptrdiff_t countMove[4];
    ptrdiff_t sumMove[4];
};

// Reciprocal walk of one axis (see BandWalk).
inline void SetAxisRun(int32_t step, uint32_t* mask, uint32_t* add, uint64_t* reciprocal) {
    if (step == 0) {
        *mask = 0, *add = 65536, *reciprocal = uint64_t{1} << 46;
        return;
    }
    uint64_t size =
        step > 0 ? static_cast<uint64_t>(step) : uint64_t{0} - static_cast<uint64_t>(step);
    *reciprocal = ((uint64_t{1} << 47) + size - 1) / size;
    // Rising positions leave at the top of the cell, falling ones at the bottom.
    *mask = step > 0 ? 0xFFFFu : 0u;
    *add = 1;
}

// Fills a walk over W x H cells: counts row-major from the top, sums from
// sumTop with outStride elements between rows (negative: top row first).
template <typename CellType>
void SetUpBandWalk(BandWalk<CellType>* walk, CellType* counts, CellType* sumTop,
                   ptrdiff_t outStride, int32_t W, int32_t H, int32_t xPerColumn,
                   int32_t yPerColumn, int32_t windowEnd) {
    walk->counts = counts;
    walk->sumTop = sumTop;
    walk->outStride = outStride;
    walk->W = W;
    walk->H = H;
    walk->dx = static_cast<uint32_t>(xPerColumn);
    walk->dy = static_cast<uint32_t>(yPerColumn);
    walk->windowEnd = windowEnd;
    SetAxisRun(xPerColumn, &walk->xMask, &walk->xAdd, &walk->xReciprocal);
    SetAxisRun(yPerColumn, &walk->yMask, &walk->yAdd, &walk->yReciprocal);
    const ptrdiff_t xMove = xPerColumn < 0 ? -1 : 1, yMove = yPerColumn < 0 ? -1 : 1;
    walk->countMove[0] = 0, walk->sumMove[0] = 0;
    walk->countMove[1] = xMove, walk->sumMove[1] = xMove;
    walk->countMove[2] = yMove * walk->W, walk->sumMove[2] = -yMove * outStride;
    walk->countMove[3] = walk->countMove[1] + walk->countMove[2];
    walk->sumMove[3] = walk->sumMove[1] + walk->sumMove[2];
}

// Longest run a 64-bit window can count after a shift of up to 7 bits.
constexpr uint32_t kMaxWindowRun = 57;
// Columns per stretch of the mask walk (all exact bits of a crossing mask).
constexpr int32_t kStretch = 56;
// Columns ahead whose counts cell is prefetched.
constexpr int32_t kPrefetchAhead = 128;
// Row bytes ahead that are prefetched: past the strip being walked.
constexpr int32_t kRowAhead = 192;

// An address for a prefetch only, which may lie outside any array.
TESSARUB_INLINE const void* Offset(const void* address, ptrdiff_t bytes) {
    return reinterpret_cast<const void*>(reinterpret_cast<uintptr_t>(address) +
                                         static_cast<uintptr_t>(bytes));
}

TESSARUB_INLINE int32_t Cell(uint32_t position) {
    return static_cast<int32_t>(position) >> 16;
}

TESSARUB_INLINE uint32_t ColumnsLeftInCell(uint32_t position, uint32_t mask, uint32_t add,
                                           uint64_t reciprocal) {
    uint64_t gap = ((position & 0xFFFFu) ^ mask) + add - 1;
    return static_cast<uint32_t>((gap * reciprocal) >> 47) + 1;
}

TESSARUB_INLINE uint32_t CountOnes(uint64_t bits) {
    return static_cast<uint32_t>(__builtin_popcountll(bits));
}

// Columns j.. of a row as a 64-bit word, column j in the top bit: bytes keep
// their leftmost pixel in bit 7. The top 57 bits are columns j..j+56.
TESSARUB_INLINE uint64_t RowWindow(const uint8_t* row, int32_t j) {
    uint64_t window;
    std::memcpy(&window, row + (j >> 3), sizeof window);
    return __builtin_bswap64(window) << (j & 7);
}

// Set bits among columns [j, j + n), one pixel at a time, for the last bytes
// of a row where a window would read past it.
TESSARUB_INLINE uint32_t PixelOnes(const uint8_t* row, int32_t j, uint32_t n) {
    uint32_t ones = 0;
    for (int32_t x = j; x < j + static_cast<int32_t>(n); ++x)
        ones += (row[x >> 3] >> (7 - (x & 7))) & 1u;
    return ones;
}

template <bool kShared, typename CellType>
TESSARUB_INLINE void AddToCell(CellType* cell, uint32_t amount) {
    if (kShared)
        __atomic_fetch_add(cell, static_cast<CellType>(amount), __ATOMIC_RELAXED);
    else
        *cell = static_cast<CellType>(*cell + amount);
}

// Any steps: each run's length comes from the reciprocals, its cell from the
// position itself.
template <bool kShared, typename CellType>
TESSARUB_INLINE void AccumulateRuns(const BandWalk<CellType>& walk, const uint8_t* row, int32_t j,
                                    int32_t end, uint32_t X, uint32_t Y) {
    // Locals, so the byte stores below cannot force reloads of the record.
    CellType* const counts = walk.counts;
    CellType* const sumTop = walk.sumTop;
    const ptrdiff_t outStride = walk.outStride, W = walk.W;
    const uint32_t dx = walk.dx, dy = walk.dy;
    const uint32_t xMask = walk.xMask, xAdd = walk.xAdd, yMask = walk.yMask, yAdd = walk.yAdd;
    const uint64_t xReciprocal = walk.xReciprocal, yReciprocal = walk.yReciprocal;
    const uint32_t aheadX = dx * kPrefetchAhead, aheadY = dy * kPrefetchAhead;
    const int32_t windowEnd = walk.windowEnd < end ? walk.windowEnd : end;
    const int32_t prefetchEnd = end - kPrefetchAhead;

    while (j < end) {
        uint32_t n = ColumnsLeftInCell(X, xMask, xAdd, xReciprocal);
        uint32_t ny = ColumnsLeftInCell(Y, yMask, yAdd, yReciprocal);
        if (ny < n) n = ny;
        if (n > kMaxWindowRun) n = kMaxWindowRun;
        uint32_t left = static_cast<uint32_t>(end - j);
        if (n > left) n = left;

        if (j < prefetchEnd)
            __builtin_prefetch(counts + Cell(Y + aheadY) * W + Cell(X + aheadX), 1);

        uint32_t ones =
            j < windowEnd ? CountOnes(RowWindow(row, j) >> (64 - n)) : PixelOnes(row, j, n);
        ptrdiff_t cx = Cell(X), cy = Cell(Y);
        AddToCell<kShared>(counts + cy * W + cx, n);
        AddToCell<kShared>(sumTop - cy * outStride + cx, ones);

        j += static_cast<int32_t>(n);
        X += n * dx;
        Y += n * dy;
    }
}

// What a stretch's pixels hold: most stretches of a drawing are all paper or
// all ink, and those need no bit counts (and all-zero ones no sum adds).
enum class StretchBits { Mixed, Ones, Zeros };

// The runs of one stretch: run ends are the set bits of ends; a run's sum is
// the difference of two prefix counts of the window's bits; a crossing moves
// the cell pointers by the table entry of its kind.
template <bool kShared, StretchBits kBits, typename CellType>
TESSARUB_INLINE void StretchRuns(uint64_t ends, uint64_t xCross, uint64_t yCrossUp, uint64_t window,
                                 const ptrdiff_t* countMove, const ptrdiff_t* sumMove,
                                 CellType*& countCell, CellType*& sumCell) {
    uint32_t from = 0, onesBefore = 0;
    while (ends != 0) {
        const uint32_t k = static_cast<uint32_t>(__builtin_ctzll(ends));
        ends &= ends - 1;
        AddToCell<kShared>(countCell, k - from);
        if (kBits == StretchBits::Mixed) {
            // Columns before k: the window without its bits from k on.
            const uint32_t ones = CountOnes(window & ~(~uint64_t{0} >> k));
            AddToCell<kShared>(sumCell, ones - onesBefore);
            onesBefore = ones;
        } else if (kBits == StretchBits::Ones) {
            AddToCell<kShared>(sumCell, k - from);
        }
        const uint32_t move = static_cast<uint32_t>(((xCross >> k) & 1) | ((yCrossUp >> k) & 2));
        countCell += countMove[move];
        sumCell += sumMove[move];
        from = k;
    }
    AddToCell<kShared>(countCell, kStretch - from);
    if (kBits == StretchBits::Mixed)
        AddToCell<kShared>(sumCell, CountOnes(window >> (64 - kStretch)) - onesBefore);
    else if (kBits == StretchBits::Ones)
        AddToCell<kShared>(sumCell, kStretch - from);
}

#if PINDORA_X86
// The box step over whole stretches from column `at` on while their boxes
// fit the output around the cell of column -1; at, X and Y move past them.
// Not forced inline: the walk that calls it is compiled for any x86 too, and
// only the caller built for these instructions gets it inlined.
template <uint32_t kRows, bool kTable>
__attribute__((target("popcnt,bmi,bmi2,ssse3"))) inline void
BoxStretchesOf_Ssse3(const StretchBoxes& shared, const BandWalk<uint8_t>& walk, const uint8_t* row,
                     int32_t stretchEnd, int32_t& at, uint32_t& X, uint32_t& Y) {
    // A copy the cell stores cannot alias, so its fields need no reloading.
    const StretchBoxes boxes = shared;
    uint8_t* const countBox = walk.counts + boxes.boxOffset;
    uint8_t* const sumBox = walk.sumTop + boxes.boxOffset;
    const ptrdiff_t W = walk.W, outStride = walk.outStride;
    const ptrdiff_t countRowStep = walk.countMove[2], sumRowStep = walk.sumMove[2];
    // About the cells the walk reaches kPrefetchAhead columns on.
    const ptrdiff_t aheadX = (int64_t{static_cast<int32_t>(walk.dx)} * kPrefetchAhead) >> 16;
    const ptrdiff_t aheadY = (int64_t{static_cast<int32_t>(walk.dy)} * kPrefetchAhead) >> 16;
    const ptrdiff_t countAhead = aheadX + aheadY * W, sumAhead = aheadX - aheadY * outStride;
    const uint32_t stretchX = walk.dx * kStretch, stretchY = walk.dy * kStretch;
    constexpr uint64_t kAll = (uint64_t{1} << kStretch) - 1;
    uint32_t boxX = X - walk.dx, boxY = Y - walk.dy;
    // Positions move one way along each axis, so when the first and the last
    // stretch fit, all between do; otherwise count those that fit in a row.
    const int32_t count = at < stretchEnd ? (stretchEnd - at + kStretch - 1) / kStretch : 0;
    int32_t n = 0;
    if (count > 0 && BoxFits(boxes, boxX, boxY) &&
        BoxFits(boxes, boxX + (count - 1) * stretchX, boxY + (count - 1) * stretchY))
        n = count;
    else
        while (n < count && BoxFits(boxes, boxX + n * stretchX, boxY + n * stretchY)) ++n;
    // The row's bytes from column at on, 7 per stretch, each window shifted
    // alike.
    const uint8_t* bytes = row + (at >> 3);
    const int32_t shift = at & 7;
    for (int32_t k = 0; k < n; ++k, bytes += kStretch / 8, boxX += stretchX, boxY += stretchY) {
        const ptrdiff_t cx = Cell(boxX), cy = Cell(boxY);
        uint8_t* const countAt = countBox + cy * W + cx;
        uint8_t* const sumAt = sumBox - cy * outStride + cx;
        __builtin_prefetch(Offset(countAt, countAhead), 1);
        __builtin_prefetch(Offset(sumAt, sumAhead), 1);
        // The row's next strip: its bytes are read after the block's other rows.
        __builtin_prefetch(bytes + kRowAhead);
        const uint64_t window = RowWindow(bytes, shift);
        const uint64_t pixels = window >> (64 - kStretch);
        if (pixels == kAll || pixels == 0)
            StretchBox<kRows, false, kTable>(boxes, boxX, boxY, pixels != 0, 0, countAt,
                                             countRowStep, sumAt, sumRowStep);
        else
            StretchBox<kRows, true, kTable>(boxes, boxX, boxY, true, window, countAt, countRowStep,
                                            sumAt, sumRowStep);
    }
    at += n * kStretch;
    X = boxX + walk.dx;
    Y = boxY + walk.dy;
}

// The same for the band's number of cell rows per box, 2..7.
template <bool kTable>
__attribute__((target("popcnt,bmi,bmi2,ssse3"))) inline void
BoxStretchesWith_Ssse3(const StretchBoxes& boxes, const BandWalk<uint8_t>& walk, const uint8_t* row,
                       int32_t stretchEnd, int32_t& j, uint32_t& X, uint32_t& Y) {
    switch (boxes.rows) {
    case 2:
        return BoxStretchesOf_Ssse3<2, kTable>(boxes, walk, row, stretchEnd, j, X, Y);
    case 3:
        return BoxStretchesOf_Ssse3<3, kTable>(boxes, walk, row, stretchEnd, j, X, Y);
    case 4:
        return BoxStretchesOf_Ssse3<4, kTable>(boxes, walk, row, stretchEnd, j, X, Y);
    case 5:
        return BoxStretchesOf_Ssse3<5, kTable>(boxes, walk, row, stretchEnd, j, X, Y);
    case 6:
        return BoxStretchesOf_Ssse3<6, kTable>(boxes, walk, row, stretchEnd, j, X, Y);
    default:
        return BoxStretchesOf_Ssse3<7, kTable>(boxes, walk, row, stretchEnd, j, X, Y);
    }
}

// And for the way the band finds its entry columns.
__attribute__((target("popcnt,bmi,bmi2,ssse3"))) inline void
BoxStretches_Ssse3(const StretchBoxes& boxes, const BandWalk<uint8_t>& walk, const uint8_t* row,
                   int32_t stretchEnd, int32_t& j, uint32_t& X, uint32_t& Y) {
    if (boxes.tables != nullptr)
        BoxStretchesWith_Ssse3<true>(boxes, walk, row, stretchEnd, j, X, Y);
    else
        BoxStretchesWith_Ssse3<false>(boxes, walk, row, stretchEnd, j, X, Y);
}
#endif

// Steps of at most one cell: stretches of 56 columns whose run ends are the
// set bits of the two crossing masks.
// With kBoxes (8-bit cells, rows far from the band's edges), stretches of
// one colour after the first take the box step.
template <bool kShared, bool kBoxes, typename CellType>
TESSARUB_INLINE void AccumulateStretches(const BandWalk<CellType>& walk,
                                         const CrossingMasks& xMasks, const CrossingMasks& yMasks,
                                         const StretchBoxes* boxes, const uint8_t* row, int32_t j,
                                         int32_t end, uint32_t X, uint32_t Y, bool continuing) {
    const ptrdiff_t c1 = walk.countMove[1], c2 = walk.countMove[2], c3 = walk.countMove[3];
    const ptrdiff_t s1 = walk.sumMove[1], s2 = walk.sumMove[2], s3 = walk.sumMove[3];
    const ptrdiff_t countMove[4] = {0, c1, c2, c3}, sumMove[4] = {0, s1, s2, s3};
    const uint32_t stretchX = walk.dx * kStretch, stretchY = walk.dy * kStretch;
    // A stretch needs all its columns in [j, end) and its window in the row.
    const int32_t stretchEnd =
        walk.windowEnd < end - kStretch + 1 ? walk.windowEnd : end - kStretch + 1;
    CellType* const counts = walk.counts;
    CellType* const sumTop = walk.sumTop;
    const ptrdiff_t W = walk.W, outStride = walk.outStride;
    const ptrdiff_t aheadX = (int64_t{static_cast<int32_t>(walk.dx)} * kPrefetchAhead) >> 16;
    const ptrdiff_t aheadY = (int64_t{static_cast<int32_t>(walk.dy)} * kPrefetchAhead) >> 16;
    const ptrdiff_t countAhead = static_cast<ptrdiff_t>(sizeof(CellType)) * (aheadX + aheadY * W);
    const ptrdiff_t sumAhead =
        static_cast<ptrdiff_t>(sizeof(CellType)) * (aheadX - aheadY * outStride);
    // A row's later pieces start from the cell of the column before, so their
    // first stretch counts its crossing like any other (and may take a box).
    const uint32_t fromX = continuing ? X - walk.dx : X, fromY = continuing ? Y - walk.dy : Y;
    CellType* countCell = counts + Cell(fromY) * W + Cell(fromX);
    CellType* sumCell = sumTop - Cell(fromY) * outStride + Cell(fromX);
    // Else the first column's cell is already in the pointers: ignore its crossing.
    constexpr uint64_t kAll = (uint64_t{1} << kStretch) - 1;
    uint64_t live = kAll & ~uint64_t{continuing ? 0u : 1u};
    uint32_t xPhase = CrossingPhase(xMasks, X), yPhase = CrossingPhase(yMasks, Y);
    const uint32_t xWrap = xMasks.wrap, yWrap = yMasks.wrap;
    (void)boxes; // only the box step reads it

    for (; j < stretchEnd; j += kStretch) {
#if PINDORA_X86
        if constexpr (kBoxes) {
            // Whole stretches while the box fits the output around the cell
            // of column -1; their crossing phases are found again after.
            if (live == kAll) {
                BoxStretches_Ssse3(*boxes, walk, row, stretchEnd, j, X, Y);
                if (j >= stretchEnd) break;
                countCell = counts + Cell(Y - walk.dy) * W + Cell(X - walk.dx);
                sumCell = sumTop - Cell(Y - walk.dy) * outStride + Cell(X - walk.dx);
                xPhase = CrossingPhase(xMasks, X);
                yPhase = CrossingPhase(yMasks, Y);
            }
        }
#endif
        // About the cells the walk reaches kPrefetchAhead columns on; an
        // address past the arrays is harmless to a prefetch.
        __builtin_prefetch(Offset(countCell, countAhead), 1);
        __builtin_prefetch(Offset(sumCell, sumAhead), 1);
        // The row's next strip: its bytes are read after the block's other rows.
        __builtin_prefetch(row + (j >> 3) + kRowAhead);
        const uint32_t xAt = xPhase, yAt = yPhase;
        xPhase = (xPhase + kStretch) & xWrap;
        yPhase = (yPhase + kStretch) & yWrap;
        const uint64_t window = RowWindow(row, j);
        const uint64_t pixels = window >> (64 - kStretch);
        const uint64_t xCross = CrossingMaskAt(xMasks, xAt);
        const uint64_t yCross = CrossingMaskAt(yMasks, yAt);
        uint64_t ends = (xCross | yCross) & live;
        live = kAll;
        // Crossings along y sit one bit up, so a run end's kind is two bits.
        const uint64_t yCrossUp = yCross << 1;
        if (pixels == kAll)
            StretchRuns<kShared, StretchBits::Ones>(ends, xCross, yCrossUp, window, countMove,
                                                    sumMove, countCell, sumCell);
        else if (pixels == 0)
            StretchRuns<kShared, StretchBits::Zeros>(ends, xCross, yCrossUp, window, countMove,
                                                     sumMove, countCell, sumCell);
        else
            StretchRuns<kShared, StretchBits::Mixed>(ends, xCross, yCrossUp, window, countMove,
                                                     sumMove, countCell, sumCell);
        X += stretchX;
        Y += stretchY;
    }
    // The rest, where a window would overrun: the general walk finds its cell
    // from the position again.
    if (j < end) AccumulateRuns<kShared>(walk, row, j, end, X, Y);
}

// The columns of one canvas row that fall inside the output.
struct RowSpan {
    const uint8_t* row;
    int32_t from, to;     // canvas columns
    uint32_t X, Y;        // 16.16 position of column from
    bool shared;          // near a band edge: adds must be atomic
    bool boxed = false;   // far enough from the band's edges for the box step
    bool started = false; // an earlier piece of the row is done
};

// Rows are taken in blocks and each block in vertical strips, so that the
// count and sum cells a strip touches stay in the first-level cache while the
// block's rows pass over them (a whole row crosses thousands of cells).
constexpr int kBlockRows = 32;

// Columns per strip: about `cells` cells per row and strip.
inline int64_t StripColumns(int32_t xPerColumn, int32_t yPerColumn, uint64_t cells = 128) {
    const uint64_t reach =
        static_cast<uint64_t>(xPerColumn < 0 ? -int64_t{xPerColumn} : xPerColumn) +
        static_cast<uint64_t>(yPerColumn < 0 ? -int64_t{yPerColumn} : yPerColumn);
    if (reach == 0) return 16384;
    const int64_t columns = static_cast<int64_t>((cells << 16) / reach);
    return columns < 512 ? 512 : (columns > 16384 ? 16384 : columns);
}

// One block's row spans, strip by strip across columns [left, right); the
// crossing masks pick the stretch walk, none the general one; with kBoxes,
// boxed spans take the box step where they can. The spans are used up.
template <bool kBoxes = false, typename CellType>
TESSARUB_INLINE void AccumulateBlock(const BandWalk<CellType>& walk, const CrossingMasks* xMasks,
                                     const CrossingMasks* yMasks, int64_t stripColumns,
                                     RowSpan* spans, int count, int64_t left, int64_t right,
                                     const StretchBoxes* boxes = nullptr) {
    for (int64_t strip = left; strip < right; strip += stripColumns) {
        const int64_t stripEnd = strip + stripColumns;
        for (int k = 0; k < count; ++k) {
            RowSpan& span = spans[k];
            if (span.from >= span.to || span.from >= stripEnd) continue;
            // Whole stretches past the strip's edge, so only a row's last
            // piece ends in a partial stretch.
            const int64_t stretches = (stripEnd - span.from + kStretch - 1) / kStretch;
            const int64_t reach = span.from + stretches * kStretch;
            const int32_t to = static_cast<int32_t>(span.to < reach ? span.to : reach);
            if (xMasks != nullptr && span.shared)
                AccumulateStretches<true, false>(walk, *xMasks, *yMasks, nullptr, span.row,
                                                 span.from, to, span.X, span.Y, span.started);
            else if (xMasks != nullptr && span.boxed)
                AccumulateStretches<false, kBoxes>(walk, *xMasks, *yMasks, boxes, span.row,
                                                   span.from, to, span.X, span.Y, span.started);
            else if (xMasks != nullptr)
                AccumulateStretches<false, false>(walk, *xMasks, *yMasks, nullptr, span.row,
                                                  span.from, to, span.X, span.Y, span.started);
            else if (span.shared)
                AccumulateRuns<true>(walk, span.row, span.from, to, span.X, span.Y);
            else
                AccumulateRuns<false>(walk, span.row, span.from, to, span.X, span.Y);
            const uint32_t done = static_cast<uint32_t>(to - span.from);
            span.X += done * walk.dx;
            span.Y += done * walk.dy;
            span.from = to;
            span.started = true;
        }
    }
}
