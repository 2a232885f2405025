// Undo and redo of a 1000-pixel stroke (50-pixel pen) on the full 15360 x
// 8640 canvas, each until the view shows it: the kept tiles swapped back,
// the changed rectangle rendered by the refresh thread and painted into the
// screen bitmap. An iteration is one undo and one redo. Counters: median_ms
// and worst_ms of a single undo or redo, frame_pct = median / one 60 Hz frame
// x 100, and x_memcpy = an iteration against copying the stroke's bounding
// box twice (one copy each way), measured in the same run; kept_kb is what
// the history holds for the stroke.
#include <algorithm>
#include <chrono>
#include <memory>
#include <vector>

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
    const double keptKb = static_cast<double>(UndoHistoryBytes()) / 1024.0;
    std::vector<double> shown;
    for (auto _ : state) {
        shown.push_back(ShowMs(app.get(), UndoStroke));
        shown.push_back(ShowMs(app.get(), RedoStroke));
    }
    std::sort(shown.begin(), shown.end());
    // The stroke's bounding box: 707 + 50 pixels square, 1 bit per pixel.
    const size_t side = 707 + 50;
    ReportRatioToMemcpy(state, 2 * (side + 7) / 8 * side);
    state.counters["kept_kb"] = keptKb;
    state.counters["median_ms"] = shown[shown.size() / 2];
    state.counters["worst_ms"] = shown.back();
    state.counters["frame_pct"] = shown[shown.size() / 2] / kFrameMs * 100.0;
    CloseDrawingDesk(app.get());
}

} // namespace

BENCHMARK(UndoRedoOfALongStroke)->Iterations(200)->UseRealTime()->Unit(benchmark::kMillisecond);
