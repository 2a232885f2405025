// The round brush, one segment at a time: its geometry, the pixels it draws
// measured against the convex hull of its end discs, its rectangle, and bad
// input from devices, recordings and settings.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>
#include <memory>
#include <random>

#include "base/app_state.h"
#include "engine/canvas_primitives.h"
#include "engine/pressure_curve.h"
#include "engine/round_brush.h"
#include "engine/segment_shape.h"
#include "tests/core/brush_test_canvas.h"

namespace {

constexpr uint32_t kFull = 1024;

// An application record whose canvas is a guarded test canvas.
class BrushRig {
  public:
    explicit BrushRig(GuardedCanvas* canvas) : app_(std::make_unique<AppState>()) {
        app_->canvas.image = *canvas->image();
        app_->canvas.brushParams = params_;
        app_->canvas.brushIndex = &index_;
        app_->stroke.maxPressure = kFull;
        params_[0] = BrushParams{50, 50};
    }

    void SetPen(int32_t size, int32_t hardness) { params_[0] = BrushParams{size, hardness}; }
    void SetIndex(int32_t index) { index_ = index; }
    void SetMaxPressure(uint32_t maxPressure) { app_->stroke.maxPressure = maxPressure; }

    Rect Draw(Point p0, int32_t pressure0, Point p1, int32_t pressure1) {
        app_->stroke.prevSmoothed = PointerSample{0, p0.x, p0.y, pressure0, 0, 0, 0};
        app_->stroke.smoothed = PointerSample{0, p1.x, p1.y, pressure1, 0, 0, 0};
        Rect rect{-999, -999, -999, -999};
        EXPECT_EQ(RoundBrush(&app_->stroke, &app_->canvas, &rect), 1);
        return rect;
    }

