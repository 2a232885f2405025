// Region extraction of the whole 15360 × 8640 drawing in every turn, as a
// ratio to a memcpy of the canvas's bytes.
#include "bench/bench_support.h"
#include "canvas/canvas_region.h"

namespace {

void ExtractWholeCanvas(benchmark::State& state) {
    const CanvasImage* canvas = BenchDrawingCanvas();
    const auto mirror = static_cast<int32_t>(state.range(0));
    const auto angle = static_cast<int32_t>(state.range(1));
    const Rect whole{0, 0, canvas->width, canvas->height};
    for (auto _ : state) {
        CanvasRegion* region = ExtractCanvasRegion(canvas, whole, mirror, angle);
        if (!region) {
            state.SkipWithError("no region");
            break;
        }
        benchmark::DoNotOptimize(region->bits);
        benchmark::ClobberMemory();
        ReleaseCanvasRegion(region);
    }
    ReportRatioToMemcpy(state, static_cast<size_t>(CanvasStride(canvas)) * canvas->height);
}

BENCHMARK(ExtractWholeCanvas)
    ->ArgNames({"mirror", "angle"})
    ->ArgsProduct({{0, 1}, {0, 90, 180, 270}})
    ->Unit(benchmark::kMillisecond);

} // namespace
