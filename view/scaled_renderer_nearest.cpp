// RenderNearest: near 1:1, every display pixel takes the one canvas pixel
// under it, stepping through the canvas in 16.16 fixed point; pixels that
// fall outside the canvas keep the fill and are marked in the mask.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "view/band_threads.h"
#include "view/scaled_renderer_internal.h"

namespace {

// One band of display rows.
struct NearestBand {
    int32_t top;  // T: bitmap row of the output's first row
    int32_t left; // L: bitmap column of the output's first column
    int32_t columnEnd;
    int32_t rowBegin;
    int32_t rowEnd;
    int32_t xPerColumn;
    int32_t yPerColumn;
    int32_t xPerRow;
    int32_t yPerRow;
    int32_t xOrigin; // 16.16 canvas position of bitmap point (0, 0)
    int32_t yOrigin;
    const CanvasImage* source;
    DibSurface** outView;
    DibSurface** outMask;
    int32_t noMask;
};

int64_t FloorDivide(int64_t a, int64_t b) {
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}
int64_t CeilDivide(int64_t a, int64_t b) {
    return -FloorDivide(-a, b);
}

// Narrows [*lo, *hi) to the k with 0 <= (start + k * step) >> 16 < size.
void ClipToSource(int64_t start, int64_t step, int64_t size, int64_t* lo, int64_t* hi) {
    const int64_t limit = size << 16;
    if (step > 0) {
        *lo = std::max(*lo, CeilDivide(-start, step));
        *hi = std::min(*hi, FloorDivide(limit - 1 - start, step) + 1);
    } else if (step < 0) {
        *lo = std::max(*lo, CeilDivide(start - (limit - 1), -step));
        *hi = std::min(*hi, FloorDivide(start, -step) + 1);
    } else if (start < 0 || start >= limit) {
        *hi = *lo;
    }
}

// Whether start + k * step stays an int32 for every k in [0, count): then
// the 32-bit walk never wraps and the clipped range is exact.
bool WalkFitsInt32(int64_t start, int64_t step, int64_t count) {
    int64_t end = start + step * (count - 1);
    return start >= INT32_MIN && start <= INT32_MAX && end >= INT32_MIN && end <= INT32_MAX;
}

// One output row: the pixels whose canvas position lies inside take its bit,
// the others keep the fill and are set in the mask. The inside columns are
// found first, so the per-pixel loop has no bounds tests.
void RenderNearestRow(const NearestBand* band, uint8_t* viewRow, uint8_t* maskRow, int32_t width,
                      uint32_t X, uint32_t Y) {
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
    const int64_t x0 = static_cast<int32_t>(X), y0 = static_cast<int32_t>(Y);
    if (WalkFitsInt32(x0, band->xPerColumn, width) && WalkFitsInt32(y0, band->yPerColumn, width)) {
        ClipToSource(x0, band->xPerColumn, sourceWidth, &lo, &hi);
        ClipToSource(y0, band->yPerColumn, sourceHeight, &lo, &hi);
    } else {
        // A walk that wraps: test every pixel (only absurd views get here).
        for (int32_t k = 0; k < width; ++k, X += dx, Y += dy) {
            const uint32_t cx = static_cast<uint32_t>(static_cast<int32_t>(X) >> 16);
            const uint32_t cy = static_cast<uint32_t>(static_cast<int32_t>(Y) >> 16);
            if (cx >= static_cast<uint64_t>(sourceWidth) ||
                cy >= static_cast<uint64_t>(sourceHeight))
                continue;
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
    if (lo >= hi) return;
    X += static_cast<uint32_t>(lo) * dx;
    Y += static_cast<uint32_t>(lo) * dy;
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
    const uint32_t dx = static_cast<uint32_t>(band->xPerColumn);
    const uint32_t dy = static_cast<uint32_t>(band->yPerColumn);
    for (int32_t i = band->rowBegin; i < band->rowEnd; ++i) {
        // Absolute bitmap coordinates, 32-bit arithmetic that wraps.
        uint32_t X = static_cast<uint32_t>(band->xOrigin) +
                     static_cast<uint32_t>(i) * static_cast<uint32_t>(band->xPerRow) +
                     static_cast<uint32_t>(band->left) * dx;
        uint32_t Y = static_cast<uint32_t>(band->yOrigin) +
                     static_cast<uint32_t>(i) * static_cast<uint32_t>(band->yPerRow) +
                     static_cast<uint32_t>(band->left) * dy;
        const int64_t stored = static_cast<int64_t>(H - 1 - (i - band->top)) * stride;
        RenderNearestRow(band, view->bits + stored, mask ? mask->bits + stored : nullptr, width, X,
                         Y);
    }
}

void RunNearestBand(void* record) {
    RenderNearestBand(static_cast<const NearestBand*>(record));
}

bool FloorToStep(double value, int32_t* step) {
    double floored = std::floor(value);
    if (!(floored > -2147483648.0 && floored < 2147483647.0)) return false;
    *step = static_cast<int32_t>(floored);
    return true;
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

int32_t RenderNearest(const CanvasImage* source, const ViewState* view, Rect rect,
                      DibSurface** outView, DibSurface** outMask, int32_t threadsAllowed) {
    if (outView) *outView = nullptr;
    if (outMask) *outMask = nullptr;
    if (!outView || !UsableSource(source) || !view) return 0;
    if (rect.left >= rect.right || rect.top >= rect.bottom) return 0;
    const double z = view->scale;
    if (!(z > 0.0) || !std::isfinite(z) || !std::isfinite(view->rotation)) return 0;
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
        return 0;
    const double width = std::trunc(right - left), height = std::trunc(bottom - top);
    if (width < 1 || height < 1 || width > kMaxRenderSide || height > kMaxRenderSide) return 0;
    const int32_t W = static_cast<int32_t>(width), H = static_cast<int32_t>(height);

    // Steps and origin; z' keeps a zoomed-in view at canvas resolution.
    const float theta = view->rotation / 180.0f * 3.1415927f;
    const double zz = std::max(z, 1.0);
    const double c = std::cos(static_cast<double>(theta)), s = std::sin(static_cast<double>(theta));
    NearestBand whole{};
    const double sign = view->mirror ? -1.0 : 1.0;
    if (!FloorToStep(sign * 65536.0 * zz * c, &whole.xPerColumn) ||
        !FloorToStep(65536.0 * zz * s, &whole.yPerColumn) ||
        !FloorToStep(-sign * 65536.0 * zz * s, &whole.xPerRow) ||
        !FloorToStep(65536.0 * zz * c, &whole.yPerRow))
        return 0;
    float fx = 0.0f, fy = 0.0f;
    FreeBitmapToCanvasFloat(&frame.view, &fx, &fy);
    const double xOrigin = std::floor(65536.0 * fx), yOrigin = std::floor(65536.0 * fy);
    if (!(std::fabs(xOrigin) < 2147483647.0 && std::fabs(yOrigin) < 2147483647.0)) return 0;
    whole.xOrigin = static_cast<int32_t>(xOrigin);
    whole.yOrigin = static_cast<int32_t>(yOrigin);

    const bool wantMask = outMask != nullptr;
    *outView = CreateDibSurface(1, source->palette, 2, W, H);
    if (!*outView) return 0;
    FillSurface(*outView, wantMask ? 0x00 : 0xFF); // black with a mask, else white
    if (wantMask) {
        const RgbQuad blackWhite[2] = {{0, 0, 0, 0}, {255, 255, 255, 0}};
        *outMask = CreateDibSurface(1, blackWhite, 2, W, H);
        if (!*outMask) return 0; // the caller sees the missing mask
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

    const int32_t n = BandProcessorCount();
    if (threadsAllowed && n > 1 && W >= 1024 && H >= 1024)
        RenderOnThreads(whole, H, n);
    else
        RenderNearestBand(&whole);
    return 0;
}
