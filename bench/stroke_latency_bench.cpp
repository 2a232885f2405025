// Stroke-to-screen latency: from HandlePointerSample to the segment's
// rectangle being rendered into the view bitmap by the refresh thread, for
// a 50-pixel pen at scale 8 along a 1000-sample stroke.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <memory>
#include <vector>

#include "bench/bench_support.h"
#include "engine/pointer_input.h"
#include "engine/refresh_thread.h"

namespace {

void StrokeLatency(benchmark::State& state) {
    std::unique_ptr<AppState> app = OpenDrawingDesk();
    std::vector<double> latencies;
    for (auto _ : state) {
        latencies.clear();
        for (int i = 0; i <= 1000; ++i) {
            PointerSample sample = LoopSample(i, 1000);
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
    CloseDrawingDesk(app.get());
}

} // namespace

BENCHMARK(StrokeLatency)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);
