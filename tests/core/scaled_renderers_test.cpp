// The free-rotation renderers against references computed here.
//
// The averaging renderers are checked against a per-canvas-pixel reference:
// every canvas pixel of the walked box is placed at its 16.16 position
// computed in 64-bit arithmetic from the origin and the steps, its cell is
// that position's whole part, and each cell's index is round(254 * set /
// all) in double precision (255 for an empty cell). The averages must match
// exactly. A separate test places a single ink spot and checks that the
// darkest display pixel is where the float transform puts the spot.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <thread>

#include "tests/core/render_test_support.h"
#include "view/band_threads.h"
#include "view/scaled_renderer_internal.h"
#include "view/scaled_renderer_nearest_wide.h"
#include "view/scaled_renderers.h"

namespace {

// The placement and stepping of an averaging render, worked out here from
// the view's float transforms.
struct Geometry {
    int32_t x0, y0, width, height;
    Rect q;
    int64_t xOrigin, yOrigin;
    int64_t xPerColumn, yPerColumn, xPerRow, yPerRow;
};

Geometry AccumulateGeometry(const Canvas* canvas, const ViewState* view, Rect rect) {
    Geometry g{};
    FloatRect d = FreeCanvasRectToBitmapFloat(canvas, view, rect);
    g.x0 = static_cast<int32_t>(std::trunc(d.left));
    g.y0 = static_cast<int32_t>(std::trunc(d.top));
    double right = std::ceil(d.right), bottom = std::ceil(d.bottom);
    g.width = static_cast<int32_t>(right - g.x0);
    g.height = static_cast<int32_t>(bottom - g.y0);
    double minX = 1e30, minY = 1e30, maxX = -1e30, maxY = -1e30;
    for (double bx : {static_cast<double>(g.x0), right})
        for (double by : {static_cast<double>(g.y0), bottom}) {
            float x = static_cast<float>(bx), y = static_cast<float>(by);
            FreeBitmapToCanvasFloat(view, &x, &y);
            minX = std::min<double>(minX, x), maxX = std::max<double>(maxX, x);
            minY = std::min<double>(minY, y), maxY = std::max<double>(maxY, y);
        }
    // The walked box reaches a margin past the mapped corners.
    double margin = std::ceil(view->scale) + 2.0;
    auto clamp = [](double v, int32_t high) {
        return static_cast<int32_t>(std::clamp(v, 0.0, static_cast<double>(high)));
    };
    g.q = Rect{clamp(std::trunc(minX) - margin, canvas->image.width),
               clamp(std::trunc(minY) - margin, canvas->image.height),
               clamp(std::trunc(maxX) + margin, canvas->image.width),
               clamp(std::trunc(maxY) + margin, canvas->image.height)};
    float px = static_cast<float>(g.q.left), py = static_cast<float>(g.q.top);
    FreeCanvasToBitmapFloat(canvas, view, &px, &py);
    g.xOrigin = static_cast<int64_t>(std::floor((static_cast<double>(px) - g.x0) * 65536.0));
    g.yOrigin = static_cast<int64_t>(std::floor((static_cast<double>(py) - g.y0) * 65536.0));
    float theta = view->rotation / 180.0f * 3.1415927f;
    double c = std::cos(static_cast<double>(theta)), s = std::sin(static_cast<double>(theta));
    double z = view->scale, m = view->mirror ? -1.0 : 1.0;
    g.xPerColumn = static_cast<int64_t>(std::floor(m * std::floor(65536.0 * c / z)));
    g.yPerColumn = static_cast<int64_t>(std::floor(m * std::floor(-65536.0 * s / z)));
    g.xPerRow = static_cast<int64_t>(std::floor(65536.0 * s / z));
    g.yPerRow = static_cast<int64_t>(std::floor(65536.0 * c / z));
    return g;
}

struct Averages {
    Geometry g;
    std::vector<int32_t> counts;
    std::vector<int32_t> sums;
    int32_t most = 0; // largest count of one cell

