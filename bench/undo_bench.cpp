// Undo and redo of a 1000-pixel stroke (50-pixel pen) on the full 15360 x
// 8640 canvas, each until the view shows it: the kept tiles swapped back,
// the changed rectangle rendered by the refresh thread and painted into the
// screen bitmap. Counters: undo_redo_ms for the pair, frame_pct = the slower
// of the two / one 60 Hz frame x 100, and x_memcpy against copying the
// stroke's bounding box twice (one copy each way).
#include <algorithm>
#include <chrono>
#include <memory>

#include "bench/bench_support.h"
#include "canvas/canvas.h"
#include "engine/pointer_input.h"
#include "engine/refresh_thread.h"
#include "record/undo_history.h"

namespace {

constexpr double kFrameMs = 1000.0 / 60.0;

// A diagonal of 1000 canvas pixels in 100 samples (screen sixteenths are
// half canvas pixels at scale 8).
void DrawDiagonal(AppState* app) {
    PointerSample sample{};
    for (int i = 0; i <= 101; ++i) {
        const int step = std::min(i, 100);
        sample.x = 2 * (6000 + step * 7);
        sample.y = 2 * (3000 + step * 7);
        sample.pressure = i > 0 && i < 101 ? 1024 : 0;
        HandlePointerSample(app, &sample);
    }
    WaitForRefreshIdle(app);
}

double ShowMs(AppState* app, bool (*change)(AppState*)) {
    const auto start = std::chrono::steady_clock::now();
    change(app);
    WaitForRefreshIdle(app);
    ConsumeReadyFrame(app);
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

void UndoRedoOfALongStroke(benchmark::State& state) {
    std::unique_ptr<AppState> app = OpenDrawingDesk();
    ClearUndoHistory();
    DrawDiagonal(app.get());
    double worst = 0;
    for (auto _ : state) {
        const double undo = ShowMs(app.get(), UndoStroke);
        const double redo = ShowMs(app.get(), RedoStroke);
        worst = std::max({worst, undo, redo});
    }
    // The stroke's bounding box: 707 + 50 pixels square, 1 bit per pixel.
    const size_t side = 707 + 50;
    ReportRatioToMemcpy(state, 2 * (side + 7) / 8 * side);
    state.counters["frame_pct"] = worst / kFrameMs * 100.0;
    CloseDrawingDesk(app.get());
}

} // namespace

BENCHMARK(UndoRedoOfALongStroke)->Iterations(200)->UseRealTime()->Unit(benchmark::kMillisecond);
