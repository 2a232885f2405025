// The canvas primitives against straightforward per-pixel references of the
// pixel-centre rule, on random shapes inside, across and outside canvases
// whose widths are not multiples of 32, drawing both colours over random bits.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "engine/canvas_primitives.h"
#include "engine/disc_chords.h"
#include "engine/row_fill.h"
#include "engine/span_ends.h"
#include "tests/core/brush_test_canvas.h"

namespace {

// Centres closer than this to an edge may fall either way in the reference.
constexpr double kTie = 1e-6;

const int32_t kWidths[] = {1, 7, 31, 32, 33, 63, 64, 65, 100, 129};

float RandomIn(std::mt19937& random, double lo, double hi) {
    return static_cast<float>(std::uniform_real_distribution<double>(lo, hi)(random));
}

TEST(CanvasPrimitives, FillSpanMatchesPixelByPixelOnEveryWidth) {
    std::mt19937 random(11);
    for (int32_t width : kWidths) {
        GuardedCanvas canvas(width, 5, 1000 + width);
        for (int trial = 0; trial < 300; ++trial) {
            std::uniform_int_distribution<int32_t> column(-40, width + 40), row(-2, 6);
            int32_t x0 = column(random), x1 = column(random), y = row(random);
            int colour = trial & 1;
            FillSpan(canvas.image(), x0, x1, y, colour);
            Expectation expect(width, 5);
            for (int64_t x = std::max(x0, 0); x <= std::min(x1, width - 1); ++x) {
                expect.Set(x, y, Expectation::kDrawn);
            }
            std::string diff = expect.Compare(canvas, colour);
            ASSERT_TRUE(diff.empty()) << "span " << x0 << ".." << x1 << " row " << y << " width "
                                      << width << ": " << diff;
            canvas.Restore();
        }
        // Spans with extreme ends are clipped, not overflowed.
        FillSpan(canvas.image(), INT32_MIN, INT32_MAX, 2, 0);
        for (int32_t x = 0; x < width; ++x) EXPECT_EQ(canvas.Pixel(x, 2), 0);
        EXPECT_TRUE(canvas.OutsideUntouched());
    }
}

TEST(CanvasPrimitives, SetCanvasPixelWritesOneBitAndIgnoresOutside) {
    GuardedCanvas canvas(45, 3, 7);
    Expectation expect(45, 3);
    const int32_t points[][2] = {
        {0, 0}, {44, 2}, {8, 1}, {7, 1}, {-1, 0}, {45, 0}, {0, -1}, {0, 3}, {INT32_MIN, INT32_MAX}};
    for (const auto& p : points) {
        SetCanvasPixel(canvas.image(), p[0], p[1], 0);
        expect.Set(p[0], p[1], Expectation::kDrawn);
    }
    EXPECT_EQ(expect.Compare(canvas, 0), "");
}

// Pixel-centre rule for a disc.
void ExpectDisc(Expectation* expect, int32_t width, int32_t height, double cx, double cy,
                double r) {
    int64_t x0 = std::max<int64_t>(0, static_cast<int64_t>(std::floor(cx - r - 1)));
    int64_t x1 = std::min<int64_t>(width - 1, static_cast<int64_t>(std::ceil(cx + r + 1)));
    int64_t y0 = std::max<int64_t>(0, static_cast<int64_t>(std::floor(cy - r - 1)));
    int64_t y1 = std::min<int64_t>(height - 1, static_cast<int64_t>(std::ceil(cy + r + 1)));
    for (int64_t y = y0; y <= y1; ++y) {
        for (int64_t x = x0; x <= x1; ++x) {
            double distance = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
            if (distance < r - kTie) {
                expect->Set(x, y, Expectation::kDrawn);
            } else if (distance <= r + kTie) {
                expect->Mark(x, y, Expectation::kEither);
            }
        }
    }
}

TEST(CanvasPrimitives, FillDiscFollowsPixelCentreRule) {
    std::mt19937 random(12);
    for (int32_t width : {33, 100, 129}) {
        const int32_t height = 70;
        GuardedCanvas canvas(width, height, 2000 + width);
        for (int trial = 0; trial < 400; ++trial) {
            float cx = RandomIn(random, -60, width + 60);
            float cy = RandomIn(random, -60, height + 60);
            float r = trial % 10 == 0 ? RandomIn(random, 0, 1.5) : RandomIn(random, 0, 70);
            int colour = trial & 1;
            FillDisc(canvas.image(), cx, cy, r, colour);
            Expectation expect(width, height);
            ExpectDisc(&expect, width, height, cx, cy, r);
            std::string diff = expect.Compare(canvas, colour);
            ASSERT_TRUE(diff.empty()) << "disc " << cx << "," << cy << " r " << r << ": " << diff;
            canvas.Restore();
        }
    }
}

// The two-rows-at-a-time kernels round exactly as the plain ones: disc
// centres on, beside and far from the grid, radii from a hair to past the
// canvas, rows above, through and below the disc (ends then clamp to -1 and
// the width); edge pairs crossing either way, steep, flat, and with the
// infinite or undefined crossings a near-horizontal edge can give.
TEST(CanvasPrimitives, SpanKernelsAgree) {
    std::mt19937 random(31);
    const double inf = std::numeric_limits<double>::infinity();
    int32_t x0[2][64], x1[2][64]; // [kernel][row]: SSE2, plain
    auto expectSame = [&](int32_t count, const char* what, int trial) {
        for (int32_t i = 0; i < count; ++i)
            ASSERT_TRUE(x0[0][i] == x0[1][i] && x1[0][i] == x1[1][i])
                << what << " trial " << trial << " row " << i;
    };
    for (int trial = 0; trial < 3000; ++trial) {
        const float grid = static_cast<float>(std::floor(RandomIn(random, -5000, 20000)));
        const float offsets[] = {0.0f, 0.25f, 0.5f, 1e-3f, RandomIn(random, 0, 1)};
        const float cx = grid + offsets[trial % 5];
        const float cy =
            static_cast<float>(std::floor(RandomIn(random, -100, 9000))) + offsets[(trial / 5) % 5];
        const float r = trial % 7 == 0 ? RandomIn(random, 0, 2) : RandomIn(random, 0, 3000);
        const DiscRows disc{cx, cy, static_cast<double>(r) * r, 15360};
        const int32_t first = static_cast<int32_t>(cy - r) - 2 + trial % 64;
        const int32_t count = 1 + trial % 64;
        DiscSpans_Sse2(disc, first, count, x0[0], x1[0]);
        DiscSpans_Scalar(disc, first, count, x0[1], x1[1]);
        expectSame(count, "disc", trial);
        // The kept half chords give the same ends on the disc's own rows.
        const auto top = static_cast<int32_t>(std::floor(static_cast<double>(cy) - r + 0.5));
        const auto bottom = static_cast<int32_t>(std::floor(static_cast<double>(cy) + r - 0.5));
        const int32_t from = top + trial % std::max(1, bottom - top + 1);
        const int32_t rows = std::min({count, 32, bottom - from + 1}); // ends side by side
        const double* chords = rows > 0 ? CachedHalfChords(cy, r, from, from + rows - 1) : nullptr;
        if (rows > 0 && cy >= 1 && r >= 1 && r <= 1024) {
            ASSERT_NE(chords, nullptr) << trial;
        }
        if (chords != nullptr) {
            DiscSpans_Scalar(disc, from, rows, x0[1], x1[1]);
            ChordSpans_Sse2(disc.cx, disc.width, chords, rows, x0[0], x0[0] + 32);
            ChordSpans_Scalar(disc.cx, disc.width, chords, rows, x1[0], x1[0] + 32);
            for (int32_t i = 0; i < rows; ++i)
                ASSERT_TRUE(x0[0][i] == x0[1][i] && x0[0][32 + i] == x1[1][i] &&
                            x1[0][i] == x0[1][i] && x1[0][32 + i] == x1[1][i])
                    << "chords trial " << trial << " row " << i;
        }

        const double slopes[] = {RandomIn(random, -3, 3), RandomIn(random, -300, 300), 0.0, inf,
                                 -inf};
        const EdgeLine a{RandomIn(random, -500, 16000), cy, slopes[trial % 5]};
        const EdgeLine b{RandomIn(random, -500, 16000), cy + offsets[trial % 5],
                         slopes[(trial / 5) % 5]};
        EdgeSpans_Sse2(a, b, 15360, first, count, x0[0], x1[0]);
        EdgeSpans_Scalar(a, b, 15360, first, count, x0[1], x1[1]);
        expectSame(count, "edges", trial);
    }
}

TEST(CanvasPrimitives, FillDiscCentreOnEdgeCountsOnlyRightAndBottomEdges) {
    // Centre (5.5, 5.5), radius 1: pixel centres exactly on the circle are
    // (4.5, 5.5), (6.5, 5.5), (5.5, 4.5), (5.5, 6.5); only the right one is in.
    GuardedCanvas canvas(12, 12);
    FillDisc(canvas.image(), 5.5f, 5.5f, 1.0f, 0);
    Expectation expect(12, 12);
    expect.Set(5, 5, Expectation::kDrawn);
    expect.Set(6, 5, Expectation::kDrawn);
    EXPECT_EQ(expect.Compare(canvas, 0), "");
}

TEST(CanvasPrimitives, FillDiscIgnoresBadInput) {
    GuardedCanvas canvas(40, 30, 3);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const float bad[][3] = {{10, 10, 0},    {10, 10, -5},      {nan, 10, 5}, {10, nan, 5},
                            {10, 10, nan},  {10, 10, inf},     {inf, 10, 5}, {-1e30f, 5, 20},
                            {5, 1e30f, 20}, {-200, -200, 100}, {300, 10, 50}};
    for (const auto& d : bad) FillDisc(canvas.image(), d[0], d[1], d[2], 0);
    EXPECT_TRUE(canvas.Unchanged());
    // A huge disc around the canvas covers all of it and nothing more.
    FillDisc(canvas.image(), 20, 15, 1e30f, 0);
    EXPECT_EQ(canvas.InkCount(), 40 * 30);
    EXPECT_TRUE(canvas.OutsideUntouched());
}

// The incremental line is, away from ties, the exact line sampled at every
// whole step along its longer axis from the start point, then floored.
void ExpectLine(Expectation* expect, int32_t width, int32_t height, float x0, float y0, float x1,
                float y1) {
    float ady = static_cast<float>(std::fabs(static_cast<double>(y1) - y0));
    float adx = static_cast<float>(std::fabs(static_cast<double>(x1) - x0));
    bool alongY = ady >= adx;
    double ms = alongY ? y0 : x0, me = alongY ? y1 : x1;
    double ns = alongY ? x0 : y0, ne = alongY ? x1 : y1;
    if (ms > me) {
        std::swap(ms, me);
        std::swap(ns, ne);
    }
    double major = alongY ? ady : adx, minor = alongY ? adx : ady;
    double slope = major > 0 ? minor / major * (ne - ns >= 0 ? 1 : -1) : 0;
    int32_t extent = alongY ? height : width;
    for (double k = std::max(0.0, std::ceil(-ms - 1)); ms + k <= me && ms + k < extent; ++k) {
        double m = std::floor(ms + k);
        double exact = ns + k * slope;
        double pixel = std::floor(exact);
        double fraction = exact - pixel;
        auto mark = [&](double n, Expectation::State state) {
            if (alongY) {
                expect->Mark(static_cast<int64_t>(n), static_cast<int64_t>(m), state);
            } else {
                expect->Mark(static_cast<int64_t>(m), static_cast<int64_t>(n), state);
            }
        };
        if (fraction < 1e-4) {
            mark(pixel, Expectation::kEither);
            mark(pixel - 1, Expectation::kEither);
        } else if (fraction > 1 - 1e-4) {
            mark(pixel, Expectation::kEither);
            mark(pixel + 1, Expectation::kEither);
        } else {
            mark(pixel, Expectation::kDrawn);
        }
    }
}

TEST(CanvasPrimitives, DrawThinLineMatchesExactLineAtEveryStep) {
    std::mt19937 random(13);
    for (int32_t width : {31, 65, 129}) {
        const int32_t height = 57;
        GuardedCanvas canvas(width, height, 3000 + width);
        for (int trial = 0; trial < 600; ++trial) {
            double reach = trial % 3 == 0 ? 4.0 : 1.2;
            float x0 = RandomIn(random, -reach * width, reach * width);
            float y0 = RandomIn(random, -reach * height, reach * height);
            float x1 = trial % 7 == 0 ? x0 + RandomIn(random, -1, 1)
                                      : RandomIn(random, -reach * width, reach * width);
            float y1 = trial % 5 == 0 ? y0 + RandomIn(random, -2, 2)
                                      : RandomIn(random, -reach * height, reach * height);
            int colour = trial & 1;
            DrawThinLine(canvas.image(), x0, y0, x1, y1, colour);
            Expectation expect(width, height);
            ExpectLine(&expect, width, height, x0, y0, x1, y1);
            std::string diff = expect.Compare(canvas, colour);
            ASSERT_TRUE(diff.empty())
                << "line " << x0 << "," << y0 << " - " << x1 << "," << y1 << ": " << diff;
            canvas.Restore();
        }
    }
}

TEST(CanvasPrimitives, DrawThinLineFromFarOutsideIsClippedQuickly) {
    GuardedCanvas canvas(100, 80);
    auto start = std::chrono::steady_clock::now();
    // Diagonal through the canvas from a billion pixels away on both sides.
    DrawThinLine(canvas.image(), -1e9f, -1e9f, 1e9f, 1e9f, 0);
    for (int32_t i = 0; i < 80; ++i) EXPECT_EQ(canvas.Pixel(i, i), 0) << i;
    EXPECT_EQ(canvas.InkCount(), 80);
    canvas.Restore();
    // Shallow lines far away, and lines far outside in the other axis.
    DrawThinLine(canvas.image(), -3e9f, 40.5f, 3e9f, 40.5f, 0);
    EXPECT_EQ(canvas.InkCount(), 100);
    canvas.Restore();
    DrawThinLine(canvas.image(), -1e30f, -1e30f, 1e30f, -1e30f, 0);
    DrawThinLine(canvas.image(), 50, -1e30f, 50.5f, -1e29f, 0);
    DrawThinLine(canvas.image(), -3e38f, 0, 3e38f, 10, 0);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    DrawThinLine(canvas.image(), nan, 0, 10, 10, 0);
    DrawThinLine(canvas.image(), 0, 0, inf, 10, 0);
    EXPECT_TRUE(canvas.Unchanged());
    std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    EXPECT_LT(took.count(), 1.0);

    // A far start still lands exactly on the line where it crosses the canvas.
    std::mt19937 random(14);
    for (int trial = 0; trial < 200; ++trial) {
        float x0 = RandomIn(random, -1e6, -1e5), y0 = RandomIn(random, -50, 130);
        float x1 = RandomIn(random, 10, 1e5), y1 = RandomIn(random, -50, 130);
        DrawThinLine(canvas.image(), x0, y0, x1, y1, 0);
        Expectation expect(100, 80);
        ExpectLine(&expect, 100, 80, x0, y0, x1, y1);
        std::string diff = expect.Compare(canvas, 0);
        ASSERT_TRUE(diff.empty()) << x0 << "," << y0 << " - " << x1 << "," << y1 << ": " << diff;
        canvas.Restore();
    }
}

struct Polygon {
    std::vector<FloatPoint> points;
};

// Convex by construction: points on an ellipse in angle order, in either
// turning direction, starting anywhere; flat ellipses give collinear input.
Polygon RandomConvexPolygon(std::mt19937& random, int32_t width, int32_t height) {
    int count = std::uniform_int_distribution<int>(1, 8)(random);
    double cx = RandomIn(random, -0.5 * width, 1.5 * width);
    double cy = RandomIn(random, -0.5 * height, 1.5 * height);
    double rx = RandomIn(random, 0, 60), ry = RandomIn(random, 0, 60);
    int shape = std::uniform_int_distribution<int>(0, 9)(random);
    if (shape == 0) ry = 0;                             // collinear
    if (shape == 1) ry = RandomIn(random, 0, 0.7);      // less than a row high
    if (shape == 2) rx = ry = RandomIn(random, 0, 1.5); // tiny
    std::vector<double> angles(count);
    for (double& a : angles) a = RandomIn(random, 0, 6.283185307179586);
    std::sort(angles.begin(), angles.end());
    if (random() & 1) std::reverse(angles.begin(), angles.end());
    Polygon polygon;
    for (double a : angles) {
        polygon.points.push_back(FloatPoint{static_cast<float>(cx + rx * std::cos(a)),
                                            static_cast<float>(cy + ry * std::sin(a))});
    }
    if (shape == 3 && count > 1) polygon.points[1] = polygon.points[0]; // repeated vertex
    std::rotate(polygon.points.begin(),
                polygon.points.begin() + std::uniform_int_distribution<int>(0, count - 1)(random),
                polygon.points.end());
    return polygon;
}

// Pixel-centre rule for a convex polygon; one covering the centres of a
// single row only is its bounding span on that row.
void ExpectPolygon(Expectation* expect, int32_t width, int32_t height, const Polygon& polygon) {
    const auto& p = polygon.points;
    double minX = p[0].x, maxX = p[0].x, minY = p[0].y, maxY = p[0].y;
    for (const FloatPoint& q : p) {
        minX = std::min<double>(minX, q.x);
        maxX = std::max<double>(maxX, q.x);
        minY = std::min<double>(minY, q.y);
        maxY = std::max<double>(maxY, q.y);
    }
    double firstRow = std::floor(minY + 0.5), lastRow = std::floor(maxY - 0.5);
    if (firstRow > lastRow) return;
    if (firstRow == lastRow) {
        for (double x = std::floor(minX + 0.5); x <= std::floor(maxX - 0.5); ++x) {
            if (x >= width) break;
            expect->Set(static_cast<int64_t>(x), static_cast<int64_t>(firstRow),
                        Expectation::kDrawn);
        }
        return;
    }
    double area = 0;
    for (size_t i = 0; i < p.size(); ++i) {
        const FloatPoint &a = p[i], &b = p[(i + 1) % p.size()];
        area += static_cast<double>(a.x) * b.y - static_cast<double>(b.x) * a.y;
    }
    double turn = area < 0 ? -1 : 1;
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            double px = x + 0.5, py = y + 0.5;
            double nearest = std::numeric_limits<double>::infinity();
            for (size_t i = 0; i < p.size(); ++i) {
                const FloatPoint &a = p[i], &b = p[(i + 1) % p.size()];
                double ex = static_cast<double>(b.x) - a.x, ey = static_cast<double>(b.y) - a.y;
                double length = std::hypot(ex, ey);
                if (length == 0) continue;
                double side = turn * (ex * (py - a.y) - ey * (px - a.x)) / length;
                nearest = std::min(nearest, side);
            }
            if (nearest > kTie) {
                expect->Set(x, y, Expectation::kDrawn);
            } else if (nearest >= -kTie) {
                expect->Mark(x, y, Expectation::kEither);
            }
        }
    }
}