    uint8_t Index(int32_t x, int32_t y) const {
        int32_t c = counts[y * g.width + x];
        if (c == 0) return 255;
        return static_cast<uint8_t>(std::floor(254.0 * sums[y * g.width + x] / c + 0.5));
    }
};

// singleRows: each row starts from a single-precision product, as the 16-bit
// renderer computes it; otherwise from the exact one.
Averages ReferenceAverages(const Canvas* canvas, const ViewState* view, Rect rect,
                           bool singleRows) {
    Averages a;
    a.g = AccumulateGeometry(canvas, view, rect);
    const Geometry& g = a.g;
    a.counts.assign(static_cast<size_t>(g.width) * g.height, 0);
    a.sums.assign(a.counts.size(), 0);
    const CanvasImage* image = &canvas->image;
    for (int32_t i = g.q.top; i < g.q.bottom; ++i) {
        int64_t rowX, rowY;
        if (singleRows) {
            float offset = static_cast<float>(i) - static_cast<float>(g.q.top);
            rowX = static_cast<int64_t>(static_cast<float>(g.xPerRow) * offset +
                                        static_cast<float>(g.xOrigin));
            rowY = static_cast<int64_t>(static_cast<float>(g.yPerRow) * offset +
                                        static_cast<float>(g.yOrigin));
        } else {
            rowX = g.xOrigin + (i - g.q.top) * g.xPerRow;
            rowY = g.yOrigin + (i - g.q.top) * g.yPerRow;
        }
        const uint8_t* row = CanvasRow(image, i);
        for (int32_t j = g.q.left; j < g.q.right; ++j) {
            int64_t X = rowX + (j - g.q.left) * g.xPerColumn;
            int64_t Y = rowY + (j - g.q.left) * g.yPerColumn;
            int64_t cx = X >> 16, cy = Y >> 16;
            if (cx < 0 || cy < 0 || cx >= g.width || cy >= g.height) continue;
            size_t cell = static_cast<size_t>(cy * g.width + cx);
            a.counts[cell] += 1;
            a.sums[cell] += (row[j >> 3] >> (7 - (j & 7))) & 1;
            a.most = std::max(a.most, a.counts[cell]);
        }
    }
    return a;
}

// Number of output pixels that differ from the reference (0 when all agree;
// a size mismatch counts every pixel).
int64_t Mismatches(const DibSurface* out, const Averages& ref) {
    if (!out || out->header.biWidth != ref.g.width || out->header.biHeight != ref.g.height)
        return int64_t{ref.g.width} * ref.g.height + 1;
    int64_t wrong = 0;
    for (int32_t y = 0; y < ref.g.height; ++y)
        for (int32_t x = 0; x < ref.g.width; ++x)
            if (PixelAt(out, x, y) != ref.Index(x, y)) ++wrong;
    return wrong;
}

using Renderer = DibSurface* (*)(const CanvasImage*, const ViewState*, Rect, int32_t, int32_t);

struct Case {
    int32_t width, height;
    float scale, rotation;
    int32_t mirror;
    Rect rect;
};

std::vector<Case> RandomCases(uint32_t seed, int count, float lowScale, float highScale) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::vector<Case> cases;
    for (int k = 0; k < count; ++k) {
        Case c;
        c.width = 200 + static_cast<int32_t>(unit(random) * 700);
        c.height = 150 + static_cast<int32_t>(unit(random) * 500);
        c.scale = static_cast<float>(lowScale + unit(random) * (highScale - lowScale));
        c.rotation = static_cast<float>(std::floor(unit(random) * 3600) / 10);
        c.mirror = unit(random) < 0.5;
        if (k % 3 == 0) {
            c.rect = Rect{0, 0, c.width, c.height};
        } else { // a stroke-sized rectangle, sometimes over an edge
            int32_t l = static_cast<int32_t>(unit(random) * c.width) - 20;
            int32_t t = static_cast<int32_t>(unit(random) * c.height) - 20;
            c.rect = Rect{l, t, l + 10 + static_cast<int32_t>(unit(random) * 150),
                          t + 10 + static_cast<int32_t>(unit(random) * 150)};
        }
        cases.push_back(c);
    }
    return cases;
}

