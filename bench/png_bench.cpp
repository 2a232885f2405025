// Saving the 15360 x 8640 drawing (and a canvas dense with thin strokes) as PNG
// with a recording, against zlib compressing the same unfiltered rows at the
// same settings in this run ("x_zlib"), and reading a file with a full log back.
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <memory>
#include <vector>

#include "bench/bench_support.h"
#include "canvas/png_file.h"
#include "settings/settings.h"

namespace {

// The program's own save: zlib's default level 6 with the Z_RLE strategy.
constexpr int kDefaultSettings = -2;

const std::string& BenchFolder() {
    static const std::string folder = [] {
        auto path = std::filesystem::temp_directory_path() / "pindora-png-bench";
        std::filesystem::create_directories(path);
        return path.string();
    }();
    return folder;
}

std::u16string BenchPath(const char* name) {
    return Utf8ToUtf16(BenchFolder() + "/" + name);
}

// Strokes of about 60 steps at 8 ms, pen up between them, drifting over the canvas.
const StepLog* RealisticLog(int32_t count) {
    static std::unique_ptr<StepLog> log;
    if (!log) log = std::make_unique<StepLog>();
    log->canvasWidth = kBenchCanvasWidth;
    log->canvasHeight = kBenchCanvasHeight;
    log->recordStart = 0;
    log->stepCount = count;
    uint32_t time = 0;
    int32_t x = 2000, y = 1500;
    for (int32_t i = 0; i < count; ++i) {
        bool penUp = i % 60 == 59;
        time += penUp ? 400 : 8;
        x = (x + 7 + i % 5) % kBenchCanvasWidth;
        y = (y + 3 + (i / 60) % 11) % kBenchCanvasHeight;
        log->steps[i] =
            Step{time, x, y, penUp ? 0.0f : 0.3f + 0.5f * static_cast<float>(i % 60) / 60};
    }
    return log.get();
}

// The IDAT payload before compression: filter byte 0, then each row top-down.
std::vector<uint8_t> MakeUnfilteredRows(const CanvasImage* canvas) {
    const size_t rowBytes = (static_cast<size_t>(canvas->width) + 7) / 8;
    std::vector<uint8_t> out;
    out.reserve((rowBytes + 1) * static_cast<size_t>(canvas->height));
    for (int32_t y = 0; y < canvas->height; ++y) {
        out.push_back(0);
        const uint8_t* row = CanvasRow(canvas, y);
        out.insert(out.end(), row, row + rowBytes);
    }
    return out;
}

const std::vector<uint8_t>& UnfilteredRows(const CanvasImage* canvas) {
    static const std::vector<uint8_t> drawing = MakeUnfilteredRows(BenchDrawingCanvas());
    static const std::vector<uint8_t> dense = MakeUnfilteredRows(BenchDenseCanvas());
    return canvas == BenchDenseCanvas() ? dense : drawing;
}

const std::vector<uint8_t>& UnfilteredRows() {
    return UnfilteredRows(BenchDrawingCanvas());
}

// One deflate run over the rows with libpng's window and memory settings.
double ZlibSeconds(const CanvasImage* canvas, int level, int strategy) {
    const std::vector<uint8_t>& rows = UnfilteredRows(canvas);
    static std::vector<uint8_t> out;
    out.resize(compressBound(static_cast<uLong>(rows.size())));
    auto start = std::chrono::steady_clock::now();
    z_stream stream{};
    deflateInit2(&stream, level, Z_DEFLATED, 15, 8, strategy);
    stream.next_in = const_cast<Bytef*>(rows.data());
    stream.avail_in = static_cast<uInt>(rows.size());
    stream.next_out = out.data();
    stream.avail_out = static_cast<uInt>(out.size());
    deflate(&stream, Z_FINISH);
    deflateEnd(&stream);
    benchmark::DoNotOptimize(out.data());
    std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    return took.count();
}

// Arguments: zlib level (kDefaultSettings = WritePngFile itself), strategy,
// libpng compression buffer bytes (0 = its own).
void SaveCanvas(benchmark::State& state, const CanvasImage* canvas) {
    const StepLog* log = RealisticLog(50000);
    const bool defaults = state.range(0) == kDefaultSettings;
    PngCompression compression{static_cast<int32_t>(state.range(0)),
                               static_cast<int32_t>(state.range(1)),
                               static_cast<uint32_t>(state.range(2))};
    const std::u16string path = BenchPath("save.png");
    UnfilteredRows(canvas); // built once, outside the timed runs
    const int level = defaults ? 6 : compression.level;
    const int strategy = defaults ? Z_RLE : compression.strategy;
    // zlib runs beside every save, so both see the same machine load.
    double saveSeconds = 0, zlibSeconds = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        int32_t result = defaults ? WritePngFile(path.c_str(), &canvas->header, canvas->palette,
                                                 canvas->bits, log)
                                  : WritePngFileWith(path.c_str(), &canvas->header, canvas->palette,
                                                     canvas->bits, log, &compression);
        saveSeconds +=
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (result != kPngWritten) state.SkipWithError("save failed");
        state.PauseTiming();
        zlibSeconds += ZlibSeconds(canvas, level, strategy);
        state.ResumeTiming();
    }
    state.counters["seconds"] = saveSeconds / static_cast<double>(state.iterations());
    state.counters["x_zlib"] = saveSeconds / zlibSeconds;
    state.counters["MB"] = static_cast<double>(std::filesystem::file_size(
                               std::filesystem::path(BenchFolder()) / "save.png")) /
                           1e6;
    ReportRatioToMemcpy(state, UnfilteredRows(canvas).size());
}

void BM_PngSave(benchmark::State& state) {
    SaveCanvas(state, BenchDrawingCanvas());
}

void BM_PngSaveDense(benchmark::State& state) {
    SaveCanvas(state, BenchDenseCanvas());
}

// The last variant is the full match search that saving used before Z_RLE,
// for the file sizes.
void SaveVariants(benchmark::internal::Benchmark* bench) {
    bench->Args({kDefaultSettings, 0, 0})
        ->Args({1, Z_DEFAULT_STRATEGY, 0})
        ->Args({6, Z_RLE, 0})
        ->Args({kDefaultSettings + 1, Z_DEFAULT_STRATEGY, 1 << 20})
        ->Args({6, Z_DEFAULT_STRATEGY, 0})
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
}
BENCHMARK(BM_PngSave)->Apply(SaveVariants);
BENCHMARK(BM_PngSaveDense)->Apply(SaveVariants);

// Reading the drawing back with a full recording of 200000 steps.
void BM_PngReadFullLog(benchmark::State& state) {
    const CanvasImage* canvas = BenchDrawingCanvas();
    const std::u16string path = BenchPath("full-log.png");
    if (WritePngFile(path.c_str(), &canvas->header, canvas->palette, canvas->bits,
                     RealisticLog(kMaxSteps)) != kPngWritten) {
        state.SkipWithError("save failed");
        return;
    }
    auto log = std::make_unique<StepLog>();
    for (auto _ : state) {
        log->stepCount = 0;
        DibSurface* surface = ReadPngFile(path.c_str(), log.get());
        if (!surface || log->stepCount != kMaxSteps) state.SkipWithError("read failed");
        ReleaseDibSurface(&surface);
    }
    state.counters["seconds"] =
        benchmark::Counter(static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    ReportRatioToMemcpy(state, UnfilteredRows().size());
}
BENCHMARK(BM_PngReadFullLog)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
