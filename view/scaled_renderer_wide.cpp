// Accumulation with 16-bit counts and sums: the 16-bit renderer's pass, and
// the 8-bit renderer's wherever one display pixel can gather 256 or more
// canvas pixels. Each canvas row is cut into runs of pixels that share one
// output cell; a run costs one multiplication per axis, one bit count of a
// 64-bit window and one add to each of its two cells.
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "base/cpu_features.h"
#include "base/numeric.h"
#include "view/band_threads.h"
#include "view/scaled_renderer_internal.h"

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

// Columns left before a position leaves its cell along one axis: with the
// distance g to the cell's edge in 16.16 units (g < 2^16), floor(g / |step|)
// + 1. The division is a multiplication by ceil(2^47 / |step|), exact for
// |step| < 2^31 because the reciprocal's error times g stays below 2^-31. A
// zero step never leaves the cell.
struct AxisRun {
    uint32_t rising;     // 1 when the step is positive
    uint64_t reciprocal; // ceil(2^47 / |step|), 0 for a zero step
};

AxisRun MakeAxisRun(int32_t step) {
    if (step == 0) return AxisRun{0, 0};
    uint64_t size = step > 0 ? static_cast<uint64_t>(step) : 0 - static_cast<uint64_t>(step);
    return AxisRun{step > 0 ? 1u : 0u, ((uint64_t{1} << 47) + size - 1) / size};
}

inline uint32_t ColumnsInCell(uint32_t position, const AxisRun& run) {
    if (run.reciprocal == 0) return 0xFFFFFFFFu;
    uint64_t fraction = position & 0xFFFFu;
    uint64_t gap = run.rising ? 0xFFFFu - fraction : fraction;
    return static_cast<uint32_t>((gap * run.reciprocal) >> 47) + 1;
}

// Bit count without a library call (the build targets no particular CPU).
inline uint32_t CountBits(uint32_t bits) {
    bits = bits - ((bits >> 1) & 0x55555555u);
    bits = (bits & 0x33333333u) + ((bits >> 2) & 0x33333333u);
    bits = (bits + (bits >> 4)) & 0x0F0F0F0Fu;
    return (bits * 0x01010101u) >> 24;
}

inline uint32_t CountBits64(uint64_t bits) {
    bits = bits - ((bits >> 1) & 0x5555555555555555u);
    bits = (bits & 0x3333333333333333u) + ((bits >> 2) & 0x3333333333333333u);
    bits = (bits + (bits >> 4)) & 0x0F0F0F0F0F0F0F0Fu;
    return static_cast<uint32_t>((bits * 0x0101010101010101u) >> 56);
}

// Set pixels among columns [j, j + n) of a canvas row, read as aligned
// 32-bit words (rows are padded to whole words, so nothing past the row).
inline uint32_t CountSetPixels(const uint8_t* row, int32_t j, uint32_t n) {
    uint32_t total = 0;
    const int32_t end = j + static_cast<int32_t>(n);
    while (j < end) {
        int32_t base = j & ~31;
        uint32_t word;
        std::memcpy(&word, row + (base >> 3), sizeof word);
        word = __builtin_bswap32(word); // column base + p now at bit 31 - p
        int32_t first = j - base, last = std::min(end - base, 32);
        uint32_t mask = 0xFFFFFFFFu >> first;
        if (last < 32) mask &= ~(0xFFFFFFFFu >> last);
        total += CountBits(word & mask);
        j = base + last;
    }
    return total;
}

// Longest run one 64-bit window counts after a shift of up to 7 bits.
constexpr uint32_t kWindowRun = 57;

// Set pixels among columns [j, j + n): most runs are short and lie well
// inside the row, and one unaligned 64-bit read with one bit count covers
// them (windowEnd: the first column whose 8-byte read would leave the row).
template <bool kPopcnt>
inline uint32_t CountRunPixels(const uint8_t* row, int32_t j, uint32_t n, int32_t windowEnd) {
    if (n > kWindowRun || j >= windowEnd) return CountSetPixels(row, j, n);
    uint64_t window;
    std::memcpy(&window, row + (j >> 3), sizeof window);
    // Column j now in the top bit.
    window = (__builtin_bswap64(window) << (j & 7)) >> (64 - n);
    return kPopcnt ? static_cast<uint32_t>(__builtin_popcountll(window)) : CountBits64(window);
}