// Restores the machine's processor count and thread behaviour after a test.
struct ThreadSettings {
    ~ThreadSettings() {
        SetBandProcessorCountOverride(0);
        SetBandThreadFailures(0);
    }
};

TEST(AccumulatingRenderers, AverageTheCanvasPixelsOfEachFixedPointCell) {
    int index = 0;
    for (const Case& c : RandomCases(7, 16, 1.6f, 14.9f)) {
        TestCanvas canvas(c.width, c.height);
        canvas.Draw(100 + index++);
        TestView view(&canvas.canvas, c.scale, c.rotation, c.mirror, 1);
        SCOPED_TRACE(testing::Message()
                     << c.width << "x" << c.height << " scale " << c.scale << " angle "
                     << c.rotation << " mirror " << c.mirror << " rect " << c.rect.left << ","
                     << c.rect.top << "," << c.rect.right << "," << c.rect.bottom);
        Averages exact = ReferenceAverages(&canvas.canvas, &view.view, c.rect, false);
        Averages single = ReferenceAverages(&canvas.canvas, &view.view, c.rect, true);
        ASSERT_LT(exact.most, 256);
        DibSurface* out8 = RenderAccumulate8(canvas.image(), &view.view, c.rect, 0, 0);
        DibSurface* out16 = RenderAccumulate16(canvas.image(), &view.view, c.rect, 0, 0);
        ASSERT_NE(out8, nullptr);
        ASSERT_NE(out16, nullptr);
        EXPECT_EQ(out8->header.biBitCount, 8);
        EXPECT_EQ(Mismatches(out8, exact), 0);
        EXPECT_EQ(Mismatches(out16, single), 0);
        ReleaseDibSurface(&out8);
        ReleaseDibSurface(&out16);
    }
}

// The wide pass counts each run's pixels with the bit-count instruction or
// without it; both forms must give the reference averages, over scales whose
// runs are short, long and longer than one 64-bit window.
TEST(AccumulatingRenderers, WidePassAgreesWithAndWithoutTheBitCountInstruction) {
    int index = 0;
    for (const Case& c : RandomCases(23, 12, 1.6f, 90.0f)) {
        TestCanvas canvas(c.width, c.height);
        canvas.Draw(400 + index++);
        TestView view(&canvas.canvas, c.scale, c.rotation, c.mirror, 1);
        Averages single = ReferenceAverages(&canvas.canvas, &view.view, c.rect, true);
        for (bool bitScan : {false, true}) {
            AllowWideBitScan(bitScan);
            DibSurface* out = RenderAccumulate16(canvas.image(), &view.view, c.rect, 0, 0);
            ASSERT_NE(out, nullptr);
            EXPECT_EQ(Mismatches(out, single), 0)
                << c.width << "x" << c.height << " scale " << c.scale << " angle " << c.rotation
                << (bitScan ? " bit-count instruction" : " portable");
            ReleaseDibSurface(&out);
        }
    }
    AllowWideBitScan(true);
}

