// Block reducers on the whole bench canvas at the zoomed-out levels, plain and
// sub-pixel. The region is extracted once, outside the timing, so the figures
// are the reducers' own; the last benchmark times a full right-angle rebuild
// (extraction + reducer) for comparison.
#include "bench/bench_support.h"
#include "canvas/canvas_region.h"
#include "view/block_reducers.h"

namespace {

Rect WholeCanvas(const CanvasImage* image) {
    return Rect{0, 0, (image->width + 31) & ~31, (image->height + 31) & ~31};
}

const CanvasRegion* WholeCanvasRegion() {
    static CanvasRegion* region =
        ExtractCanvasRegion(BenchDrawingCanvas(), WholeCanvas(BenchDrawingCanvas()), 0, 0);
    return region;
}

size_t CanvasBytes() {
    const CanvasImage* image = BenchDrawingCanvas();
    return static_cast<size_t>(CanvasStride(image)) * static_cast<size_t>(image->height);
}

void BM_BlockReducer(benchmark::State& state) {
    const CanvasRegion* region = WholeCanvasRegion();
    PixelRenderer reduce = SelectBlockReducer(static_cast<uint32_t>(state.range(0)),
                                              static_cast<int32_t>(state.range(1)));
    if (!region || !reduce) {
        state.SkipWithError("no region or reducer");
        return;
    }
    for (auto _ : state) {
        DibSurface* out = reduce(region);
        benchmark::DoNotOptimize(out);
        ReleaseDibSurface(&out);
    }
    ReportRatioToMemcpy(state, CanvasBytes());
}
BENCHMARK(BM_BlockReducer)
    ->ArgNames({"level", "subPixel"})
    ->Args({0, 0})
    ->Args({1, 0})
    ->Args({0, 1})
    ->Args({1, 1})
    ->Unit(benchmark::kMillisecond);

void BM_ExtractAndReduce(benchmark::State& state) {
    const CanvasImage* image = BenchDrawingCanvas();
    PixelRenderer reduce = SelectBlockReducer(static_cast<uint32_t>(state.range(0)), 0);
    for (auto _ : state) {
        CanvasRegion* region = ExtractCanvasRegion(image, WholeCanvas(image), 0, 0);
        DibSurface* out = reduce(region);
        benchmark::DoNotOptimize(out);
        ReleaseDibSurface(&out);
        ReleaseCanvasRegion(region);
    }
    ReportRatioToMemcpy(state, CanvasBytes());
}
BENCHMARK(BM_ExtractAndReduce)->ArgName("level")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace
