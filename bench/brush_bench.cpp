// The round brush on a 15360 x 8640 canvas: segments per second along a
// random walk at several pen sizes, and the fill primitives' pixels per
// second as a ratio to a memset of the same number of bytes' worth of ink
// (x_memset, measured in the same run). Discs and quadrilaterals also get
// x_row_memset: the time of a memset of just the bytes each of the shape's
// rows covers, at the same places on the canvas, which is the floor rows a
// stride apart allow.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <random>
#include <vector>

#include "base/app_state.h"
#include "bench/bench_support.h"
#include "engine/canvas_primitives.h"
#include "engine/round_brush.h"

namespace {

// A blank canvas of the benchmark size, made once; the benchmarks only ink it.
CanvasImage* BlankCanvas() {
    static std::vector<uint8_t> bits;
    static CanvasImage image{};
    if (bits.empty()) {
        image.width = kBenchCanvasWidth;
        image.height = kBenchCanvasHeight;
        bits.assign(static_cast<size_t>(CanvasStride(&image)) * image.height, 0xFF);
        image.bits = bits.data();
    }
    return &image;
}

// The best time of one memset of that many bytes; short fills are repeated
// until the clock can resolve them.
double MemsetSeconds(size_t bytes) {
    static std::map<size_t, double> measured;
    auto found = measured.find(bytes);
    if (found != measured.end()) return found->second;
    std::vector<uint8_t> target(std::max<size_t>(bytes, 1), 0xFF);
    int repeats = static_cast<int>(std::max<size_t>(1, (1u << 20) / std::max<size_t>(bytes, 1)));
    double best = 1e30;
    for (int round = 0; round < 15; ++round) {
        auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < repeats; ++i) {
            std::memset(target.data(), i & 1 ? 0x00 : 0xFF, bytes);
            benchmark::ClobberMemory();
        }
        std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        best = std::min(best, took.count() / repeats);
    }
    measured[bytes] = best;
    return best;
}