TEST(AccumulatingRenderers, PlaceTheCanvasWhereTheTransformsPutIt) {
    std::mt19937 random(21);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (int k = 0; k < 12; ++k) {
        TestCanvas canvas(700, 500);
        double cx = 100 + unit(random) * 500, cy = 100 + unit(random) * 300;
        float scale = 3.0f + static_cast<float>(unit(random) * 6);
        canvas.Disc(cx, cy, scale);
        TestView view(&canvas.canvas, scale, static_cast<float>(unit(random) * 360), k & 1, 1);
        Rect whole{0, 0, 700, 500};
        DibSurface* out = RenderAccumulate8(canvas.image(), &view.view, whole, 0, 0);
        ASSERT_NE(out, nullptr);
        int32_t bestX = 0, bestY = 0;
        for (int32_t y = 0; y < out->header.biHeight; ++y)
            for (int32_t x = 0; x < out->header.biWidth; ++x)
                if (PixelAt(out, x, y) < PixelAt(out, bestX, bestY)) bestX = x, bestY = y;
        float px = static_cast<float>(cx), py = static_cast<float>(cy);
        FreeCanvasToBitmapFloat(&canvas.canvas, &view.view, &px, &py);
        FloatRect d = FreeCanvasRectToBitmapFloat(&canvas.canvas, &view.view, whole);
        EXPECT_NEAR(bestX + 0.5, px - std::trunc(d.left), 1.0);
        EXPECT_NEAR(bestY + 0.5, py - std::trunc(d.top), 1.0);
        EXPECT_LT(PixelAt(out, bestX, bestY), 64u);
        ReleaseDibSurface(&out);
    }
}

TEST(AccumulatingRenderers, KnownLevelsAndTheNoSampleColour) {
    TestCanvas canvas(256, 256);
    TestView view(&canvas.canvas, 4.0f, 0.0f, 0, 1);
    Rect whole{0, 0, 256, 256};
    for (Renderer render : {RenderAccumulate8, RenderAccumulate16}) {
        canvas.Fill(0);
        DibSurface* ink = render(canvas.image(), &view.view, whole, 0, 0);
        canvas.Fill(1);
        DibSurface* paper = render(canvas.image(), &view.view, whole, 1, 0);
        for (int32_t y = 0; y < 256; ++y)
            for (int32_t x = 0; x < 256; ++x) canvas.Set(x, y, x & 1);
        DibSurface* half = render(canvas.image(), &view.view, whole, 0, 0);
        ASSERT_TRUE(ink && paper && half);
        ASSERT_EQ(ink->header.biWidth, 64);
        for (int32_t y = 0; y < 64; ++y)
            for (int32_t x = 0; x < 64; ++x) {
                ASSERT_EQ(PixelAt(ink, x, y), 0u);
                ASSERT_EQ(PixelAt(paper, x, y), 254u);
                ASSERT_EQ(PixelAt(half, x, y), 127u);
            }
        // The ramp runs between the canvas colours; 255 is this call's own.
        const RgbQuad& c0 = canvas.image()->palette[0];
        const RgbQuad& c1 = canvas.image()->palette[1];
        EXPECT_EQ(ink->palette[0].rgbRed, c0.rgbRed);
        EXPECT_EQ(ink->palette[254].rgbBlue, c1.rgbBlue);
        EXPECT_EQ(ink->palette[255].rgbGreen, 192);
        EXPECT_EQ(paper->palette[255].rgbGreen, 255);
        ReleaseDibSurface(&ink);
        ReleaseDibSurface(&paper);
        ReleaseDibSurface(&half);
    }
    // Turned by 45 degrees the output's corners lie outside the canvas.
    canvas.Fill(1);
    view.Set(4.0f, 45.0f, 0, 1);
    for (Renderer render : {RenderAccumulate8, RenderAccumulate16}) {
        DibSurface* out = render(canvas.image(), &view.view, whole, 0, 0);
        ASSERT_NE(out, nullptr);
        int32_t w = out->header.biWidth, h = out->header.biHeight;
        EXPECT_EQ(PixelAt(out, 0, 0), 255u);
        EXPECT_EQ(PixelAt(out, w - 1, h - 1), 255u);
        EXPECT_EQ(PixelAt(out, w / 2, h / 2), 254u);
        ReleaseDibSurface(&out);
    }
}

