// The benchmark program's entry point: the library's console output, except
// that ratio counters ("x_…") print as plain numbers, not as rates in seconds.
#include <unistd.h>

#include <cstring>
#include <string>

#include "bench/bench_support.h"

namespace {

class PlainRatioReporter : public benchmark::ConsoleReporter {
  public:
    using ConsoleReporter::ConsoleReporter;

  protected:
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