TEST(CanvasPrimitives, FillConvexPolygonFollowsPixelCentreRule) {
    std::mt19937 random(15);
    for (int32_t width : {33, 100, 129}) {
        const int32_t height = 61;
        GuardedCanvas canvas(width, height, 4000 + width);
        for (int trial = 0; trial < 500; ++trial) {
            Polygon polygon = RandomConvexPolygon(random, width, height);
            int colour = trial & 1;
            FillConvexPolygon(canvas.image(), polygon.points.data(),
                              static_cast<int32_t>(polygon.points.size()), colour);
            Expectation expect(width, height);
            ExpectPolygon(&expect, width, height, polygon);
            std::string diff = expect.Compare(canvas, colour);
            if (!diff.empty()) {
                std::ostringstream points;
                for (const FloatPoint& q : polygon.points) points << q.x << "," << q.y << " ";
                FAIL() << "polygon " << points.str() << ": " << diff;
            }
            canvas.Restore();
        }
    }
}

TEST(CanvasPrimitives, FillConvexPolygonHandlesDegenerateAndHugeInput) {
    GuardedCanvas canvas(50, 40, 5);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const FloatPoint flat[] = {{2, 10}, {30, 10}, {40, 10}};         // zero height
    const FloatPoint line[] = {{1, 1}, {20, 20}, {39, 39}};          // collinear
    const FloatPoint twice[] = {{5, 5}, {5, 5}, {25, 30}, {25, 30}}; // repeated points
    const FloatPoint withNan[] = {{1, 1}, {nan, 30}, {30, 1}};
    FillConvexPolygon(canvas.image(), flat, 3, 0);
    FillConvexPolygon(canvas.image(), line, 3, 0);
    FillConvexPolygon(canvas.image(), twice, 4, 0);
    FillConvexPolygon(canvas.image(), withNan, 3, 0);
    FillConvexPolygon(canvas.image(), flat, 0, 0);
    FillConvexPolygon(canvas.image(), nullptr, 3, 0);
    const FloatPoint farAway[] = {{-1e30f, -1e30f}, {-1e29f, -1e30f}, {-1e29f, -1e29f}};
    FillConvexPolygon(canvas.image(), farAway, 3, 0);
    EXPECT_TRUE(canvas.Unchanged());

    // A triangle reaching far beyond every side covers the whole canvas.
    const FloatPoint huge[] = {{-1e30f, -1e30f}, {1e30f, -1e30f}, {0, 1e30f}};
    auto start = std::chrono::steady_clock::now();
    FillConvexPolygon(canvas.image(), huge, 3, 0);
    std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    EXPECT_LT(took.count(), 1.0);
    EXPECT_EQ(canvas.InkCount(), 50 * 40);
    EXPECT_TRUE(canvas.OutsideUntouched());
}