TEST(AccumulatingRenderers, MirrorTurnsOnlyTheColumnSteps) {
    TestCanvas canvas(500, 400);
    for (float angle : {0.0f, 30.0f, 123.4f, 270.0f}) {
        TestView plain(&canvas.canvas, 6.5f, angle, 0, 1);
        TestView mirrored(&canvas.canvas, 6.5f, angle, 1, 1);
        AccumulatePlan a, b;
        ASSERT_TRUE(PlanAccumulate(canvas.image(), &plain.view, Rect{0, 0, 500, 400}, &a));
        ASSERT_TRUE(PlanAccumulate(canvas.image(), &mirrored.view, Rect{0, 0, 500, 400}, &b));
        EXPECT_EQ(b.xPerColumn, -a.xPerColumn);
        EXPECT_EQ(b.yPerColumn, -a.yPerColumn);
        EXPECT_EQ(b.xPerRow, a.xPerRow);
        EXPECT_EQ(b.yPerRow, a.yPerRow);
    }
}

TEST(AccumulatingRenderers, ThreadsGiveTheSameBytesAsOneThread) {
    ThreadSettings restore;
    TestCanvas canvas(1300, 1100);
    canvas.Draw(5, 200);
    struct Setting {
        float scale, rotation;
        int32_t mirror;
    };
    for (Setting s :
         {Setting{3.0f, 17.0f, 0}, Setting{2.5f, 200.0f, 1}, Setting{15.5f / 4, 77.0f, 1}}) {
        TestView view(&canvas.canvas, s.scale, s.rotation, s.mirror, 1);
        Rect whole{0, 0, 1300, 1100};
        for (Renderer render : {RenderAccumulate8, RenderAccumulate16}) {
            DibSurface* alone = render(canvas.image(), &view.view, whole, 0, 0);
            ASSERT_NE(alone, nullptr);
            ASSERT_GE(alone->header.biWidth, 256);
            ASSERT_GE(alone->header.biHeight, 256);
            // n threads, and n threads of which some could not be started.
            struct Spread {
                int32_t threads;
                uint32_t failures;
            };
            for (Spread spread :
                 {Spread{2, 0}, Spread{3, 0}, Spread{7, 0}, Spread{3, 1}, Spread{7, 0x2A}}) {
                SetBandProcessorCountOverride(spread.threads);
                SetBandThreadFailures(spread.failures);
                DibSurface* out = render(canvas.image(), &view.view, whole, 0, 1);
                EXPECT_TRUE(SamePixels(alone, out))
                    << spread.threads << " threads, failures " << spread.failures;
                ReleaseDibSurface(&out);
            }
            SetBandThreadFailures(0);
            ReleaseDibSurface(&alone);
        }
    }
}

TEST(AccumulatingRenderers, EightBitCountsNeverWrapNearScale15) {
    // At 15 the floored steps make cells a hair over 15 canvas pixels wide,
    // so a cell whose corner meets a canvas pixel gathers 16 x 16 = 256 of
    // them: the whole canvas at 0 degrees starts exactly so.
    int index = 0;
    for (float scale : {15.0f, 15.5f, 15.9f}) {
        for (float angle : {0.0f, 0.0f, 33.0f, 301.5f}) {
            TestCanvas canvas(620, 470);
            canvas.Draw(300 + index, 30);
            TestView view(&canvas.canvas, scale, angle, index & 1, 1);
            ++index;
            Rect whole{0, 0, 620, 470};
            SCOPED_TRACE(testing::Message() << "scale " << scale << " angle " << angle);
            Averages ref = ReferenceAverages(&canvas.canvas, &view.view, whole, false);
            if (angle == 0.0f && !view.view.mirror) {
                EXPECT_GE(ref.most, 256);
            }
            DibSurface* out = RenderAccumulate8(canvas.image(), &view.view, whole, 0, 0);
            EXPECT_EQ(Mismatches(out, ref), 0);
            ReleaseDibSurface(&out);
        }
    }
}

