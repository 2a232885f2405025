// The accumulate pass: per band, the clipping of each canvas row to the
// output and the choice of walk; the walks themselves are in row_runs.h.
#include "worker/row_band.h"

#include <algorithm>

#include "base/cpu_features.h"
#include "base/numeric.h"
#include "worker/crossing_masks.h"
#include "worker/row_runs.h"
#include "worker/seam_margin.h"
#include "worker/walk_choice.h"

namespace {

// Bands with this many pixels pay for building the crossing masks (about
// 40 us for both, against some 0.6 ns saved per pixel).
constexpr int64_t kStretchWalkPixels = int64_t{1} << 17;

// Cells per row and strip where the box step walks.
constexpr uint64_t kBoxStripCells = 256;

// A row whose 16.16 positions may overflow: the plain pixel walk with
// wrapping arithmetic and atomic adds, exactly as the pass is defined.
void AccumulateWrappingRow(const BandWalk<uint8_t>& walk, const uint8_t* row, int32_t j,
                           int32_t end, uint32_t X, uint32_t Y) {
    for (; j < end; ++j, X += walk.dx, Y += walk.dy) {
        int32_t cx = Cell(X), cy = Cell(Y);
        if (cx < 0 || cy < 0 || cx >= walk.W || cy >= walk.H) continue;
        AddToCell<true>(walk.counts + static_cast<ptrdiff_t>(cy) * walk.W + cx, 1);
        AddToCell<true>(walk.sumTop - cy * walk.outStride + cx,
                        (row[j >> 3] >> (7 - (j & 7))) & 1u);
    }
}

// start + t * step, when it stays within int32 for t = first and t = last.
bool StaysInRange(int32_t start, int32_t step, int64_t first, int64_t last) {
    for (int64_t t : {first, last}) {
        int64_t offset = 0, position = 0;
        if (__builtin_mul_overflow(t, static_cast<int64_t>(step), &offset)) return false;
        if (__builtin_add_overflow(offset, static_cast<int64_t>(start), &position)) return false;
        if (position < INT32_MIN || position > INT32_MAX) return false;
    }
    return true;
}

// Everything the row loop needs, gathered once per band.
struct BandRows {
    BandWalk<uint8_t> walk;
    const CrossingMasks* xMasks; // null: the general walk only
    const CrossingMasks* yMasks;
    const StretchBoxes* boxes; // null: no box step
    int64_t boxMargin;         // rows this near the band's edges do without it
    const uint8_t* sourceBits;
    int64_t sourceStride;
    int32_t sourceHeight;
    int32_t firstRow, endRow;       // rows clipped to the canvas
    int32_t firstColumn, endColumn; // columns clipped to the canvas
    int64_t skipped;                // columns from columnBegin to firstColumn
    int32_t rowBegin, rowEnd;       // the band's own edges
    int64_t margin;
    int64_t stripColumns;
    int32_t xPerRow, yPerRow, xPerColumn, yPerColumn;
    double xOrigin, yOrigin, rowOrigin;
};

// False when no column of row i lands inside. A row whose positions could
// overflow is walked here, pixel by pixel, and reported empty.
bool FindRowSpan(const BandRows& band, int32_t i, RowSpan* span) {
    const int64_t columns = band.endColumn - band.firstColumn;
    const int64_t last = band.skipped + columns - 1;
    const double offset = static_cast<double>(i) - band.rowOrigin;
    const int32_t X = TruncateOrIndefinite(band.xPerRow * offset + band.xOrigin);
    const int32_t Y = TruncateOrIndefinite(band.yPerRow * offset + band.yOrigin);
    span->row =
        band.sourceBits + static_cast<ptrdiff_t>((band.sourceHeight - 1 - i) * band.sourceStride);
    // Only canvas rows add, so an edge with none beyond it is no seam.
    const int64_t above = band.rowBegin > 0 ? i - static_cast<int64_t>(band.rowBegin) : INT64_MAX;
    const int64_t below =
        band.rowEnd < band.sourceHeight ? static_cast<int64_t>(band.rowEnd) - 1 - i : INT64_MAX;
    const int64_t edge = std::min(above, below);
    span->shared = edge < band.margin;
    span->boxed = band.boxes != nullptr && edge >= band.boxMargin;
    if (!StaysInRange(X, band.xPerColumn, band.skipped, last) ||
        !StaysInRange(Y, band.yPerColumn, band.skipped, last)) {
        AccumulateWrappingRow(
            band.walk, span->row, band.firstColumn, band.endColumn,
            static_cast<uint32_t>(X) + static_cast<uint32_t>(band.skipped) * band.walk.dx,
            static_cast<uint32_t>(Y) + static_cast<uint32_t>(band.skipped) * band.walk.dy);
        return false;
    }
    // No overflow along the row, so the inside columns form one interval.
    const int64_t xStart = X + band.skipped * band.xPerColumn;
    const int64_t yStart = Y + band.skipped * band.yPerColumn;
    int64_t lo = 0, hi = columns;
    NarrowToRange(xStart, band.xPerColumn, band.walk.W << 16, &lo, &hi);
    NarrowToRange(yStart, band.yPerColumn, static_cast<int64_t>(band.walk.H) << 16, &lo, &hi);
    if (lo >= hi) return false;
    span->X = static_cast<uint32_t>(xStart + lo * band.xPerColumn);
    span->Y = static_cast<uint32_t>(yStart + lo * band.yPerColumn);
    span->from = static_cast<int32_t>(band.firstColumn + lo);
    span->to = static_cast<int32_t>(band.firstColumn + hi);
    return true;
}

template <bool kBoxes> TESSARUB_INLINE void AccumulateRows(const BandRows& band) {
    for (int32_t block = band.firstRow; block < band.endRow; block += kBlockRows) {
        RowSpan spans[kBlockRows];
        int count = 0;
        int64_t left = INT64_MAX, right = INT64_MIN;
        const int32_t blockEnd =
            band.endRow - block < kBlockRows ? band.endRow : block + kBlockRows;
        for (int32_t i = block; i < blockEnd; ++i) {
            if (!FindRowSpan(band, i, &spans[count])) continue;
            left = std::min<int64_t>(left, spans[count].from);
            right = std::max<int64_t>(right, spans[count].to);
            ++count;
        }
        AccumulateBlock<kBoxes>(band.walk, band.xMasks, band.yMasks, band.stripColumns, spans,
                                count, left, right, band.boxes);
    }
}

// The same loop three times: for any x86, with the bit-count and bit-scan
// instructions, and with those and the box step's byte shuffles, chosen per
// band by what the processor offers.
void AccumulateRows_Scalar(const BandRows& band) {
    AccumulateRows<false>(band);
}

#if PINDORA_X86

__attribute__((target("popcnt,bmi,bmi2"))) void AccumulateRows_BitScan(const BandRows& band) {
    AccumulateRows<false>(band);
}

__attribute__((target("popcnt,bmi,bmi2,ssse3"))) void AccumulateRows_Ssse3(const BandRows& band) {
    AccumulateRows<true>(band);
}
#endif

} // namespace

void AccumulateBand(const RowBand* band) {
    AccumulateBandWith(band, RowWalk::Automatic, BitInstructions::Automatic);
}

void AccumulateBandWith(const RowBand* band, RowWalk choice, BitInstructions instructions) {
    if (band == nullptr || band->source == nullptr || band->output == nullptr ||
        band->counts == nullptr)
        return;
    const BandImage* source = static_cast<const BandImage*>(band->source);
    const BandImage* output = static_cast<const BandImage*>(band->output);
    const int32_t W = band->outWidth, H = band->outHeight;
    const int64_t outStride = (static_cast<int64_t>(output->header.biWidth) + 3) & ~int64_t{3};
    // Records that do not fit their own images are refused rather than trusted.
    if (output->bits == nullptr || W <= 0 || H <= 0 || W > outStride || H > output->header.biHeight)
        return;
    const int32_t sourceWidth = source->header.biWidth, sourceHeight = source->header.biHeight;
    if (source->bits == nullptr || sourceWidth <= 0 || sourceHeight <= 0) return;

    BandRows rows;
    rows.sourceBits = source->bits;
    rows.sourceStride = ((static_cast<int64_t>(sourceWidth) + 31) >> 5) * 4;
    rows.sourceHeight = sourceHeight;
    rows.rowBegin = band->rowBegin, rows.rowEnd = band->rowEnd;
    rows.firstRow = std::max(band->rowBegin, 0), rows.endRow = std::min(band->rowEnd, sourceHeight);
    rows.firstColumn = std::max(band->columnBegin, 0);
    rows.endColumn = std::min(band->columnEnd, sourceWidth);
    if (rows.firstRow >= rows.endRow || rows.firstColumn >= rows.endColumn) return;
    // Column firstColumn is this many steps past columnBegin, where the origin is.
    rows.skipped = static_cast<int64_t>(rows.firstColumn) - band->columnBegin;
    rows.xPerRow = band->xPerRow, rows.yPerRow = band->yPerRow;
    rows.xPerColumn = band->xPerColumn, rows.yPerColumn = band->yPerColumn;
    rows.xOrigin = band->xOrigin, rows.yOrigin = band->yOrigin;
    rows.rowOrigin = band->rowOrigin;
    rows.stripColumns = StripColumns(rows.xPerColumn, rows.yPerColumn);
    rows.margin = SeamMargin(rows.xPerRow, rows.yPerRow, rows.xPerColumn, rows.yPerColumn);

    SetUpBandWalk(&rows.walk, band->counts,
                  output->bits + static_cast<ptrdiff_t>((H - 1) * outStride),
                  static_cast<ptrdiff_t>(outStride), W, H, rows.xPerColumn, rows.yPerColumn,
                  static_cast<int32_t>(std::max<int64_t>(0, (rows.sourceStride - 7) * 8)));

    // Big bands walk whole stretches of 56 columns when no step skips a cell.
    CrossingMasks xMasks, yMasks;
    rows.xMasks = rows.yMasks = nullptr;
    const int64_t pixels =
        static_cast<int64_t>(rows.endRow - rows.firstRow) * (rows.endColumn - rows.firstColumn);
    const bool wanted = choice == RowWalk::Stretches || choice == RowWalk::Boxes ||
                        (choice == RowWalk::Automatic && pixels >= kStretchWalkPixels);
    if (wanted && BuildCrossingMasks(rows.xPerColumn, &xMasks) &&
        BuildCrossingMasks(rows.yPerColumn, &yMasks))
        rows.xMasks = &xMasks, rows.yMasks = &yMasks;

#if PINDORA_X86
    const bool fast = instructions == BitInstructions::Automatic && CpuHasBitScan();
    // The box step, where the steps let a stretch's cells fit one.
    StretchBoxes boxes{};
    EntryTables tables;
    rows.boxes = nullptr;
    if (fast && choice != RowWalk::Stretches && rows.xMasks != nullptr && CpuHasSsse3() &&
        SetUpStretchBoxes(rows.xPerColumn, rows.yPerColumn, W, H, &boxes, &tables)) {
        rows.boxes = &boxes;
        // Each piece of a row costs the box step a set-up, so its strips are
        // twice as long as the general walk's; their cells still about fit
        // the first-level cache.
        rows.stripColumns = StripColumns(rows.xPerColumn, rows.yPerColumn, kBoxStripCells);
        rows.boxMargin = SeamMarginAcross(kBoxCells, rows.xPerRow, rows.yPerRow, rows.xPerColumn,
                                          rows.yPerColumn);
        AccumulateRows_Ssse3(rows);
        return;
    }
    if (fast) {
        AccumulateRows_BitScan(rows);
        return;
    }
#else
    (void)instructions;
    rows.boxes = nullptr;
#endif
    AccumulateRows_Scalar(rows);
}