  private:
    std::unique_ptr<AppState> app_;
    BrushParams params_[1];
    int32_t index_ = 0;
};

// The pressure that gives a diameter on a linear pen (hardness 50).
int32_t PressureFor(double diameter, int32_t penSize) {
    return static_cast<int32_t>(std::lround(diameter / penSize * kFull));
}

// How far a point lies outside the convex hull of two discs (negative inside).
// The hull's edge is an arc of each disc joined by the outer tangent; which
// piece is nearest follows from the point's position along the tangent.
double HullDistance(double px, double py, double ax, double ay, double ra, double bx, double by,
                    double rb) {
    double ux = bx - ax, uy = by - ay, l = std::hypot(ux, uy);
    if (l <= std::abs(ra - rb)) {
        return ra >= rb ? std::hypot(px - ax, py - ay) - ra : std::hypot(px - bx, py - by) - rb;
    }
    ux /= l;
    uy /= l;
    double along = (px - ax) * ux + (py - ay) * uy;
    double across = std::abs((px - ax) * -uy + (py - ay) * ux);
    double sine = (ra - rb) / l, cosine = std::sqrt(1 - sine * sine);
    // Tangent direction and outward normal in (along, across) terms.
    double w = along * cosine - across * sine;
    if (w < 0) return std::hypot(px - ax, py - ay) - ra;
    if (w > l * cosine) return std::hypot(px - bx, py - by) - rb;
    return along * sine + across * cosine - ra;
}

double Cross(FloatPoint a, FloatPoint b, FloatPoint c) {
    return (static_cast<double>(b.x) - a.x) * (static_cast<double>(c.y) - b.y) -
           (static_cast<double>(b.y) - a.y) * (static_cast<double>(c.x) - b.x);
}

// +1 or -1 when every corner turns the same way, 0 otherwise.
int ConvexTurn(const FloatPoint* q) {
    int positive = 0, negative = 0;
    for (int i = 0; i < 4; ++i) {
        double turn = Cross(q[i], q[(i + 1) % 4], q[(i + 2) % 4]);
        positive += turn > 1e-9;
        negative += turn < -1e-9;
    }
    if (positive == 4) return 1;
    if (negative == 4) return -1;
    return 0;
}

TEST(SegmentShape, OnePixelEndsLieAcrossTheStrokeAndKeepTheQuadConvex) {
    std::mt19937 random(21);
    std::uniform_real_distribution<double> unit(0, 1);
    for (int trial = 0; trial < 4000; ++trial) {
        double angle = unit(random) * 6.283185307179586;
        // Axis directions exactly, the rest at random angles.
        if (trial < 8) angle = trial * 0.7853981633974483;
        float thin = static_cast<float>(0.7 + 0.3 * unit(random));
        float wide = static_cast<float>(2 + 60 * unit(random));
        double length = std::abs(wide - thin) * 0.5 + 3 + 100 * unit(random);
        Point p0{static_cast<int32_t>(unit(random) * 200 - 100),
                 static_cast<int32_t>(unit(random) * 200 - 100)};
        Point p1{p0.x + static_cast<int32_t>(std::lround(length * std::cos(angle))),
                 p0.y + static_cast<int32_t>(std::lround(length * std::sin(angle)))};
        double dx = p1.x - p0.x, dy = p1.y - p0.y, l = std::hypot(dx, dy);
        if (l <= std::abs(wide - thin) * 0.5 + 2) continue;

        // The same segment drawn wide at both ends fixes the orientation the
        // quadrilateral has to keep.
        SegmentShape tangent = ShapeSegment(p0, 3.0f, p1, wide);
        ASSERT_TRUE(tangent.hasQuad);
        int turn = ConvexTurn(tangent.quad);
        ASSERT_NE(turn, 0);

        for (int thinEnd = 0; thinEnd < 2; ++thinEnd) {
            SegmentShape shape =
                thinEnd == 0 ? ShapeSegment(p0, thin, p1, wide) : ShapeSegment(p0, wide, p1, thin);
            ASSERT_TRUE(shape.hasQuad);
            // The one-pixel end: A-B at the start, C-D at the end.
            FloatPoint a = shape.quad[thinEnd == 0 ? 0 : 3], b = shape.quad[thinEnd == 0 ? 1 : 2];
            double ex = static_cast<double>(b.x) - a.x, ey = static_cast<double>(b.y) - a.y;
            EXPECT_NEAR(std::hypot(ex, ey), 1.0, 1e-4);
            EXPECT_NEAR((ex * dx + ey * dy) / l, 0.0, 1e-4) << "end not across " << dx << "," << dy;
            EXPECT_EQ(ConvexTurn(shape.quad), turn)
                << "segment " << dx << "," << dy << " thin " << thin << " wide " << wide;
        }
    }
}

TEST(SegmentShape, PartsDrawnForEachDiameterRange) {
    Point p0{10, 10}, p1{40, 22};
    // Mouse drawing: full pressure at both ends.
    SegmentShape mouse = ShapeSegment(p0, 50, p1, 50);
    EXPECT_TRUE(mouse.hasDab && mouse.hasQuad && !mouse.hasLine);
    EXPECT_FLOAT_EQ(mouse.dabRadius, 25);
    EXPECT_FLOAT_EQ(mouse.dabCentre.x, 10.25f);
    // p0 = p1: the start dab only.
    SegmentShape dot = ShapeSegment(p0, 50, p0, 20);
    EXPECT_TRUE(dot.hasDab && !dot.hasQuad && !dot.hasLine);
    // Between 0.7 and 1 at both ends: the one-pixel line only.
    SegmentShape hair = ShapeSegment(p0, 0.75f, p1, 0.95f);
    EXPECT_TRUE(!hair.hasDab && !hair.hasQuad && hair.hasLine);
    // Below 0.7 at both ends: nothing.
    SegmentShape none = ShapeSegment(p0, 0.69f, p1, 0.1f);
    EXPECT_TRUE(!none.hasDab && !none.hasQuad && !none.hasLine);
    // Fading out: the line stops where the diameter passes 0.7.
    SegmentShape fade = ShapeSegment(Point{0, 0}, 0.9f, Point{100, 0}, 0.5f);
    EXPECT_TRUE(fade.hasLine && !fade.hasQuad);
    EXPECT_FLOAT_EQ(fade.lineTo.x, 50.5f);
    // A one-pixel pen at full pressure: both ends exactly 1 give a one-pixel
    // band along the segment, never a polygon of NaN points.
    SegmentShape one = ShapeSegment(p0, 1, p1, 1);
    EXPECT_TRUE(one.hasLine && one.hasQuad);
    for (const FloatPoint& q : one.quad) EXPECT_TRUE(std::isfinite(q.x) && std::isfinite(q.y));
}

TEST(SegmentShape, RectangleGrowsByHalfTheWidestDiameter) {
    Rect r = SegmentRectangle(Point{100, 200}, 50, Point{130, 180}, 50);
    EXPECT_EQ(r.left, 75);
    EXPECT_EQ(r.top, 155);
    EXPECT_EQ(r.right, 156);
    EXPECT_EQ(r.bottom, 226);
    r = SegmentRectangle(Point{5, 5}, 0, Point{5, 5}, 0);
    EXPECT_TRUE(r.left == 5 && r.top == 5 && r.right == 6 && r.bottom == 6);
    r = SegmentRectangle(Point{INT32_MIN, INT32_MAX}, kMaxBrushDiameter, Point{INT32_MAX, 0},
                         std::numeric_limits<float>::quiet_NaN());
    EXPECT_TRUE(r.left == INT32_MIN && r.right == INT32_MAX && r.bottom == INT32_MAX);
    EXPECT_LT(r.top, 0);
}

TEST(RoundBrush, RandomSegmentsStayInsideTheirRectangleAndTheirDiscsHull) {
    std::mt19937 random(22);
    std::uniform_real_distribution<double> unit(0, 1);
    const int32_t width = 203, height = 141;
    GuardedCanvas canvas(width, height);
    BrushRig rig(&canvas);
    const uint32_t maxPressures[] = {kFull, 65536, 1, 0};
    for (int trial = 0; trial < 3000; ++trial) {
        int32_t penSize = static_cast<int32_t>(std::exp(unit(random) * std::log(1000.0)));
        int32_t hardness = static_cast<int32_t>(unit(random) * 100.999);
        uint32_t maxPressure = maxPressures[trial % 4 == 3 ? random() % 4 : 0];
        rig.SetPen(penSize, hardness);
        rig.SetMaxPressure(maxPressure);
        auto pressure = [&]() -> int32_t {
            int kind = static_cast<int>(random() % 8);
            if (kind == 0) return 0;
            if (kind == 1) return static_cast<int32_t>(maxPressure);
            return static_cast<int32_t>(unit(random) * maxPressure);
        };
        auto position = [&](int32_t extent) {
            return static_cast<int32_t>(unit(random) * 3 * extent - extent);
        };
        Point p0{position(width), position(height)};
        Point p1 = trial % 6 == 0 ? p0
                                  : Point{p0.x + static_cast<int32_t>(unit(random) * 80 - 40),
                                          p0.y + static_cast<int32_t>(unit(random) * 80 - 40)};
        if (trial % 5 == 0) p1 = Point{position(width), position(height)};
        int32_t pressure0 = pressure(), pressure1 = pressure();

        canvas.Restore();
        Rect rect = rig.Draw(p0, pressure0, p1, pressure1);
        ASSERT_TRUE(canvas.OutsideUntouched()) << trial;
        ASSERT_LE(rect.left, std::min(p0.x, p1.x));
        ASSERT_GT(rect.right, std::max(p0.x, p1.x));

        // Diameters as the brush sees them (the curve is tested on its own).
        float exponent = PressureExponent(hardness);
        float d0 =
            PressureDiameter(static_cast<uint32_t>(pressure0), maxPressure, exponent, penSize);
        float d1 =
            PressureDiameter(static_cast<uint32_t>(pressure1), maxPressure, exponent, penSize);
        // Thin parts are drawn at least half a pixel wide, and the one-pixel
        // ends sit up to three quarters of a pixel off the axis.
        double r0 = std::max(d0 * 0.5, 0.5), r1 = std::max(d1 * 0.5, 0.5);
        double slack = std::max(d0, d1) >= 2 && std::min(d0, d1) >= 2 ? 1e-3 : 1.3;
        for (int32_t y = 0; y < height; ++y) {
            for (int32_t x = 0; x < width; ++x) {
                if (canvas.Pixel(x, y) != 0) continue;
                ASSERT_TRUE(x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom)
                    << "pixel " << x << "," << y << " outside the rectangle of trial " << trial;
                double cx = x + 0.5, cy = y + 0.5;
                bool inDab = std::hypot(cx - p0.x - 0.25, cy - p0.y - 0.25) <= d0 * 0.5 + 1e-3;
                bool inHull = HullDistance(cx, cy, p0.x, p0.y, r0, p1.x, p1.y, r1) <= slack;
                ASSERT_TRUE(inDab || inHull) << "pixel " << x << "," << y << " of trial " << trial
                                             << " d " << d0 << " " << d1;
            }
        }
    }
}

TEST(RoundBrush, WideSegmentFillsTheHullUpToTheEndDisc) {
    std::mt19937 random(23);
    std::uniform_real_distribution<double> unit(0, 1);
    const int32_t width = 161, height = 131;
    GuardedCanvas canvas(width, height);
    BrushRig rig(&canvas);
    const int32_t penSize = 80;
    rig.SetPen(penSize, 50);
    for (int trial = 0; trial < 400; ++trial) {
        double d0 = 2 + unit(random) * 78, d1 = 2 + unit(random) * 78;
        Point p0{static_cast<int32_t>(unit(random) * width),
                 static_cast<int32_t>(unit(random) * height)};
        Point p1{static_cast<int32_t>(unit(random) * width),
                 static_cast<int32_t>(unit(random) * height)};
        double dx = p1.x - p0.x, dy = p1.y - p0.y, l = std::hypot(dx, dy);
        // Diameters as the brush will compute them from the rounded pressures.
        int32_t pressure0 = PressureFor(d0, penSize), pressure1 = PressureFor(d1, penSize);
        d0 = static_cast<float>(static_cast<float>(pressure0) / kFull * penSize);
        d1 = static_cast<float>(static_cast<float>(pressure1) / kFull * penSize);
        double r0 = d0 / 2, r1 = d1 / 2;
        if (l <= std::abs(r0 - r1) + 1) continue;
        canvas.Restore();
        rig.Draw(p0, pressure0, p1, pressure1);
        for (int32_t y = 0; y < height; ++y) {
            for (int32_t x = 0; x < width; ++x) {
                double cx = x + 0.5, cy = y + 0.5;
                double along = ((cx - p0.x) * dx + (cy - p0.y) * dy) / l;
                bool deepInside = HullDistance(cx, cy, p0.x, p0.y, r0, p1.x, p1.y, r1) < -1;
                // Past the end disc's tangent points belongs to the next dab.
                if (deepInside && along < l - r1 - 1) {
                    ASSERT_EQ(canvas.Pixel(x, y), 0)
                        << "hole at " << x << "," << y << " in " << p0.x << "," << p0.y << " d "
                        << d0 << " to " << p1.x << "," << p1.y << " d " << d1;
                }
            }
        }
    }
}

TEST(RoundBrush, DiameterRangesFromTheEdgeCases) {
    const int32_t width = 120, height = 90;
    GuardedCanvas canvas(width, height);
    BrushRig rig(&canvas);
    rig.SetPen(100, 50);

    // p0 = p1: only the start dab, exactly the disc at the point + 1/4.
    Rect rect = rig.Draw(Point{60, 40}, 500, Point{60, 40}, 900);
    float d = 500.0f / kFull * 100;
    Expectation dab(width, height);
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            double distance = std::hypot(x + 0.5 - 60.25, y + 0.5 - 40.25);
            if (distance < d / 2 - 1e-6) dab.Set(x, y, Expectation::kDrawn);
            if (std::abs(distance - d / 2) <= 1e-6) dab.Set(x, y, Expectation::kEither);
        }
    }
    EXPECT_EQ(dab.Compare(canvas, 0), "");
    int32_t e = static_cast<int32_t>((900.0f / kFull * 100 + 1.0) * 0.5); // the wider end
    EXPECT_TRUE(rect.left == 60 - e && rect.top == 40 - e && rect.right == 61 + e &&
                rect.bottom == 41 + e);

    // A small dab (d < 2) at one point draws nothing, with a rectangle still.
    canvas.Restore();
    rect = rig.Draw(Point{60, 40}, PressureFor(1.5, 100), Point{60, 40}, 0);
    EXPECT_TRUE(canvas.Unchanged());
    EXPECT_TRUE(rect.left == 59 && rect.right == 62);

    // Diameters between 0.7 and 1 at both ends: one pixel per step of the
    // longer axis, nothing else.
    std::mt19937 random(24);
    for (int trial = 0; trial < 100; ++trial) {
        canvas.Restore();
        Point p0{static_cast<int32_t>(random() % width), static_cast<int32_t>(random() % height)};
        Point p1{static_cast<int32_t>(random() % width), static_cast<int32_t>(random() % height)};
        int32_t steps = std::max(std::abs(p1.x - p0.x), std::abs(p1.y - p0.y)) + 1;
        rig.Draw(p0, PressureFor(0.72, 100) + 1, p1, PressureFor(0.99, 100));
        EXPECT_EQ(canvas.InkCount(), steps) << p0.x << "," << p0.y << " " << p1.x << "," << p1.y;
        EXPECT_EQ(canvas.Pixel(p0.x, p0.y), 0);
        EXPECT_EQ(canvas.Pixel(p1.x, p1.y), 0);
    }

    // Below 0.7 at both ends: nothing at all.
    canvas.Restore();
    rect = rig.Draw(Point{10, 10}, PressureFor(0.65, 100), Point{100, 70}, PressureFor(0.3, 100));
    EXPECT_TRUE(canvas.Unchanged());
    EXPECT_TRUE(rect.left == 10 && rect.top == 10 && rect.right == 101 && rect.bottom == 71);

    // d = 50 at both ends: 25 pixels left and up, 26 right and down.
    rig.SetPen(50, 50);
    rect = rig.Draw(Point{30, 20}, kFull, Point{70, 60}, kFull);
    EXPECT_TRUE(rect.left == 5 && rect.top == -5 && rect.right == 96 && rect.bottom == 86);
}