void ReportRatioToMemset(benchmark::State& state, double pixelsPerIteration) {
    size_t bytes = static_cast<size_t>(pixelsPerIteration / 8);
    double baseline = MemsetSeconds(bytes) * static_cast<double>(state.iterations());
    state.counters["x_memset"] =
        benchmark::Counter(baseline, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["pixels_per_s"] = benchmark::Counter(
        pixelsPerIteration * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

// Centres a quarter pixel off the grid, as the brush places its dabs, so that
// every disc of a radius covers the same number of pixels.
int64_t DiscPixels(float r) {
    int32_t side = static_cast<int32_t>(2 * r) + 8;
    std::vector<uint8_t> bits(static_cast<size_t>(DibStride(side, 1)) * side, 0xFF);
    CanvasImage image{};
    image.width = side;
    image.height = side;
    image.bits = bits.data();
    FillDisc(&image, side / 2 + 0.25f, side / 2 + 0.25f, r, 0);
    int64_t ink = 0;
    for (uint8_t byte : bits) ink += 8 - __builtin_popcount(byte);
    return ink;
}

// The first and last byte of row y holding ink; false for a row of paper.
bool InkedBytes(const CanvasImage& image, int32_t y, int32_t* first, int32_t* last) {
    const uint8_t* row = CanvasRow(&image, y);
    *first = *last = -1;
    for (int32_t b = 0; b < CanvasStride(&image); ++b) {
        if (row[b] == 0xFF) continue;
        if (*first < 0) *first = b;
        *last = b;
    }
    return *first >= 0;
}

// The bytes a disc of radius r covers on each row (centre a quarter pixel off
// the grid, as DiscPixels): offset from the centre's byte and length.
std::vector<std::pair<int32_t, int32_t>> DiscRowBytes(float r) {
    const int32_t side = static_cast<int32_t>(2 * r) + 8;
    const int32_t centre = side / 2;
    std::vector<uint8_t> bits(static_cast<size_t>(DibStride(side, 1)) * side, 0xFF);
    CanvasImage image{};
    image.width = side;
    image.height = side;
    image.bits = bits.data();
    FillDisc(&image, centre + 0.25f, centre + 0.25f, r, 0);
    std::vector<std::pair<int32_t, int32_t>> rows;
    for (int32_t y = 0, first, last; y < side; ++y)
        if (InkedBytes(image, y, &first, &last))
            rows.emplace_back(first - centre / 8, last - first + 1);
    return rows;
}

// Seconds per disc for memsets of just its rows' bytes along the centres.
double RowMemsetSeconds(CanvasImage* canvas, const std::vector<FloatPoint>& centres, float r) {
    const std::vector<std::pair<int32_t, int32_t>> rows = DiscRowBytes(r);
    const ptrdiff_t stride = CanvasStride(canvas);
    const int32_t top = static_cast<int32_t>(std::floor(0.25 - r + 0.5)); // first row's offset
    // Many short rounds, the best kept, so that a round the machine spends
    // elsewhere does not count.
    constexpr size_t kDiscsPerRound = 64;
    double best = 1e30;
    for (size_t round = 0; round < 48; ++round) {
        auto start = std::chrono::steady_clock::now();
        for (size_t i = round * kDiscsPerRound; i < (round + 1) * kDiscsPerRound; ++i) {
            const FloatPoint& c = centres[i % centres.size()];
            uint8_t* row = CanvasRow(canvas, static_cast<int32_t>(c.y) + top) +
                           (static_cast<int32_t>(c.x) >> 3);
            for (const auto& span : rows) {
                std::memset(row + span.first, 0, static_cast<size_t>(span.second));
                benchmark::ClobberMemory();
                row -= stride;
            }
        }
        std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        best = std::min(best, took.count() / static_cast<double>(kDiscsPerRound));
    }
    return best;
}

// Dabs along a stroke-like walk (each step a quarter of the diameter), so
// successive discs overlap as they do in a drawing.
void FillDiscPixels(benchmark::State& state) {
    CanvasImage* canvas = BlankCanvas();
    const float r = static_cast<float>(state.range(0)) * 0.5f;
    std::mt19937 random(5);
    std::uniform_real_distribution<double> unit(0, 1);
    std::vector<FloatPoint> centres(1024);
    double x = canvas->width / 2.0, y = canvas->height / 2.0, heading = 0;
    const double margin = r + 2;
    for (FloatPoint& c : centres) {
        heading += (unit(random) - 0.5) * 0.6;
        x = std::clamp(x + std::cos(heading) * r * 0.5, margin, canvas->width - margin);
        y = std::clamp(y + std::sin(heading) * r * 0.5, margin, canvas->height - margin);
        c = FloatPoint{static_cast<float>(std::floor(x)) + 0.25f,
                       static_cast<float>(std::floor(y)) + 0.25f};
    }
    size_t next = 0;
    for (auto _ : state) {
        const FloatPoint& c = centres[next++ & 1023];
        FillDisc(canvas, c.x, c.y, r, 0);
        benchmark::ClobberMemory();
    }
    ReportRatioToMemset(state, static_cast<double>(DiscPixels(r)));
    state.counters["x_row_memset"] = benchmark::Counter(
        RowMemsetSeconds(canvas, centres, r) * static_cast<double>(state.iterations()),
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

BENCHMARK(FillDiscPixels)->ArgName("diameter")->Arg(8)->Arg(50)->Arg(300)->Arg(1000)->Arg(4000);

// Seconds per quadrilateral for memsets of just its rows' bytes in place:
// the rows found by drawing it on a scratch canvas shifted by whole bytes
// and rows (exact in float at these sizes), then timed on the canvas.
double QuadRowMemsetSeconds(CanvasImage* canvas, const FloatPoint* quad) {
    float left = quad[0].x, top = quad[0].y, right = quad[0].x, bottom = quad[0].y;
    for (int32_t i = 1; i < 4; ++i) {
        left = std::min(left, quad[i].x), right = std::max(right, quad[i].x);
        top = std::min(top, quad[i].y), bottom = std::max(bottom, quad[i].y);
    }
    const int32_t dx = (static_cast<int32_t>(left) - 8) & ~7, dy = static_cast<int32_t>(top) - 8;
    CanvasImage scratch{};
    scratch.width = static_cast<int32_t>(right) - dx + 16;
    scratch.height = static_cast<int32_t>(bottom) - dy + 16;
    std::vector<uint8_t> bits(static_cast<size_t>(CanvasStride(&scratch)) * scratch.height, 0xFF);
    scratch.bits = bits.data();
    FloatPoint shifted[4];
    for (int32_t i = 0; i < 4; ++i) shifted[i] = FloatPoint{quad[i].x - dx, quad[i].y - dy};
    FillConvexPolygon(&scratch, shifted, 4, 0);
    struct RowBytes {
        uint8_t* at;
        size_t length;
    };
    std::vector<RowBytes> rows;
    for (int32_t y = 0, first, last; y < scratch.height; ++y)
        if (InkedBytes(scratch, y, &first, &last))
            rows.push_back({CanvasRow(canvas, y + dy) + dx / 8 + first,
                            static_cast<size_t>(last - first + 1)});
    double best = 1e30;
    for (int32_t round = 0; round < 200; ++round) {
        auto start = std::chrono::steady_clock::now();
        for (const RowBytes& span : rows) {
            std::memset(span.at, 0, span.length);
            benchmark::ClobberMemory();
        }
        std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        best = std::min(best, took.count());
    }
    return best;
}

// A wide quadrilateral like the body of a long full-pressure segment: an
// axis-parallel rectangle turned by 30 degrees, 4 x its width long.
void FillQuadPixels(benchmark::State& state) {
    CanvasImage* canvas = BlankCanvas();
    const double width = static_cast<double>(state.range(0));
    const double cosine = 0.8660254037844387, sine = 0.5;
    const double length = 4 * width;
    const double cx = canvas->width / 2.0, cy = canvas->height / 2.0;
    auto corner = [&](double along, double across) {
        return FloatPoint{static_cast<float>(cx + along * cosine - across * sine),
                          static_cast<float>(cy + along * sine + across * cosine)};
    };
    const FloatPoint quad[4] = {corner(-length / 2, -width / 2), corner(-length / 2, width / 2),
                                corner(length / 2, width / 2), corner(length / 2, -width / 2)};
    for (auto _ : state) {
        FillConvexPolygon(canvas, quad, 4, 0);
        benchmark::ClobberMemory();
    }
    ReportRatioToMemset(state, width * length);
    state.counters["x_row_memset"] = benchmark::Counter(
        QuadRowMemsetSeconds(canvas, quad) * static_cast<double>(state.iterations()),
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

BENCHMARK(FillQuadPixels)->ArgName("width")->Arg(8)->Arg(50)->Arg(300)->Arg(1000);

// Full-pressure segments along a random walk that turns gently and bounces
// off the canvas edges; steps of 2 to 30 pixels like pen samples.
void BrushSegments(benchmark::State& state) {
    static std::unique_ptr<AppState> app = std::make_unique<AppState>();
    static BrushParams params[1];
    static int32_t index = 0;
    params[0] = BrushParams{static_cast<int32_t>(state.range(0)), 50};
    app->canvas.image = *BlankCanvas();
    app->canvas.brushParams = params;
    app->canvas.brushIndex = &index;
    app->stroke.maxPressure = 1024;
    const int32_t w = kBenchCanvasWidth, h = kBenchCanvasHeight;

    std::mt19937 random(9);
    std::uniform_real_distribution<double> unit(0, 1);
    std::vector<Point> walk(4096);
    double x = w / 2.0, y = h / 2.0, heading = 0;
    for (Point& p : walk) {
        heading += (unit(random) - 0.5) * 0.6;
        double step = 2 + unit(random) * 28;
        x += step * std::cos(heading);
        y += step * std::sin(heading);
        if (x < 0 || x >= w) heading = 3.141592653589793 - heading;
        if (y < 0 || y >= h) heading = -heading;
        x = std::clamp(x, 0.0, w - 1.0);
        y = std::clamp(y, 0.0, h - 1.0);
        p = Point{static_cast<int32_t>(x), static_cast<int32_t>(y)};
    }
    size_t next = 1;
    Rect rect{};
    for (auto _ : state) {
        const Point& from = walk[(next - 1) & 4095];
        const Point& to = walk[next & 4095];
        ++next;
        app->stroke.prevSmoothed = PointerSample{0, from.x, from.y, 1024, 0, 0, 0};
        app->stroke.smoothed = PointerSample{0, to.x, to.y, 1024, 0, 0, 0};
        RoundBrush(&app->stroke, &app->canvas, &rect);
        benchmark::DoNotOptimize(rect);
        benchmark::ClobberMemory();
    }
    state.counters["segments_per_s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

BENCHMARK(BrushSegments)->ArgName("pen")->Arg(1)->Arg(8)->Arg(50)->Arg(300)->Arg(1000);

} // namespace
