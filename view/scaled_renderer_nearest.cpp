// RenderNearest: near 1:1, every display pixel takes the one canvas pixel
// under it, stepping through the canvas in 16.16 fixed point; pixels that
// fall outside the canvas keep the fill and are marked in the mask.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "base/numeric.h"
#include "view/band_threads.h"
#include "view/scaled_renderer_internal.h"
#include "view/scaled_renderer_nearest_wide.h"

namespace {

// One band of display rows.
struct NearestBand {
    int32_t top;  // bitmap row of the output's first row
    int32_t left; // bitmap column of the output's first column
    int32_t columnEnd;
    int32_t rowBegin;
    int32_t rowEnd;
    int32_t xPerColumn;
    int32_t yPerColumn;
    int32_t xPerRow;
    int32_t yPerRow;
    int64_t xOrigin; // 16.16 canvas position of bitmap point (0, 0)
    int64_t yOrigin;
    const CanvasImage* source;
    DibSurface** outView;
    DibSurface** outMask;
    int32_t noMask;
    NearestBytes wideBytes; // none: every pixel walked one by one
};

// Positions inside a source of at most 65536 columns and rows fit a 32-bit
// unsigned 16.16 walk; a larger source takes the 64-bit walk.
constexpr int64_t kLargestWalkedSide = 65536;

// One output row: the pixels whose canvas position lies inside take its bit,
// the others keep the fill and are set in the mask. The inside columns are
// found first, so the per-pixel loop has no bounds tests.
void RenderNearestRow(const NearestBand* band, uint8_t* viewRow, uint8_t* maskRow, int32_t width,
                      int64_t x0, int64_t y0) {
    const CanvasImage* source = band->source;
    const int64_t sourceWidth = source->header.biWidth, sourceHeight = source->header.biHeight;
    const int64_t sourceStride = DibStride(source->header.biWidth, 1);
    const uint8_t* const bottomRow = source->bits + (sourceHeight - 1) * sourceStride;
    const uint32_t dx = static_cast<uint32_t>(band->xPerColumn);
    const uint32_t dy = static_cast<uint32_t>(band->yPerColumn);
    const int32_t rowBytes = (width + 7) >> 3;
    std::memset(viewRow, band->noMask ? 0xFF : 0x00, static_cast<size_t>(rowBytes));
    if (maskRow) std::memset(maskRow, 0xFF, static_cast<size_t>(rowBytes));

    int64_t lo = 0, hi = width;
    if (sourceWidth > kLargestWalkedSide || sourceHeight > kLargestWalkedSide) {
        // Too wide for 32-bit positions: test every pixel in 64 bits.
        for (int32_t k = 0; k < width; ++k) {
            const int64_t cx = (x0 + k * static_cast<int64_t>(band->xPerColumn)) >> 16;
            const int64_t cy = (y0 + k * static_cast<int64_t>(band->yPerColumn)) >> 16;
            if (cx < 0 || cy < 0 || cx >= sourceWidth || cy >= sourceHeight) continue;
            const uint8_t* row = bottomRow - cy * sourceStride;
            const uint8_t bit = static_cast<uint8_t>(0x80u >> (k & 7));
            if ((row[cx >> 3] >> (7 - (cx & 7))) & 1u)
                viewRow[k >> 3] |= bit;
            else
                viewRow[k >> 3] &= static_cast<uint8_t>(~bit);
            if (maskRow) maskRow[k >> 3] &= static_cast<uint8_t>(~bit);
        }
        return;
    }
    // The inside columns, exactly; there every position lies in 0 … 2^32.
    NarrowToRange(x0, band->xPerColumn, sourceWidth << 16, &lo, &hi);
    NarrowToRange(y0, band->yPerColumn, sourceHeight << 16, &lo, &hi);
    if (lo >= hi) return;
    uint32_t X = static_cast<uint32_t>(x0 + lo * band->xPerColumn);
    uint32_t Y = static_cast<uint32_t>(y0 + lo * band->yPerColumn);
    // Canvas bit at 16.16 position (X, Y), known to be inside.
    auto bit = [bottomRow, sourceStride](uint32_t x, uint32_t y) -> uint32_t {
        const uint32_t cx = x >> 16;
        const uint8_t* row = bottomRow - static_cast<int64_t>(y >> 16) * sourceStride;
        return (row[cx >> 3] >> (~cx & 7u)) & 1u;
    };
    for (int32_t k = static_cast<int32_t>(lo); k < hi;) {
        const int32_t byte = k >> 3, first = k & 7;
        const int32_t last = static_cast<int32_t>(std::min<int64_t>(8, hi - (byte << 3)));
        uint32_t value = 0;
        if (first == 0 && last == 8 && band->wideBytes) {
            // A run of whole output bytes, gathered where the processor can.
            const int32_t done =
                band->wideBytes(bottomRow, static_cast<int32_t>(sourceStride), X, Y, dx, dy,
                                viewRow + byte, static_cast<int32_t>((hi - k) >> 3));
            if (done > 0) {
                if (maskRow) std::memset(maskRow + byte, 0, static_cast<size_t>(done));
                X += 8 * static_cast<uint32_t>(done) * dx;
                Y += 8 * static_cast<uint32_t>(done) * dy;
                k += 8 * done;
                continue;
            }
        }
        if (first == 0 && last == 8) {
            // A whole output byte: eight steps with fixed bit positions.
            for (int32_t b = 0; b < 8; ++b, X += dx, Y += dy) value = value << 1 | bit(X, Y);
            viewRow[byte] = static_cast<uint8_t>(value);
            if (maskRow) maskRow[byte] = 0;
            k += 8;
            continue;
        }
        for (int32_t b = first; b < last; ++b, X += dx, Y += dy) value |= bit(X, Y) << (7 - b);
        const uint8_t covered = static_cast<uint8_t>((0xFFu >> first) & ~(0xFFu >> last));
        viewRow[byte] = static_cast<uint8_t>((viewRow[byte] & ~covered) | value);
        if (maskRow) maskRow[byte] &= static_cast<uint8_t>(~covered);
        k = (byte << 3) + last;
    }
}

void RenderNearestBand(const NearestBand* band) {
    DibSurface* view = *band->outView;
    DibSurface* mask = band->noMask ? nullptr : *band->outMask;
    const int32_t H = view->header.biHeight;
    const int64_t stride = DibSurfaceStride(view);
    const int32_t width = band->columnEnd - band->left;
    for (int32_t i = band->rowBegin; i < band->rowEnd; ++i) {
        // The row's start from absolute bitmap coordinates, in 64 bits: a
        // large turned canvas reaches positions past the int32 range.
        const int64_t X = band->xOrigin + static_cast<int64_t>(i) * band->xPerRow +
                          static_cast<int64_t>(band->left) * band->xPerColumn;
        const int64_t Y = band->yOrigin + static_cast<int64_t>(i) * band->yPerRow +
                          static_cast<int64_t>(band->left) * band->yPerColumn;
        const int64_t stored = static_cast<int64_t>(H - 1 - (i - band->top)) * stride;
        RenderNearestRow(band, view->bits + stored, mask ? mask->bits + stored : nullptr, width, X,
                         Y);
    }
}

void RunNearestBand(void* record) {
    RenderNearestBand(static_cast<const NearestBand*>(record));
}

void FillSurface(DibSurface* surface, uint8_t value) {
    std::memset(surface->bits, value,
                static_cast<size_t>(DibSurfaceStride(surface)) * surface->header.biHeight);
}

// Splits the rows over n threads: b = H / n rows each, the rest to the last.
void RenderOnThreads(const NearestBand& whole, int32_t rows, int32_t n) {
    NearestBand* bands = static_cast<NearestBand*>(std::calloc(n, sizeof(NearestBand)));
    BandJob* jobs = static_cast<BandJob*>(std::calloc(n, sizeof(BandJob)));
    if (!bands || !jobs) {
        std::free(bands);
        std::free(jobs);
        RenderNearestBand(&whole);
        return;
    }
    const int32_t b = static_cast<int32_t>(static_cast<float>(rows) / static_cast<float>(n));
    for (int32_t k = 0; k < n; ++k) {
        bands[k] = whole;
        bands[k].rowBegin = whole.top + k * b;
        bands[k].rowEnd = k + 1 < n ? whole.top + (k + 1) * b : whole.rowEnd;
        jobs[k] = BandJob{RunNearestBand, &bands[k], kBandOwnRoutine};
    }
    RunBandJobs(jobs, n);
    std::free(bands);
    std::free(jobs);
}

} // namespace

