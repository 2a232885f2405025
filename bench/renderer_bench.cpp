// The free-rotation renderers and the view rebuild and updates on the
// benchmark drawing (the canvas of a 1920 x 1080 window). Full rebuilds are
// measured against a memcpy of the canvas; dirty updates per update.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <ctime>
#include <vector>

#include "bench/bench_support.h"
#include "view/band_threads.h"
#include "view/block_reducers.h"
#include "view/render_region.h"
#include "view/scaled_renderers.h"
#include "view/view_transforms.h"

namespace {

size_t CanvasBytes() {
    const CanvasImage* image = BenchDrawingCanvas();
    return static_cast<size_t>(CanvasStride(image)) * image->height;
}

// A view of the benchmark drawing.
struct BenchView {
    Canvas canvas{};
    ViewState view{};
    int32_t subPixel = 0;

    BenchView(float scale, float rotation, int32_t free, int32_t subPixelOn = 0) {
        canvas.image = *BenchDrawingCanvas();
        InitViewLock(&view.lock);
        view.canvas = &canvas;
        view.subPixel = &subPixel;
        subPixel = subPixelOn;
        view.scale = scale;
        view.rotation = rotation;
        SelectTransformSet(&view, free);
        int32_t level = ZoomLevelIndex(scale);
        view.pixelRenderer = level >= 0 ? SelectBlockReducer(level, subPixel) : nullptr;
    }
    ~BenchView() {
        ReleaseDibSurface(&view.viewBitmap);
        ReleaseDibSurface(&view.maskBitmap);
        DeleteViewLock(&view.lock);
    }
};

// The machine is shared: with repetitions, the least time is the one least
// disturbed by other work.
double Least(const std::vector<double>& values) {
    return values.empty() ? 0.0 : *std::min_element(values.begin(), values.end());
}

// One-thread time of each threaded benchmark, for the speed-up of its
// two-thread run (the one-thread run is registered first).
double oneThreadSeconds[4] = {0, 0, 0, 0};

void ReportSpeedUp(benchmark::State& state, int slot, double seconds) {
    // With repetitions, against the least disturbed one-thread run.
    if (state.range(0) == 1 && (oneThreadSeconds[slot] == 0 || seconds < oneThreadSeconds[slot]))
        oneThreadSeconds[slot] = seconds;
    if (state.range(0) > 1 && oneThreadSeconds[slot] > 0)
        state.counters["speed_up"] = oneThreadSeconds[slot] / seconds;
}

// Processor time of the whole process (every thread) per iteration, which a
// busy machine does not inflate the way it does the elapsed time.
void ReportProcessTime(benchmark::State& state, std::clock_t start) {
    double seconds = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
    state.counters["cpu_ms_all_threads"] =
        seconds * 1000.0 / static_cast<double>(state.iterations());
}

// Full rebuild in free rotation at 30 degrees; range(0) = threads.
void RebuildFree(benchmark::State& state, float scale, int slot) {
    BenchView bench(scale, 30.0f, 1);
    SetBandProcessorCountOverride(static_cast<int32_t>(state.range(0)));
    double total = 0;
    const std::clock_t processStart = std::clock();
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        RebuildViewBitmap(&bench.view);
        total += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        benchmark::DoNotOptimize(bench.view.viewBitmap);
    }
    ReportProcessTime(state, processStart);
    SetBandProcessorCountOverride(0);
    ReportRatioToMemcpy(state, CanvasBytes());
    ReportSpeedUp(state, slot, total / static_cast<double>(state.iterations()));
}

void BM_RebuildFree8At8(benchmark::State& state) {
    RebuildFree(state, 8.0f, 0);
}
void BM_RebuildFree16At15_5(benchmark::State& state) {
    RebuildFree(state, 15.5f, 1);
}
BENCHMARK(BM_RebuildFree8At8)
    ->Arg(1)
    ->Arg(2)
    ->UseRealTime()
    ->ComputeStatistics("min", Least)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RebuildFree16At15_5)
    ->Arg(1)
    ->Arg(2)
    ->UseRealTime()
    ->ComputeStatistics("min", Least)
    ->Unit(benchmark::kMillisecond);

// The nearest-pixel renderer over a 1920 x 1080 stretch of the canvas at
// scale 1 and 30 degrees (its turned box is about 2200 x 1900 pixels),
// against a memcpy of a 1920 x 1080 32-bit screen.
void BM_Nearest1920x1080(benchmark::State& state) {
    BenchView bench(1.0f, 30.0f, 1);
    SetBandProcessorCountOverride(static_cast<int32_t>(state.range(0)));
    const Rect rect{6720, 3780, 6720 + 1920, 3780 + 1080};
    double total = 0;
    const std::clock_t processStart = std::clock();
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        DibSurface* out = nullptr;
        DibSurface* mask = nullptr;
        RenderNearest(&bench.canvas.image, &bench.view, rect, &out, &mask, 1);
        total += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        ReleaseDibSurface(&out);
        ReleaseDibSurface(&mask);
    }
    ReportProcessTime(state, processStart);
    SetBandProcessorCountOverride(0);
    ReportRatioToMemcpy(state, size_t{1920} * 1080 * 4);
    ReportSpeedUp(state, 2, total / static_cast<double>(state.iterations()));
}
BENCHMARK(BM_Nearest1920x1080)
    ->Arg(1)
    ->Arg(2)
    ->UseRealTime()
    ->ComputeStatistics("min", Least)
    ->Unit(benchmark::kMillisecond);

// A stroke's dirty update of a 400 x 400 canvas rectangle, on one thread as
// the refresh thread runs it; range(0): 0 right angle at 8, 1 free zoomed out
// at 8 and 30 degrees, 2 free zoomed in at 1 and 30 degrees.
void BM_DirtyUpdate400(benchmark::State& state) {
    const int64_t mode = state.range(0);
    BenchView bench(mode == 2 ? 1.0f : 8.0f, mode == 0 ? 0.0f : 30.0f, mode == 0 ? 0 : 1);
    RebuildViewBitmap(&bench.view);
    Rect rect{7000, 4000, 7400, 4400};
    for (auto _ : state) {
        bench.view.renderRegion(&bench.view, &bench.canvas, rect, 0);
        benchmark::ClobberMemory();
    }
    state.SetLabel(mode == 0 ? "right angle, scale 8"
                             : (mode == 1 ? "free 30deg, scale 8" : "free 30deg, scale 1"));
}
BENCHMARK(BM_DirtyUpdate400)
    ->DenseRange(0, 2)
    ->ComputeStatistics("min", Least)
    ->Unit(benchmark::kMicrosecond);

// Right-angle full rebuild: extraction, block reduction and the copy into
// the view bitmap; range(0) = scale 8 or 16, range(1) = sub-pixel.
void BM_RebuildRightAngle(benchmark::State& state) {
    BenchView bench(static_cast<float>(state.range(0)), 0.0f, 0,
                    static_cast<int32_t>(state.range(1)));
    if (!bench.view.pixelRenderer) {
        state.SkipWithError("no block reducer");
        return;
    }
    for (auto _ : state) {
        RebuildViewBitmap(&bench.view);
        benchmark::DoNotOptimize(bench.view.viewBitmap);
    }
    ReportRatioToMemcpy(state, CanvasBytes());
}
BENCHMARK(BM_RebuildRightAngle)
    ->Args({8, 0})
    ->Args({8, 1})
    ->Args({16, 0})
    ->Args({16, 1})
    ->ComputeStatistics("min", Least)
    ->Unit(benchmark::kMillisecond);

} // namespace
