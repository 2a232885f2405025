// Shared fixtures for the benchmarks: the canvas of a 1920 x 1080 client
// (15360 x 8640) holding a realistic drawing, and the memcpy baseline.
#pragma once

#include <benchmark/benchmark.h>

#include <memory>

#include "base/app_state.h"
#include "base/bitmap_types.h"
#include "canvas/canvas.h"

constexpr int kBenchCanvasWidth = 15360;
constexpr int kBenchCanvasHeight = 8640;

// A canvas of the given size with strokes of several widths on paper,
// made once per process and kept.
const CanvasImage* BenchDrawingCanvas();

// The same size covered with thousands of thin strokes: far more edges per
// row than a quick drawing, the hard case for saving.
const CanvasImage* BenchDenseCanvas();

// The best time of a plain memcpy of that many bytes, measured once in this
// run (the baseline every ratio is taken against).
double MemcpySeconds(size_t bytes);

// Adds the counter "x_memcpy": time per iteration / MemcpySeconds(bytes).
// Call after the benchmark loop; use UseRealTime() for threaded work.
void ReportRatioToMemcpy(benchmark::State& state, size_t bytes);

// The program state the shell builds for drawing, on the bench canvas: a
// 50-pixel pen, the recorder installed and a stroke host that answers
// nothing. Release it with CloseDrawingDesk.
std::unique_ptr<AppState> OpenDrawingDesk();
void CloseDrawingDesk(AppState* app);

// A sample of a loop across the canvas, in screen sixteenths at scale 8:
// step i of count, touching until the last one.
PointerSample LoopSample(int i, int count);
