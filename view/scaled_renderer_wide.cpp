// Accumulation with 16-bit counts and sums: the 16-bit renderer's pass, and
// the 8-bit renderer's wherever one display pixel can gather 256 or more
// canvas pixels. Each canvas row is cut into runs of pixels that share one
// output cell by the same walks as the 8-bit pass (worker/row_runs.h).
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>

#include "base/cpu_features.h"
#include "base/numeric.h"
#include "view/band_threads.h"
#include "view/scaled_renderer_internal.h"
#include "worker/row_runs.h"

namespace {

// The band record of the wide pass: the 8-bit record's fields, with 16-bit
// sums and counts in place of the counts and the output.
struct WideBand {
    float rowOrigin;
    int32_t outWidth;
    int32_t outHeight;
    uint16_t* sums;
    int32_t columnBegin;
    int32_t columnEnd;
    int32_t rowBegin;
    int32_t rowEnd;
    int32_t xPerRow;
    int32_t yPerRow;
    int32_t xPerColumn;
    int32_t yPerColumn;
    int32_t xOrigin;
    int32_t yOrigin;
    const CanvasImage* source;
    uint16_t* counts;
    int32_t singlePrecisionRows;
    int32_t threaded;     // other bands run at the same time
    int64_t sharedMargin; // rows this near the band's ends may share cells
};

// Bands with this many pixels pay for building the crossing masks, as in
// the 8-bit pass.
constexpr int64_t kStretchWalkPixels = int64_t{1} << 17;

// Where row i's columns fall inside the output; false when none does.
TESSARUB_INLINE bool FindWideSpan(const WideBand* band, const BandWalk<uint16_t>& walk,
                                  const uint8_t* bits, int64_t stride, int32_t i, RowSpan* span) {
    int64_t X, Y;
    if (band->singlePrecisionRows) {
        float offset = static_cast<float>(i) - band->rowOrigin;
        X = static_cast<int64_t>(static_cast<float>(band->xPerRow) * offset +
                                 static_cast<float>(band->xOrigin));
        Y = static_cast<int64_t>(static_cast<float>(band->yPerRow) * offset +
                                 static_cast<float>(band->yOrigin));
    } else {
        int64_t offset = i - static_cast<int64_t>(band->rowOrigin);
        X = band->xOrigin + offset * band->xPerRow;
        Y = band->yOrigin + offset * band->yPerRow;
    }
    int64_t lo = 0, hi = static_cast<int64_t>(band->columnEnd) - band->columnBegin;
    NarrowToRange(X, band->xPerColumn, walk.W << 16, &lo, &hi);
    NarrowToRange(Y, band->yPerColumn, static_cast<int64_t>(walk.H) << 16, &lo, &hi);
    if (lo >= hi) return false;
    span->row = bits + (band->source->header.biHeight - 1 - i) * stride;
    span->X = static_cast<uint32_t>(X) + static_cast<uint32_t>(lo) * walk.dx;
    span->Y = static_cast<uint32_t>(Y) + static_cast<uint32_t>(lo) * walk.dy;
    span->from = band->columnBegin + static_cast<int32_t>(lo);
    span->to = band->columnBegin + static_cast<int32_t>(hi);
    span->shared = band->threaded && (i - band->rowBegin < band->sharedMargin ||
                                      band->rowEnd - 1 - i < band->sharedMargin);
    return true;
}

// The rows of one band in blocks, cut into runs by the walks the 8-bit pass
// uses, here on 16-bit cells.
TESSARUB_INLINE void AccumulateWideRows(const WideBand* band) {
    const CanvasImage* source = band->source;
    const int64_t stride = DibStride(source->header.biWidth, 1);
    const int64_t columns = static_cast<int64_t>(band->columnEnd) - band->columnBegin;
    BandWalk<uint16_t> walk;
    SetUpBandWalk(&walk, band->counts, band->sums, -static_cast<ptrdiff_t>(band->outWidth),
                  band->outWidth, band->outHeight, band->xPerColumn, band->yPerColumn,
                  static_cast<int32_t>(std::max<int64_t>(0, (stride - 7) * 8)));
    CrossingMasks xMasks, yMasks;
    const bool stretches =
        columns * (static_cast<int64_t>(band->rowEnd) - band->rowBegin) >= kStretchWalkPixels &&
        BuildCrossingMasks(band->xPerColumn, &xMasks) &&
        BuildCrossingMasks(band->yPerColumn, &yMasks);
    const int64_t stripColumns = StripColumns(band->xPerColumn, band->yPerColumn);
    for (int32_t block = band->rowBegin; block < band->rowEnd; block += kBlockRows) {
        RowSpan spans[kBlockRows];
        int count = 0;
        int64_t left = INT64_MAX, right = INT64_MIN;
        const int32_t blockEnd =
            band->rowEnd - block < kBlockRows ? band->rowEnd : block + kBlockRows;
        for (int32_t i = block; i < blockEnd; ++i) {
            if (!FindWideSpan(band, walk, source->bits, stride, i, &spans[count])) continue;
            left = std::min<int64_t>(left, spans[count].from);
            right = std::max<int64_t>(right, spans[count].to);
            ++count;
        }
        AccumulateBlock(walk, stretches ? &xMasks : nullptr, stretches ? &yMasks : nullptr,
                        stripColumns, spans, count, left, right);
    }
}

// The pass twice: for any x86, and with the bit-count and bit-scan
// instructions.
void AccumulateWideBand_Scalar(const WideBand* band) {
    AccumulateWideRows(band);
}

#if PINDORA_X86

__attribute__((target("popcnt,bmi,bmi2"))) void AccumulateWideBand_BitScan(const WideBand* band) {
    AccumulateWideRows(band);
}
#endif

std::atomic<bool> bitScanAllowed{true};

void AccumulateWideBand(const WideBand* band) {
#if PINDORA_X86
    static const bool available = CpuHasBitScan();
    if (available && bitScanAllowed.load(std::memory_order_relaxed)) {
        AccumulateWideBand_BitScan(band);
        return;
    }
#endif
    AccumulateWideBand_Scalar(band);
}

void RunWideBand(void* record) {
    AccumulateWideBand(static_cast<const WideBand*>(record));
}

// Rows of two bands can meet in one cell only if they are closer than the
// height of a cell's preimage in canvas rows.
int64_t SharedRowMargin(const AccumulatePlan& plan) {
    const double xc = plan.xPerColumn, yc = plan.yPerColumn;
    const double det = xc * plan.yPerRow - static_cast<double>(plan.xPerRow) * yc;
    if (det == 0) return INT64_MAX;
    double rows = 65536.0 * (std::fabs(xc) + std::fabs(yc)) / std::fabs(det);
    return rows < 1e9 ? static_cast<int64_t>(rows) + 2 : INT64_MAX;
}

} // namespace