TEST(RoundBrush, BadSettingsAndPressuresNeverEscapeTheCanvas) {
    GuardedCanvas canvas(77, 45);
    BrushRig rig(&canvas);

    // Zero and negative pen sizes draw nothing and still give a rectangle.
    for (int32_t size : {0, -1, -1000, INT32_MIN}) {
        rig.SetPen(size, 50);
        Rect rect = rig.Draw(Point{10, 10}, kFull, Point{30, 20}, kFull);
        EXPECT_TRUE(canvas.Unchanged()) << size;
        EXPECT_TRUE(rect.left == 10 && rect.top == 10 && rect.right == 31 && rect.bottom == 21);
    }

    // maxPressure 0: a touching pen draws at full size.
    rig.SetPen(20, 50);
    rig.Draw(Point{20, 20}, kFull, Point{50, 25}, kFull);
    int64_t fullInk = canvas.InkCount();
    canvas.Restore();
    rig.SetMaxPressure(0);
    rig.Draw(Point{20, 20}, 7, Point{50, 25}, 99999);
    EXPECT_EQ(canvas.InkCount(), fullInk);
    canvas.Restore();
    rig.SetMaxPressure(kFull);

    // An index past the parameter table draws nothing.
    rig.SetIndex(3);
    rig.Draw(Point{20, 20}, kFull, Point{50, 25}, kFull);
    rig.SetIndex(-1);
    rig.Draw(Point{20, 20}, kFull, Point{50, 25}, kFull);
    EXPECT_TRUE(canvas.Unchanged());
    rig.SetIndex(0);

    // Coordinates at the ends of the 32-bit range, huge pens, odd pressures.
    auto start = std::chrono::steady_clock::now();
    const Point far[] = {{INT32_MIN, INT32_MIN}, {INT32_MAX, INT32_MAX}, {INT32_MIN, 20},
                         {40, INT32_MAX},        {-5000000, 30},         {38, 22}};
    const int32_t sizes[] = {1, 2, 1000, INT32_MAX};
    const int32_t pressures[] = {0, 1, 700, static_cast<int32_t>(kFull), -1, INT32_MIN};
    for (const Point& a : far) {
        for (const Point& b : far) {
            for (int32_t size : sizes) {
                rig.SetPen(size, size == 2 ? 100 : 0);
                for (int32_t p : pressures) {
                    Rect rect =
                        rig.Draw(a, p, b, static_cast<int32_t>(kFull - static_cast<uint32_t>(p)));
                    ASSERT_TRUE(canvas.OutsideUntouched());
                    ASSERT_LE(rect.left, rect.right);
                    ASSERT_LE(rect.top, rect.bottom);
                }
            }
        }
    }
    std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    EXPECT_LT(took.count(), 5.0);
}

} // namespace