void RenderNearest(const CanvasImage* source, const ViewState* view, Rect rect,
                   DibSurface** outView, DibSurface** outMask, int32_t threadsAllowed) {
    if (outView) *outView = nullptr;
    if (outMask) *outMask = nullptr;
    if (!outView || !UsableSource(source) || !view) return;
    if (rect.left >= rect.right || rect.top >= rect.bottom) return;
    const double z = view->scale;
    if (!(z > 0.0) || !std::isfinite(z) || !std::isfinite(view->rotation)) return;
    SourceFrame frame;
    BindSourceFrame(&frame, source, view);

    // The output rectangle: at a scale below 1 the view bitmap is kept at
    // canvas resolution (the paint step magnifies it).
    FloatRect d = FreeCanvasRectToBitmapFloat(&frame.canvas, &frame.view, rect);
    if (view->scale < 1.0f) {
        d.left *= view->scale, d.top *= view->scale;
        d.right *= view->scale, d.bottom *= view->scale;
    }
    const double left = std::trunc(static_cast<double>(d.left));
    const double top = std::trunc(static_cast<double>(d.top));
    const double right = std::ceil(static_cast<double>(d.right));
    const double bottom = std::ceil(static_cast<double>(d.bottom));
    if (!(std::fabs(left) < 1e9 && std::fabs(top) < 1e9 && std::fabs(right) < 1e9 &&
          std::fabs(bottom) < 1e9))
        return;
    const double width = std::trunc(right - left), height = std::trunc(bottom - top);
    // The positions are canvas positions, so the output may be larger than
    // the accumulating renderers' 16.16 output range; the surfaces' own size
    // limit is the bound.
    if (width < 1 || height < 1 || width > kMaxNearestSide || height > kMaxNearestSide) return;
    const int32_t W = static_cast<int32_t>(width), H = static_cast<int32_t>(height);

    // Steps and origin; z' keeps a zoomed-in view at canvas resolution.
    const float theta = DegreesToRadians(view->rotation);
    const double zz = std::max(z, 1.0);
    const double c = std::cos(static_cast<double>(theta)), s = std::sin(static_cast<double>(theta));
    NearestBand whole{};
    const double sign = view->mirror ? -1.0 : 1.0;
    if (!FloorToInt32Step(sign * 65536.0 * zz * c, &whole.xPerColumn) ||
        !FloorToInt32Step(65536.0 * zz * s, &whole.yPerColumn) ||
        !FloorToInt32Step(-sign * 65536.0 * zz * s, &whole.xPerRow) ||
        !FloorToInt32Step(65536.0 * zz * c, &whole.yPerRow))
        return;
    float fx = 0.0f, fy = 0.0f;
    FreeBitmapToCanvasFloat(&frame.view, &fx, &fy);
    const double xOrigin = std::floor(65536.0 * fx), yOrigin = std::floor(65536.0 * fy);
    if (!(std::fabs(xOrigin) < 0x1p46 && std::fabs(yOrigin) < 0x1p46)) return;
    whole.xOrigin = static_cast<int64_t>(xOrigin);
    whole.yOrigin = static_cast<int64_t>(yOrigin);

    const bool wantMask = outMask != nullptr;
    *outView = CreateDibSurface(1, source->palette, 2, W, H);
    if (!*outView) return;
    FillSurface(*outView, wantMask ? 0x00 : 0xFF); // black with a mask, else white
    if (wantMask) {
        const RgbQuad blackWhite[2] = {{0, 0, 0, 0}, {255, 255, 255, 0}};
        *outMask = CreateDibSurface(1, blackWhite, 2, W, H);
        if (!*outMask) return; // the caller sees the missing mask
        FillSurface(*outMask, 0x00);
    }

    whole.top = static_cast<int32_t>(top);
    whole.left = static_cast<int32_t>(left);
    whole.columnEnd = static_cast<int32_t>(right);
    whole.rowBegin = whole.top;
    whole.rowEnd = static_cast<int32_t>(bottom);
    whole.source = source;
    whole.outView = outView;
    whole.outMask = outMask;
    whole.noMask = wantMask ? 0 : 1;
    whole.wideBytes = BestNearestBytes();

    const int32_t n = BandProcessorCount();
    if (threadsAllowed && n > 1 && W >= 1024 && H >= 1024)
        RenderOnThreads(whole, H, n);
    else
        RenderNearestBand(&whole);
}