TEST(AccumulatingRenderers, WideCountersAreTakenFromScale15On) {
    TestCanvas canvas(900, 700);
    TestView view(&canvas.canvas, 14.9f, 0.0f, 0, 1);
    Rect whole{0, 0, 900, 700};
    AccumulatePlan plan;
    // Below 15 the steps keep every cell under 256 pixels; at 15 and 0
    // degrees they do not, nor anywhere from 15.5 on.
    for (float angle : {0.0f, 45.0f, 89.0f, 200.0f}) {
        view.Set(14.9f, angle, 0, 1);
        ASSERT_TRUE(PlanAccumulate(canvas.image(), &view.view, whole, &plan));
        EXPECT_FALSE(CellMayGather256(plan)) << angle;
        view.Set(15.5f, angle, 1, 1);
        ASSERT_TRUE(PlanAccumulate(canvas.image(), &view.view, whole, &plan));
        EXPECT_TRUE(CellMayGather256(plan)) << angle;
    }
    view.Set(15.0f, 0.0f, 0, 1);
    ASSERT_TRUE(PlanAccumulate(canvas.image(), &view.view, whole, &plan));
    EXPECT_TRUE(CellMayGather256(plan));
}

TEST(AccumulatingRenderers, EachCallKeepsItsOwnNoSampleColourAndWholeRamp) {
    // Two threads render with different no-sample colours while the canvas
    // colours change under them; every output must carry its own entry 255
    // and the complete ramp of the colours it was rendered with.
    std::atomic<int> bad{0};
    auto worker = [&bad](int32_t white, uint32_t seed) {
        std::mt19937 random(seed);
        TestCanvas canvas(64, 64);
        TestView view(&canvas.canvas, 4.0f, 10.0f, 0, 1);
        for (int round = 0; round < 150; ++round) {
            uint8_t level = static_cast<uint8_t>(random());
            canvas.image()->palette[1] = RgbQuad{level, level, level, 0};
            for (Renderer render : {RenderAccumulate8, RenderAccumulate16}) {
                DibSurface* out = render(canvas.image(), &view.view, Rect{0, 0, 64, 64}, white, 0);
                uint8_t expected = white ? 255 : 192;
                if (!out || out->palette[255].rgbRed != expected ||
                    out->palette[254].rgbGreen != level || out->palette[0].rgbBlue != 20)
                    ++bad;
                ReleaseDibSurface(&out);
            }
        }
    };
    std::thread a(worker, 0, 1u), b(worker, 1, 2u);
    a.join();
    b.join();
    EXPECT_EQ(bad.load(), 0);
}

