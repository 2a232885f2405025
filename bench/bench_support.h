// Shared fixtures for the benchmarks: the canvas of a 1920 x 1080 client
// (15360 x 8640) holding a realistic drawing, and the memcpy baseline.
#pragma once

#include <benchmark/benchmark.h>

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