#if PINDORA_AVX2_KERNELS

// The row fills give the plain form's bits: spans of every length class
// (inside one byte, one or two blocks, a middle, past the library's fill),
// ends clamped at both canvas edges and empty spans, both colours over random
// bits. The AVX2 span ends match the plain ones on the same rows, with the
// infinite and undefined crossings edges can give.
TEST(CanvasPrimitives, RowFillAndFourRowSpanKernelsMatchPlainForms) {
    std::mt19937 random(41);
    if (BestFillRows() != FillRows_Avx2) GTEST_SKIP() << "no AVX2 kernels on this machine";
    for (int32_t width : {5, 40, 257, 700, 2300}) {
        const int32_t height = 24;
        GuardedCanvas plain(width, height, 77), wide(width, height, 77);
        for (int trial = 0; trial < 60; ++trial) {
            std::uniform_int_distribution<int32_t> end(-1, width), row(0, height - 1);
            const int32_t first = row(random);
            const int32_t count = 1 + row(random) % (height - first);
            int32_t x0[24], x1[24];
            for (int32_t i = 0; i < count; ++i) {
                x0[i] = end(random);
                x1[i] = trial % 3 == 0 ? std::min(width, x0[i] + (end(random) & 15)) : end(random);
            }
            const int colour = trial & 1;
            const ptrdiff_t stride = CanvasStride(plain.image());
            FillRows_Scalar(CanvasRow(plain.image(), first), stride, x0, x1, count, width, colour);
            FillRows_Avx2(CanvasRow(wide.image(), first), stride, x0, x1, count, width, colour);
            const size_t bytes = static_cast<size_t>(stride) * height;
            ASSERT_EQ(std::memcmp(plain.image()->bits, wide.image()->bits, bytes), 0)
                << "width " << width << " trial " << trial;
        }
        EXPECT_TRUE(wide.OutsideUntouched());
    }
    const double inf = std::numeric_limits<double>::infinity();
    int32_t ends[4][64]; // x0 and x1 of the four-row form, then of the plain one
    for (int trial = 0; trial < 2000; ++trial) {
        const int32_t count = 1 + trial % 64;
        double w[64];
        for (double& chord : w)
            chord = trial % 5 == 0 ? RandomIn(random, 0, 2) : RandomIn(random, 0, 3000);
        const double cx =
            std::floor(RandomIn(random, -3000, 18000)) + RandomIn(random, 0, 1) * (trial & 1);
        ChordSpans_Avx2(cx, 15360, w, count, ends[0], ends[1]);
        ChordSpans_Scalar(cx, 15360, w, count, ends[2], ends[3]);
        for (int32_t i = 0; i < count; ++i)
            ASSERT_TRUE(ends[0][i] == ends[2][i] && ends[1][i] == ends[3][i]) << "chords " << trial;
        const double slopes[] = {RandomIn(random, -3, 3), RandomIn(random, -300, 300), 0.0, inf,
                                 -inf};
        const float y = RandomIn(random, -100, 9000);
        const EdgeLine a{RandomIn(random, -500, 16000), y, slopes[trial % 5]};
        const EdgeLine b{RandomIn(random, -500, 16000), y + 0.25, slopes[(trial / 5) % 5]};
        const auto firstRow = static_cast<int32_t>(y) - 32 + trial % 64;
        EdgeSpans_Avx2(a, b, 15360, firstRow, count, ends[0], ends[1]);
        EdgeSpans_Scalar(a, b, 15360, firstRow, count, ends[2], ends[3]);
        for (int32_t i = 0; i < count; ++i)
            ASSERT_TRUE(ends[0][i] == ends[2][i] && ends[1][i] == ends[3][i]) << "edges " << trial;
    }
}

#endif

} // namespace