// RenderNearest, pixel by pixel: output pixel (j, i) of the bitmap shows the
// canvas pixel at the 16.16 position origin + i * row step + j * column step.
void CheckNearest(const TestCanvas& canvas, const ViewState* view, Rect rect, bool withMask,
                  int32_t threads) {
    DibSurface* out = nullptr;
    DibSurface* mask = nullptr;
    RenderNearest(&canvas.canvas.image, view, rect, &out, withMask ? &mask : nullptr, threads);
    ASSERT_NE(out, nullptr);
    ASSERT_EQ(withMask, mask != nullptr);
    FloatRect d = FreeCanvasRectToBitmapFloat(&canvas.canvas, view, rect);
    float z = view->scale;
    if (z < 1.0f) d = FloatRect{d.left * z, d.top * z, d.right * z, d.bottom * z};
    int32_t L = static_cast<int32_t>(std::trunc(d.left)),
            T = static_cast<int32_t>(std::trunc(d.top));
    int32_t R = static_cast<int32_t>(std::ceil(d.right)),
            B = static_cast<int32_t>(std::ceil(d.bottom));
    ASSERT_EQ(out->header.biWidth, R - L);
    ASSERT_EQ(out->header.biHeight, B - T);
    EXPECT_EQ(out->palette[0].rgbRed, canvas.canvas.image.palette[0].rgbRed);
    EXPECT_EQ(out->palette[1].rgbRed, canvas.canvas.image.palette[1].rgbRed);
    float theta = view->rotation / 180.0f * 3.1415927f;
    double zz = std::max(1.0, static_cast<double>(z));
    double c = std::cos(static_cast<double>(theta)), s = std::sin(static_cast<double>(theta));
    double m = view->mirror ? -1.0 : 1.0;
    int64_t xc = static_cast<int64_t>(std::floor(m * 65536.0 * zz * c));
    int64_t yc = static_cast<int64_t>(std::floor(65536.0 * zz * s));
    int64_t xr = static_cast<int64_t>(std::floor(-m * 65536.0 * zz * s));
    int64_t yr = static_cast<int64_t>(std::floor(65536.0 * zz * c));
    float fx = 0, fy = 0;
    FreeBitmapToCanvasFloat(view, &fx, &fy);
    int64_t xo = static_cast<int64_t>(std::floor(65536.0 * fx));
    int64_t yo = static_cast<int64_t>(std::floor(65536.0 * fy));
    int64_t wrong = 0, outside = 0;
    for (int32_t i = T; i < B; ++i)
        for (int32_t j = L; j < R; ++j) {
            int64_t cx = (xo + i * xr + j * xc) >> 16, cy = (yo + i * yr + j * yc) >> 16;
            bool inside = cx >= 0 && cy >= 0 && cx < canvas.width() && cy < canvas.height();
            uint32_t expected = inside ? static_cast<uint32_t>(canvas.Get(static_cast<int32_t>(cx),
                                                                          static_cast<int32_t>(cy)))
                                       : (withMask ? 0u : 1u);
            outside += !inside;
            if (PixelAt(out, j - L, i - T) != expected) ++wrong;
            if (mask && PixelAt(mask, j - L, i - T) != (inside ? 0u : 1u)) ++wrong;
        }
    EXPECT_EQ(wrong, 0);
    if (view->rotation == 45.0f) {
        EXPECT_GT(outside, 0);
    }
    ReleaseDibSurface(&out);
    ReleaseDibSurface(&mask);
}

TEST(NearestRenderer, ShowsTheCanvasPixelUnderEachDisplayPixel) {
    std::mt19937 random(9);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    int index = 0;
    for (float scale : {0.5f, 0.75f, 1.0f, 1.25f, 1.5f}) {
        for (float angle : {0.0f, 45.0f, static_cast<float>(unit(random) * 360)}) {
            TestCanvas canvas(300 + static_cast<int32_t>(unit(random) * 200), 250);
            canvas.Draw(500 + index, 40);
            TestView view(&canvas.canvas, scale, angle, index & 1, 1);
            SCOPED_TRACE(testing::Message() << "scale " << scale << " angle " << angle);
            Rect whole{0, 0, canvas.width(), canvas.height()};
            Rect part{40, 30, 140, 95};
            CheckNearest(canvas, &view.view, whole, true, 0);
            CheckNearest(canvas, &view.view, whole, false, 0);
            CheckNearest(canvas, &view.view, part, true, 0);
            ++index;
        }
    }
}

TEST(NearestRenderer, BelowScaleOneStaysAtCanvasResolution) {
    TestCanvas canvas(400, 300);
    TestView half(&canvas.canvas, 0.5f, 0.0f, 0, 1);
    DibSurface* out = nullptr;
    RenderNearest(canvas.image(), &half.view, Rect{0, 0, 400, 300}, &out, nullptr, 0);
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(out->header.biWidth, 400);
    EXPECT_EQ(out->header.biHeight, 300);
    ReleaseDibSurface(&out);
}

TEST(NearestRenderer, EveryRowIsRenderedOnThreads) {
    ThreadSettings restore;
    TestCanvas canvas(1100, 1041);
    canvas.Draw(77, 150);
    TestView view(&canvas.canvas, 1.0f, 7.0f, 1, 1);
    Rect whole{0, 0, 1100, 1041};
    FloatRect d = FreeCanvasRectToBitmapFloat(&canvas.canvas, &view.view, whole);
    int32_t rows = static_cast<int32_t>(std::ceil(d.bottom) - std::trunc(d.top));
    ASSERT_GE(rows, 1024);
    for (int32_t n : {2, 3, 5}) {
        SetBandProcessorCountOverride(n);
        SetBandThreadFailures(n == 5 ? 0x10u : 0u); // the last band on the caller
        SCOPED_TRACE(testing::Message() << n << " threads, " << rows << " rows");
        CheckNearest(canvas, &view.view, whole, true, 1);
    }
    EXPECT_NE(rows % 3, 0);
}

