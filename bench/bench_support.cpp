#include "bench/bench_support.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <map>
#include <random>
#include <vector>

#include "engine/brush.h"
#include "engine/refresh_thread.h"
#include "engine/stroke_host.h"
#include "record/step_recorder.h"
#include "record/undo_history.h"
#include "tests/core/clocked_stroke_host.h"
#include "view/view_paint.h"

namespace {

// Plain disc and thick-line painting: enough to give the canvas the mix of
// paper, ink and edges that a quick drawing has.
void Ink(CanvasImage* image, int x, int y) {
    if (x < 0 || y < 0 || x >= image->width || y >= image->height) return;
    CanvasRow(image, y)[x >> 3] &= static_cast<uint8_t>(~(0x80 >> (x & 7)));
}

void Disc(CanvasImage* image, double cx, double cy, double r) {
    for (int y = static_cast<int>(cy - r); y <= static_cast<int>(cy + r); ++y) {
        double dy = y - cy;
        if (dy * dy > r * r) continue;
        double w = std::sqrt(r * r - dy * dy);
        for (int x = static_cast<int>(cx - w); x <= static_cast<int>(cx + w); ++x) Ink(image, x, y);
    }
}

// strokes: how many; radii drawn between minRadius and minRadius + spread.
CanvasImage MakeDrawing(int strokes, double minRadius, double spread) {
    CanvasImage image{};
    image.width = kBenchCanvasWidth;
    image.height = kBenchCanvasHeight;
    image.header = BitmapInfoHeader{40, image.width, image.height, 1, 1, 0, 0, 0, 0, 0, 0};
    image.palette[0] = RgbQuad{0, 0, 0, 0};
    image.palette[1] = RgbQuad{255, 255, 255, 0};
    size_t bytes = static_cast<size_t>(CanvasStride(&image)) * image.height;
    image.bits = new uint8_t[bytes];
    std::memset(image.bits, 0xFF, bytes);
    std::mt19937 random(1234);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (int stroke = 0; stroke < strokes; ++stroke) {
        double x = unit(random) * image.width, y = unit(random) * image.height;
        double angle = unit(random) * 6.2831853, radius = minRadius + unit(random) * spread;
        for (int step = 0; step < 300; ++step) {
            Disc(&image, x, y, radius);
            angle += (unit(random) - 0.5) * 0.3;
            x += std::cos(angle) * radius * 0.5;
            y += std::sin(angle) * radius * 0.5;
        }
    }
    return image;
}

} // namespace

const CanvasImage* BenchDrawingCanvas() {
    static CanvasImage image = MakeDrawing(400, 2, 40);
    return &image;
}

const CanvasImage* BenchDenseCanvas() {
    static CanvasImage image = MakeDrawing(12000, 1, 5);
    return &image;
}

double MemcpySeconds(size_t bytes) {
    static std::map<size_t, double> measured;
    auto found = measured.find(bytes);
    if (found != measured.end()) return found->second;
    std::vector<uint8_t> from(bytes, 0x5A), to(bytes, 0);
    double best = 1e30;
    for (int round = 0; round < 15; ++round) {
        auto start = std::chrono::steady_clock::now();
        std::memcpy(to.data(), from.data(), bytes);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
        std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        best = std::min(best, took.count());
    }
    measured[bytes] = best;
    return best;
}

void ReportRatioToMemcpy(benchmark::State& state, size_t bytes) {
    double baseline = MemcpySeconds(bytes) * static_cast<double>(state.iterations());
    state.counters["x_memcpy"] =
        benchmark::Counter(baseline, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

std::unique_ptr<AppState> OpenDrawingDesk() {
    SetStrokeRecorder(&kStepRecorder); // as the shell installs them
    SetStrokeKeeper(&kUndoKeeper);
    strokeHostClock = nullptr; // the clock stands at 0
    SetStrokeHost(&kClockedStrokeHost);
    std::unique_ptr<AppState> app(new AppState());
    app->settings.bgColour = 0xFFFFFF;
    app->settings.brushParams[0] = BrushParams{50, 50};
    app->stroke.maxPressure = 1024;
    InitViewLock(&app->viewHost.view.lock);
    InstallBrush(nullptr, &app->canvas, &app->settings);
    CreateCanvas(&app->canvas, &app->settings, kBenchCanvasWidth, kBenchCanvasHeight);
    InitViewWithClientSize(&app->viewHost, &app->canvas, &app->settings, kBenchCanvasWidth / 8,
                           kBenchCanvasHeight / 8);
    return app;
}

void CloseDrawingDesk(AppState* app) {
    StopRefreshThread(app);
    ReleaseView(&app->viewHost.view);
    ClearUndoHistory();
    FreeCanvas(&app->canvas);
    DeleteViewLock(&app->viewHost.view.lock);
    SetStrokeHost(nullptr);
}

PointerSample LoopSample(int i, int count) {
    PointerSample sample{};
    const double t = i / static_cast<double>(count) * 6.2831853;
    sample.x = static_cast<int32_t>((960 + 700 * std::cos(t)) * 16);
    sample.y = static_cast<int32_t>((540 + 400 * std::sin(2 * t)) * 16);
    sample.pressure = i < count ? 1024 : 0;
    return sample;
}
