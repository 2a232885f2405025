// The recovery journal's cost while drawing, as a share of the stroke it
// journals: a 1000-sample stroke with a 50-pixel pen at scale 8 drawn through
// HandlePointerSample, and the same stroke's journal records appended and
// written through (one write at its pen-up). Counter journal_pct = journal
// time / stroke time × 100, both measured in this run.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>

#include "bench/bench_support.h"
#include "engine/brush.h"
#include "engine/pointer_input.h"
#include "engine/refresh_thread.h"
#include "engine/stroke_host.h"
#include "record/recovery_journal.h"
#include "record/step_recorder.h"
#include "settings/settings.h"
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

constexpr int kSamples = 1000;

PointerSample LoopSample(int i) {
    PointerSample sample{};
    const double t = i / static_cast<double>(kSamples) * 6.2831853;
    sample.x = static_cast<int32_t>((960 + 700 * std::cos(t)) * 16);
    sample.y = static_cast<int32_t>((540 + 400 * std::sin(2 * t)) * 16);
    sample.pressure = i < kSamples ? 1024 : 0;
    return sample;
}

double Seconds(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void JournalShareOfAStroke(benchmark::State& state) {
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
    const std::string path = std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") +
                             "/pindora-journal-bench.recovery";
    double strokeBest = 1e9, journalBest = 1e9;
    const JournalPen pen{50, 50, 1024};
    for (auto _ : state) {
        // The stroke, journal off.
        SetJournalPath(u"");
        auto start = std::chrono::steady_clock::now();
        for (int i = 0; i <= kSamples; ++i) {
            PointerSample sample = LoopSample(i);
            HandlePointerSample(app.get(), &sample);
        }
        WaitForRefreshIdle(app.get());
        strokeBest = std::min(strokeBest, Seconds(start));
        // Its journal: one record per segment, written through at the pen-up.
        SetJournalPath(Utf8ToUtf16(path));
        RestartJournal(kBenchCanvasWidth, kBenchCanvasHeight);
        start = std::chrono::steady_clock::now();
        for (int i = 0; i <= kSamples; ++i) {
            const Step step{0, i, i, i < kSamples ? 1.0f : 0.0f};
            AppendJournalStep(kJournalDrawn, step, pen, 0);
        }
        journalBest = std::min(journalBest, Seconds(start));
    }
    state.counters["stroke_ms"] = strokeBest * 1e3;
    state.counters["journal_ms"] = journalBest * 1e3;
    state.counters["journal_pct"] = journalBest / strokeBest * 100.0;
    RemoveJournal();
    SetJournalPath(u"");
    StopRefreshThread(app.get());
    ReleaseView(&app->viewHost.view);
    FreeCanvas(&app->canvas);
    DeleteViewLock(&app->viewHost.view.lock);
    SetStrokeHost(nullptr);
}

} // namespace

BENCHMARK(JournalShareOfAStroke)->Iterations(50)->UseRealTime()->Unit(benchmark::kMillisecond);