TEST(ScaledRenderers, BadInputGivesNothing) {
    TestCanvas canvas(100, 100);
    TestView view(&canvas.canvas, 4.0f, 0.0f, 0, 1);
    Rect whole{0, 0, 100, 100};
    EXPECT_EQ(RenderAccumulate8(nullptr, &view.view, whole, 0, 1), nullptr);
    EXPECT_EQ(RenderAccumulate16(canvas.image(), nullptr, whole, 0, 1), nullptr);
    EXPECT_EQ(RenderAccumulate8(canvas.image(), &view.view, Rect{5, 5, 5, 5}, 0, 1), nullptr);
    for (float scale : {0.0f, -3.0f, NAN, INFINITY, 1e-30f, 1e30f}) {
        view.view.scale = scale;
        DibSurface* out = RenderAccumulate8(canvas.image(), &view.view, whole, 0, 1);
        ReleaseDibSurface(&out);
        out = RenderAccumulate16(canvas.image(), &view.view, whole, 0, 1);
        ReleaseDibSurface(&out);
        DibSurface* mask = nullptr;
        RenderNearest(canvas.image(), &view.view, whole, &out, &mask, 1);
        ReleaseDibSurface(&out);
        ReleaseDibSurface(&mask);
    }
    view.view.scale = 4.0f;
    view.view.rotation = NAN;
    EXPECT_EQ(RenderAccumulate8(canvas.image(), &view.view, whole, 0, 1), nullptr);
    view.view.rotation = 0.0f;
    RenderNearest(canvas.image(), &view.view, whole, nullptr, nullptr, 1);
    // Huge rectangles are refused rather than allocated.
    DibSurface* out = RenderAccumulate8(canvas.image(), &view.view,
                                        Rect{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}, 0, 1);
    EXPECT_EQ(out, nullptr);
    ReleaseDibSurface(&out);
    canvas.image()->header.biBitCount = 8;
    EXPECT_EQ(RenderAccumulate16(canvas.image(), &view.view, whole, 0, 1), nullptr);
}

} // namespace

// The gathered whole bytes against the per-pixel walk, at angles whose rows
// cross canvas row 0 and the canvas's last row and columns.
TEST(NearestRenderer, GatheredBytesMatchThePixelWalk) {
    TestCanvas canvas(517, 333);
    canvas.Draw(41, 80);
    for (float angle : {0.0f, 30.0f, 143.0f, 271.0f}) {
        TestView view(&canvas.canvas, 1.0f, angle, angle > 100.0f ? 1 : 0, 1);
        const Rect whole{0, 0, canvas.width(), canvas.height()};
        DibSurface* out[2] = {nullptr, nullptr};
        DibSurface* mask[2] = {nullptr, nullptr};
        for (int wide = 0; wide < 2; ++wide) {
            AllowWideNearestBytes(wide == 1);
            RenderNearest(canvas.image(), &view.view, whole, &out[wide], &mask[wide], 0);
        }
        AllowWideNearestBytes(true);
        ASSERT_TRUE(out[0] && out[1] && mask[0] && mask[1]);
        const size_t bytes =
            static_cast<size_t>(DibSurfaceStride(out[0])) * out[0]->header.biHeight;
        EXPECT_EQ(std::memcmp(out[0]->bits, out[1]->bits, bytes), 0) << angle;
        EXPECT_EQ(std::memcmp(mask[0]->bits, mask[1]->bits, bytes), 0) << angle;
        for (int k = 0; k < 2; ++k) {
            ReleaseDibSurface(&out[k]);
            ReleaseDibSurface(&mask[k]);
        }
    }
}
