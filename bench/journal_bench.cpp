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
#include "engine/pointer_input.h"
#include "engine/refresh_thread.h"
#include "record/recovery_journal.h"
#include "settings/settings.h"

namespace {

constexpr int kSamples = 1000;

double Seconds(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void JournalShareOfAStroke(benchmark::State& state) {
    std::unique_ptr<AppState> app = OpenDrawingDesk();
    const std::string path = std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") +
                             "/pindora-journal-bench.recovery";
    double strokeBest = 1e9, journalBest = 1e9;
    const JournalPen pen{50, 50, 1024, 0};
    for (auto _ : state) {
        // The stroke, journal off.
        SetJournalPath(u"");
        auto start = std::chrono::steady_clock::now();
        for (int i = 0; i <= kSamples; ++i) {
            PointerSample sample = LoopSample(i, kSamples);
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
    CloseDrawingDesk(app.get());
}

} // namespace

BENCHMARK(JournalShareOfAStroke)->Iterations(50)->UseRealTime()->Unit(benchmark::kMillisecond);
