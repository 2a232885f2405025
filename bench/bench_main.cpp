// The benchmark program's entry point: the library's console output, except
// that ratio counters ("x_…") print as plain numbers, not as rates in seconds,
// and that repetitions print as their least disturbed run.
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "bench/bench_support.h"

namespace {

class PlainRatioReporter : public benchmark::ConsoleReporter {
  public:
    using ConsoleReporter::ConsoleReporter;

    // With repetitions, one line per benchmark: the repetition that took
    // least time, the one least disturbed by other work on a shared machine
    // (the memory baselines are the least of several rounds as well).
    void ReportRuns(const std::vector<Run>& reports) override {
        if (reports.size() <= 1 || reports.front().repetitions <= 1) {
            ConsoleReporter::ReportRuns(reports);
            return;
        }
        if (reports.front().run_type == Run::RT_Aggregate) return;
        const Run* least = &reports.front();
        for (const Run& run : reports) {
            if (!run.error_occurred && TimeOf(run) < TimeOf(*least)) least = &run;
        }
        ConsoleReporter::ReportRuns({*least});
    }

  protected:
    static double TimeOf(const Run& run) {
        return run.run_name.time_type.empty() ? run.GetAdjustedCPUTime()
                                              : run.GetAdjustedRealTime();
    }

    // The counters hold their final values here; the rate flags are left
    // only to pick the printed unit, so clearing them changes no number.
    void PrintRunData(const Run& run) override {
        Run plain = run;
        for (auto& [name, counter] : plain.counters) {
            if (name.rfind("x_", 0) == 0) counter.flags = benchmark::Counter::kDefaults;
        }
        ConsoleReporter::PrintRunData(plain);
    }
};

bool HasArgument(int argc, char** argv, const char* prefix, const char* value) {
    const size_t length = std::strlen(prefix);
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], prefix, length) == 0 && std::strcmp(argv[i] + length, value) == 0)
            return true;
    }
    return false;
}

} // namespace

int main(int argc, char** argv) {
    // Read before Initialize, which removes the flags it knows.
    const bool tabular = HasArgument(argc, argv, "--benchmark_counters_tabular=", "true");
    const bool colour =
        isatty(STDOUT_FILENO) && !HasArgument(argc, argv, "--benchmark_color=", "false");
    const bool console = !HasArgument(argc, argv, "--benchmark_format=", "json") &&
                         !HasArgument(argc, argv, "--benchmark_format=", "csv");
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    int options = (tabular ? benchmark::ConsoleReporter::OO_Tabular : 0) |
                  (colour ? benchmark::ConsoleReporter::OO_Color : 0);
    PlainRatioReporter reporter(static_cast<benchmark::ConsoleReporter::OutputOptions>(options));
    if (console) {
        benchmark::RunSpecifiedBenchmarks(&reporter);
    } else {
        benchmark::RunSpecifiedBenchmarks();
    }
    benchmark::Shutdown();
    return 0;
}