void AllowWideBitScan(bool allow) {
    bitScanAllowed.store(allow, std::memory_order_relaxed);
}

bool AccumulateWide(const CanvasImage* source, const AccumulatePlan& plan, DibSurface* output,
                    bool singlePrecisionRows, int32_t threadsAllowed) {
    const size_t cells = static_cast<size_t>(plan.width) * static_cast<size_t>(plan.height);
    uint16_t* counts = static_cast<uint16_t*>(std::calloc(cells, sizeof(uint16_t)));
    uint16_t* sums = static_cast<uint16_t*>(std::calloc(cells, sizeof(uint16_t)));
    if (!counts || !sums) {
        std::free(counts);
        std::free(sums);
        return false;
    }
    WideBand whole{};
    FillBandFromPlan(&whole, plan, source);
    whole.sums = sums;
    whole.counts = counts;
    whole.singlePrecisionRows = singlePrecisionRows ? 1 : 0;

    const int32_t n = BandProcessorCount();
    WideBand* bands = nullptr;
    BandJob* jobs = nullptr;
    if (AccumulateOnThreads(plan, threadsAllowed, n)) {
        bands = static_cast<WideBand*>(std::calloc(n, sizeof(WideBand)));
        jobs = static_cast<BandJob*>(std::calloc(n, sizeof(BandJob)));
    }
    if (bands && jobs) {
        const int64_t margin = SharedRowMargin(plan);
        for (int32_t k = 0; k < n; ++k) {
            bands[k] = whole;
            bands[k].rowBegin = BandRowBegin(plan.visit, k, n);
            bands[k].rowEnd = BandRowBegin(plan.visit, k + 1, n);
            bands[k].threaded = 1;
            bands[k].sharedMargin = margin;
            jobs[k] = BandJob{RunWideBand, &bands[k], kBandOwnRoutine};
        }
        RunBandJobs(jobs, n);
    } else {
        AccumulateWideBand(&whole);
    }
    std::free(bands);
    std::free(jobs);

    // Normalise: the same rounding as the 8-bit pass, so where neither wraps
    // the two give the same indices.
    const int32_t W = plan.width, H = plan.height;
    const int64_t stride = DibSurfaceStride(output);
    for (int32_t y = 0; y < H; ++y) {
        uint8_t* out = output->bits + static_cast<int64_t>(H - 1 - y) * stride;
        const uint16_t* c = counts + static_cast<int64_t>(y) * W;
        const uint16_t* s = sums + static_cast<int64_t>(y) * W;
        for (int32_t x = 0; x < W; ++x)
            out[x] = c[x] == 0 ? 255 : static_cast<uint8_t>((s[x] * 65024u / c[x] + 128) >> 8);
    }
    std::free(counts);
    std::free(sums);
    return true;
}