template <bool kShared> inline void AddToCell(uint16_t* cell, uint32_t amount) {
    if (kShared)
        __atomic_fetch_add(cell, static_cast<uint16_t>(amount), __ATOMIC_RELAXED);
    else
        *cell = static_cast<uint16_t>(*cell + amount);
}

// Columns of one row from t = lo to hi (offsets from columnBegin), all
// falling inside the output; (X, Y) is the position of column columnBegin.
template <bool kShared, bool kPopcnt>
inline __attribute__((always_inline)) void AccumulateRow(const WideBand* band, const uint8_t* row,
                                                         int64_t lo, int64_t hi, uint32_t X,
                                                         uint32_t Y, int32_t windowEnd) {
    const uint32_t dx = static_cast<uint32_t>(band->xPerColumn);
    const uint32_t dy = static_cast<uint32_t>(band->yPerColumn);
    X += static_cast<uint32_t>(lo) * dx;
    Y += static_cast<uint32_t>(lo) * dy;
    int32_t j = band->columnBegin + static_cast<int32_t>(lo);
    const int32_t end = band->columnBegin + static_cast<int32_t>(hi);
    const int64_t W = band->outWidth;
    const AxisRun xRun = MakeAxisRun(band->xPerColumn), yRun = MakeAxisRun(band->yPerColumn);
    while (j < end) {
        uint32_t n = static_cast<uint32_t>(end - j);
        n = std::min(n, ColumnsInCell(X, xRun));
        n = std::min(n, ColumnsInCell(Y, yRun));
        int64_t cell = (static_cast<int32_t>(Y) >> 16) * W + (static_cast<int32_t>(X) >> 16);
        AddToCell<kShared>(band->counts + cell, n);
        AddToCell<kShared>(band->sums + cell, CountRunPixels<kPopcnt>(row, j, n, windowEnd));
        j += static_cast<int32_t>(n);
        X += n * dx;
        Y += n * dy;
    }
}

template <bool kPopcnt>
inline __attribute__((always_inline)) void AccumulateWideRows(const WideBand* band) {
    const CanvasImage* source = band->source;
    const int64_t stride = DibStride(source->header.biWidth, 1);
    const int32_t windowEnd = static_cast<int32_t>(std::max<int64_t>(0, (stride - 7) * 8));
    const int64_t columns = static_cast<int64_t>(band->columnEnd) - band->columnBegin;
    const int64_t xLimit = static_cast<int64_t>(band->outWidth) << 16;
    const int64_t yLimit = static_cast<int64_t>(band->outHeight) << 16;
    for (int32_t i = band->rowBegin; i < band->rowEnd; ++i) {
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
        int64_t lo = 0, hi = columns;
        NarrowToRange(X, band->xPerColumn, xLimit, &lo, &hi);
        NarrowToRange(Y, band->yPerColumn, yLimit, &lo, &hi);
        if (lo >= hi) continue;
        const uint8_t* row = source->bits + (source->header.biHeight - 1 - i) * stride;
        bool shared = band->threaded && (i - band->rowBegin < band->sharedMargin ||
                                         band->rowEnd - 1 - i < band->sharedMargin);
        if (shared)
            AccumulateRow<true, kPopcnt>(band, row, lo, hi, static_cast<uint32_t>(X),
                                         static_cast<uint32_t>(Y), windowEnd);
        else
            AccumulateRow<false, kPopcnt>(band, row, lo, hi, static_cast<uint32_t>(X),
                                          static_cast<uint32_t>(Y), windowEnd);
    }
}

// The pass twice: for any x86, and with the bit-count instruction.
void AccumulateWideBand_Scalar(const WideBand* band) {
    AccumulateWideRows<false>(band);
}

#if PINDORA_X86
__attribute__((target("popcnt"))) void AccumulateWideBand_BitScan(const WideBand* band) {
    AccumulateWideRows<true>(band);
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
