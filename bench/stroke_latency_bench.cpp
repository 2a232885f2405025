// Stroke-to-screen latency: from HandlePointerSample to the segment's
// rectangle being rendered into the view bitmap by the refresh thread, for
// a 50-pixel pen at scale 8 along a 1000-sample stroke.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <memory>
#include <vector>

#include "bench/bench_support.h"
#include "engine/brush.h"
#include "engine/pointer_input.h"
#include "engine/refresh_thread.h"
#include "engine/stroke_host.h"
#include "record/step_recorder.h"
#include "view/view_paint.h"

namespace {

const StrokeHost quietHost{
    [] { return false; },
    [](GdiHandle) {
        return Point{0, 0};
    },
    [](GdiHandle, Point) { return true; },
    [](GdiHandle, const Rect*) {},
    [](GdiHandle) {},
    [] { return 0u; },
};

void StrokeLatency(benchmark::State& state) {
    SetStrokeRecorder(&kStepRecorder); // as the shell installs it
    SetStrokeHost(&quietHost);
    std::unique_ptr<AppState> app(new AppState());
    app->settings.bgColour = 0xFFFFFF;
    app->settings.brushParams[0] = BrushParams{50, 50};
    app->stroke.maxPressure = 1024;
    InitViewLock(&app->viewHost.view.lock);
    InstallBrush(nullptr, &app->canvas, &app->settings);
    CreateCanvas(&app->canvas, &app->settings, kBenchCanvasWidth, kBenchCanvasHeight);
    InitViewWithClientSize(&app->viewHost, &app->canvas, &app->settings, kBenchCanvasWidth / 8,
                           kBenchCanvasHeight / 8);
    std::vector<double> latencies;
    for (auto _ : state) {
        latencies.clear();
        PointerSample sample{};
        for (int i = 0; i <= 1000; ++i) {
            // A loop across the canvas, in screen sixteenths at scale 8.
            const double t = i / 1000.0 * 6.2831853;
            sample.x = static_cast<int32_t>((960 + 700 * std::cos(t)) * 16);
            sample.y = static_cast<int32_t>((540 + 400 * std::sin(2 * t)) * 16);
            sample.pressure = i < 1000 ? 1024 : 0;
            auto start = std::chrono::steady_clock::now();
            HandlePointerSample(app.get(), &sample);
            WaitForRefreshIdle(app.get());
            latencies.push_back(
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                    .count());
        }
    }
    std::sort(latencies.begin(), latencies.end());
    state.counters["median_ms"] = latencies[latencies.size() / 2];
    state.counters["worst_ms"] = latencies.back();
    StopRefreshThread(app.get());
    ReleaseView(&app->viewHost.view);
    FreeCanvas(&app->canvas);
    DeleteViewLock(&app->viewHost.view.lock);
    SetStrokeHost(nullptr);
}

} // namespace

BENCHMARK(StrokeLatency)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);
