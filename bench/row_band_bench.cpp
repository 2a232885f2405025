// The two row-band passes over the benchmark drawing at scale 8, turned 30
// degrees, set up as the 8-bit accumulating renderer sets up a full rebuild,
// on one thread and on two (rows split k * N / n, as the renderer splits them).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <thread>
#include <vector>

#include "bench/bench_support.h"
#include "canvas/dib_surface.h"
#include "worker/row_band.h"

namespace {

struct RotatedRender {
    DibSurface output{};
    std::vector<uint8_t> outputBits;
    std::vector<uint8_t> counts;
    RowBand band{};
};

// The free-rotation mapping of a canvas point to the bitmap, unrounded.
void CanvasToBitmap(double x, double y, double W, double H, double theta, double scale, double* bx,
                    double* by) {
    float hw =
        static_cast<float>((std::fabs(W * std::cos(theta)) + std::fabs(H * std::sin(theta))) * 0.5);
    float hh =
        static_cast<float>((std::fabs(H * std::cos(theta)) + std::fabs(W * std::sin(theta))) * 0.5);
    double r = x - W * 0.5, t = y - H * 0.5;
    *bx = static_cast<float>(r * std::cos(-theta) - t * std::sin(-theta) + hw) / scale;
    *by = static_cast<float>(r * std::sin(-theta) + t * std::cos(-theta) + hh) / scale;
}

RotatedRender* SetUpRender(const CanvasImage* canvas, double degrees, double scale) {
    auto* render = new RotatedRender;
    const double W = canvas->width, H = canvas->height;
    const double theta = static_cast<float>(degrees / 180 * 3.1415927f);
    // Bounding box of the whole canvas in bitmap coordinates: the output size.
    double left = 1e30, top = 1e30, right = -1e30, bottom = -1e30;
    for (double x : {0.0, W}) {
        for (double y : {0.0, H}) {
            double bx, by;
            CanvasToBitmap(x, y, W, H, theta, scale, &bx, &by);
            left = std::min(left, bx), right = std::max(right, bx);
            top = std::min(top, by), bottom = std::max(bottom, by);
        }
    }
    const int32_t x0 = static_cast<int32_t>(left), y0 = static_cast<int32_t>(top);
    const int32_t outW = static_cast<int32_t>(std::ceil(right) - x0);
    const int32_t outH = static_cast<int32_t>(std::ceil(bottom) - y0);
    render->output.header = BitmapInfoHeader{40, outW, outH, 1, 8, 0, 0, 0, 0, 0, 0};
    render->outputBits.assign(static_cast<size_t>(DibStride(outW, 8)) * outH, 0);
    render->output.bits = render->outputBits.data();
    render->counts.assign(static_cast<size_t>(outW) * outH, 0);

    // The whole canvas is visible: Q is the canvas, its top-left the origin.
    RowBand& band = render->band;
    double px, py;
    CanvasToBitmap(0, 0, W, H, theta, scale, &px, &py);
    band.rowOrigin = 0;
    band.outWidth = outW;
    band.outHeight = outH;
    band.counts = render->counts.data();
    band.columnBegin = 0;
    band.columnEnd = canvas->width;
    band.rowBegin = 0;
    band.rowEnd = canvas->height;
    band.xPerColumn = static_cast<int32_t>(std::floor(65536 * std::cos(theta) / scale));
    band.yPerColumn = static_cast<int32_t>(std::floor(-65536 * std::sin(theta) / scale));
    band.xPerRow = static_cast<int32_t>(std::floor(65536 * std::sin(theta) / scale));
    band.yPerRow = static_cast<int32_t>(std::floor(65536 * std::cos(theta) / scale));
    band.xOrigin = static_cast<int32_t>(std::floor((px - x0) * 65536));
    band.yOrigin = static_cast<int32_t>(std::floor((py - y0) * 65536));
    band.source = canvas;
    band.output = &render->output;
    return render;
}

void RenderOnThreads(RotatedRender* render, int n) {
    std::fill(render->counts.begin(), render->counts.end(), 0);
    std::fill(render->outputBits.begin(), render->outputBits.end(), 0);
    const RowBand& whole = render->band;
    std::vector<RowBand> bands(n, whole);
    const int32_t N = whole.rowEnd - whole.rowBegin, H = whole.outHeight;
    if (n == 1) {
        AccumulateBand(&bands[0]);
        bands[0].rowBegin = 0, bands[0].rowEnd = H;
        NormaliseBand(&bands[0]);
        return;
    }
    std::vector<std::thread> threads;
    for (int k = 0; k < n; ++k) {
        bands[k].rowBegin = whole.rowBegin + static_cast<int32_t>(int64_t{k} * N / n);
        bands[k].rowEnd = whole.rowBegin + static_cast<int32_t>(int64_t{k + 1} * N / n);
        threads.emplace_back(AccumulateBand, &bands[k]);
    }
    for (std::thread& thread : threads) thread.join();
    threads.clear();
    for (int k = 0; k < n; ++k) {
        bands[k].rowBegin = static_cast<int32_t>(int64_t{k} * H / n);
        bands[k].rowEnd = static_cast<int32_t>(int64_t{k + 1} * H / n);
        threads.emplace_back(NormaliseBand, &bands[k]);
    }
    for (std::thread& thread : threads) thread.join();
}

void BM_RowBandScale8Angle30(benchmark::State& state) {
    const CanvasImage* canvas = BenchDrawingCanvas();
    static RotatedRender* render = SetUpRender(canvas, 30, 8);
    const int n = static_cast<int>(state.range(0));
    for (auto _ : state) {
        RenderOnThreads(render, n);
        benchmark::DoNotOptimize(render->outputBits.data());
        benchmark::ClobberMemory();
    }
    ReportRatioToMemcpy(state, static_cast<size_t>(CanvasStride(canvas)) * canvas->height);
}
BENCHMARK(BM_RowBandScale8Angle30)
    ->ArgName("threads")
    ->Arg(1)
    ->Arg(2)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

} // namespace
