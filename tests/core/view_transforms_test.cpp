#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "view/render_region.h"
#include "view/view_transforms.h"

namespace {

const float kScales[] = {16.0f, 8.0f, 4.0f, 2.0f, 1.0f, 0.5f, 0.25f, 0.125f};
const float kRightAngles[] = {0.0f, 90.0f, 180.0f, 270.0f};
const float kFreeAngles[] = {0.0f,  90.0f,  180.0f, 270.0f, 15.0f, 33.3f,
                             45.0f, 137.0f, 200.5f, -30.0f, 359.0f};

struct Scene {
    Canvas canvas{};
    ViewState view{};
};

// A canvas record with only a size (the transforms read nothing else) and a
// view on it; a non-square size that is no multiple of any scale step finds
// mixed-up widths and heights and missing roundings.
void MakeScene(Scene* scene, int32_t width, int32_t height, float scale, float rotation,
               int32_t mirror, int32_t free) {
    scene->canvas.image.width = width;
    scene->canvas.image.height = height;
    scene->view.canvas = &scene->canvas;
    scene->view.scale = scale;
    scene->view.rotation = rotation;
    scene->view.mirror = mirror;
    scene->view.originX = 37;
    scene->view.originY = -12;
    InstallTransforms(&scene->view, free);
}

// Corners, edges and random pixels of the canvas.
std::vector<Point> SamplePoints(int32_t width, int32_t height, uint32_t seed) {
    std::vector<Point> points = {
        {0, 0}, {width - 1, 0}, {0, height - 1}, {width - 1, height - 1}, {width / 2, height / 2}};
    std::mt19937 random(seed);
    for (int i = 0; i < 300; ++i)
        points.push_back(
            {static_cast<int32_t>(random() % width), static_cast<int32_t>(random() % height)});
    return points;
}

Point CanvasToBitmap(const Scene& s, Point p) {
    s.view.transforms.canvasToBitmap(&s.canvas, &s.view, &p.x, &p.y);
    return p;
}

Point BitmapToCanvas(const Scene& s, Point p) {
    s.view.transforms.bitmapToCanvas(&s.view, &p.x, &p.y);
    return p;
}

TEST(ViewTransforms, InstallFillsTheSixEntriesAndTheFlag) {
    Scene scene;
    MakeScene(&scene, 64, 64, 8.0f, 0.0f, 0, 1);
    EXPECT_EQ(scene.view.freeRotation, 1);
    EXPECT_EQ(scene.view.transforms.canvasToClient, FreeCanvasToClient);
    EXPECT_EQ(scene.view.transforms.canvasRectToClient, FreeCanvasRectToClient);
    EXPECT_EQ(scene.view.transforms.canvasToBitmap, FreeCanvasToBitmap);
    EXPECT_EQ(scene.view.transforms.canvasRectToBitmap, FreeCanvasRectToBitmap);
    EXPECT_EQ(scene.view.transforms.bitmapToCanvas, FreeBitmapToCanvas);
    EXPECT_EQ(scene.view.transforms.bitmapRectToCanvas, FreeBitmapRectToCanvas);
    InstallTransforms(&scene.view, 0);
    EXPECT_EQ(scene.view.freeRotation, 0);
    EXPECT_EQ(scene.view.transforms.canvasToClient, RightCanvasToClient);
    EXPECT_EQ(scene.view.transforms.canvasRectToClient, RightCanvasRectToClient);
    EXPECT_EQ(scene.view.transforms.canvasToBitmap, RightCanvasToBitmap);
    EXPECT_EQ(scene.view.transforms.canvasRectToBitmap, RightCanvasRectToBitmap);
    EXPECT_EQ(scene.view.transforms.bitmapToCanvas, RightBitmapToCanvas);
    EXPECT_EQ(scene.view.transforms.bitmapRectToCanvas, RightBitmapRectToCanvas);
    EXPECT_EQ(scene.view.renderRegion, nullptr); // the renderer is not theirs to set
}

// The free set's dirty update follows the scale at the moment of the switch.
TEST(ViewTransforms, SelectTransformSetAlsoInstallsTheRenderer) {
    Scene scene;
    MakeScene(&scene, 64, 64, 8.0f, 0.0f, 0, 1);
    SelectTransformSet(&scene.view, 0);
    EXPECT_EQ(scene.view.renderRegion, RenderRegionRightAngle);
    EXPECT_EQ(scene.view.freeRotation, 0);
    EXPECT_EQ(scene.view.transforms.bitmapToCanvas, RightBitmapToCanvas);
    const struct {
        float scale;
        RegionRenderer renderer;
    } cases[] = {{16.0f, RenderRegionZoomedOut},
                 {1.6f, RenderRegionZoomedOut},
                 {1.5f, RenderRegionZoomedIn},
                 {0.25f, RenderRegionZoomedIn}};
    for (auto& c : cases) {
        scene.view.scale = c.scale;
        SelectTransformSet(&scene.view, 1);
        EXPECT_EQ(scene.view.renderRegion, c.renderer) << c.scale;
        EXPECT_EQ(scene.view.freeRotation, 1);
        EXPECT_EQ(scene.view.transforms.canvasRectToBitmap, FreeCanvasRectToBitmap);
    }
    SelectTransformSet(nullptr, 1);
}

// Zoomed out (s = k ≥ 1) a canvas pixel comes back as the first pixel of its
// k-wide block, so the round trip loses at most k − 1 and never overshoots.
// Zoomed in it is exact, except that the mirror formula of the way back
// reflects about W − 1 canvas pixels and so lands one pixel early.
TEST(RightAngleTransforms, CanvasToBitmapToCanvasStaysInsideTheBlock) {
    for (float scale : kScales)
        for (float angle : kRightAngles)
            for (int32_t mirror = 0; mirror < 2; ++mirror) {
                Scene scene;
                MakeScene(&scene, 1001, 613, scale, angle, mirror, 0);
                int32_t loss = scale >= 1.0f ? static_cast<int32_t>(scale) - 1 : 0;
                for (Point p : SamplePoints(1001, 613, 1)) {
                    Point back = BitmapToCanvas(scene, CanvasToBitmap(scene, p));
                    SCOPED_TRACE(testing::Message()
                                 << "scale " << scale << " angle " << angle << " mirror " << mirror
                                 << " at " << p.x << "," << p.y);
                    int32_t lossX = loss + (scale < 1.0f && mirror ? 1 : 0);
                    EXPECT_LE(back.x, p.x);
                    EXPECT_GE(back.x, p.x - lossX);
                    EXPECT_LE(back.y, p.y);
                    EXPECT_GE(back.y, p.y - loss);
                }
            }
}

// Zoomed out or 1:1 every bitmap pixel of the canvas's image maps back to itself.
TEST(RightAngleTransforms, BitmapToCanvasToBitmapIsExactWhenZoomedOut) {
    for (float scale : {16.0f, 8.0f, 4.0f, 2.0f, 1.0f})
        for (float angle : kRightAngles)
            for (int32_t mirror = 0; mirror < 2; ++mirror) {
                Scene scene;
                MakeScene(&scene, 1001, 613, scale, angle, mirror, 0);
                int32_t wb = static_cast<int32_t>(std::ceil(1001 / scale));
                int32_t hb = static_cast<int32_t>(std::ceil(613 / scale));
                bool turned = angle == 90.0f || angle == 270.0f;
                int32_t bw = turned ? hb : wb, bh = turned ? wb : hb;
                for (Point b : SamplePoints(bw, bh, 2)) {
                    Point again = CanvasToBitmap(scene, BitmapToCanvas(scene, b));
                    EXPECT_EQ(again.x, b.x) << scale << " " << angle << " " << mirror;
                    EXPECT_EQ(again.y, b.y) << scale << " " << angle << " " << mirror;
                }
            }
}

TEST(RightAngleTransforms, ClientIsBitmapPlusOrigin) {
    for (float scale : kScales)
        for (float angle : kRightAngles)
            for (int32_t mirror = 0; mirror < 2; ++mirror) {
                Scene scene;
                MakeScene(&scene, 1001, 613, scale, angle, mirror, 0);
                for (Point p : SamplePoints(1001, 613, 3)) {
                    Point c = p;
                    scene.view.transforms.canvasToClient(&scene.canvas, &scene.view, &c.x, &c.y);
                    Point b = CanvasToBitmap(scene, p);
                    EXPECT_EQ(c.x, b.x + 37);
                    EXPECT_EQ(c.y, b.y - 12);
                }
                Rect r{3, 5, 700, 401}, b = r;
                scene.view.transforms.canvasRectToClient(&scene.canvas, &scene.view, &r);
                scene.view.transforms.canvasRectToBitmap(&scene.canvas, &scene.view, &b);
                EXPECT_EQ(r.left, b.left + 37);
                EXPECT_EQ(r.top, b.top - 12);
                EXPECT_EQ(r.right, b.right + 37);
                EXPECT_EQ(r.bottom, b.bottom - 12);
            }
}

// The mapped rectangle is exactly the bounding box of the mapped pixels: it
// holds every one of them and nothing more.
TEST(RightAngleTransforms, RectangleIsTheBoundingBoxOfItsPixels) {
    std::mt19937 random(4);
    for (float scale : kScales)
        for (float angle : kRightAngles)
            for (int32_t mirror = 0; mirror < 2; ++mirror) {
                Scene scene;
                MakeScene(&scene, 1001, 613, scale, angle, mirror, 0);
                for (int trial = 0; trial < 6; ++trial) {
                    int32_t l = random() % 1000, t = random() % 612;
                    Rect rect{l, t, l + 1 + static_cast<int32_t>(random() % 40),
                              t + 1 + static_cast<int32_t>(random() % 40)};
                    Rect mapped = rect;
                    scene.view.transforms.canvasRectToBitmap(&scene.canvas, &scene.view, &mapped);
                    Rect box{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
                    for (int32_t y = rect.top; y < rect.bottom; ++y)
                        for (int32_t x = rect.left; x < rect.right; ++x) {
                            Point b = CanvasToBitmap(scene, {x, y});
                            box.left = std::min(box.left, b.x);
                            box.top = std::min(box.top, b.y);
                            // Below scale 1 a canvas pixel covers 1 / scale
                            // bitmap pixels each way.
                            const int32_t cover =
                                scale < 1.0f ? static_cast<int32_t>(1 / scale) : 1;
                            box.right = std::max(box.right, b.x + cover);
                            box.bottom = std::max(box.bottom, b.y + cover);
                        }
                    SCOPED_TRACE(testing::Message() << scale << " " << angle << " " << mirror);
                    EXPECT_EQ(mapped.left, box.left);
                    EXPECT_EQ(mapped.top, box.top);
                    EXPECT_EQ(mapped.right, box.right);
                    EXPECT_EQ(mapped.bottom, box.bottom);
                }
            }
}

// Back from the bitmap, a rectangle holds the canvas image of each of its pixels.
TEST(RightAngleTransforms, BitmapRectangleHoldsItsPixelsOnTheCanvas) {
    for (float scale : {16.0f, 8.0f, 4.0f, 2.0f, 1.0f})
        for (float angle : kRightAngles)
            for (int32_t mirror = 0; mirror < 2; ++mirror) {
                Scene scene;
                MakeScene(&scene, 1001, 613, scale, angle, mirror, 0);
                Rect rect{2, 3, 17, 11}, mapped = rect;
                scene.view.transforms.bitmapRectToCanvas(&scene.view, &mapped);
                for (int32_t y = rect.top; y < rect.bottom; ++y)
                    for (int32_t x = rect.left; x < rect.right; ++x) {
                        Point c = BitmapToCanvas(scene, {x, y});
                        EXPECT_GE(c.x, mapped.left);
                        EXPECT_LT(c.x, mapped.right);
                        EXPECT_GE(c.y, mapped.top);
                        EXPECT_LT(c.y, mapped.bottom);
                    }
            }
}

TEST(RightAngleTransforms, WidthIsRoundedToWholeScaleSteps) {
    Scene scene;
    MakeScene(&scene, 1001, 600, 8.0f, 0.0f, 1, 0);
    EXPECT_EQ(CanvasToBitmap(scene, {0, 0}).x, 125); // 1001 → 1008
    MakeScene(&scene, 1000, 600, 8.0f, 0.0f, 1, 0);
    EXPECT_EQ(CanvasToBitmap(scene, {0, 0}).x, 124);
    // The same rounding of the height under a half turn.
    MakeScene(&scene, 1000, 601, 8.0f, 180.0f, 0, 0);
    EXPECT_EQ(CanvasToBitmap(scene, {0, 0}).y, 75); // 601 → 608
}

TEST(RightAngleTransforms, OnePixelRectangleGivesOneClientPixel) {
    for (float angle : kRightAngles) {
        Scene scene;
        MakeScene(&scene, 1001, 613, 8.0f, angle, 0, 0);
        Rect r{100, 50, 101, 51};
        scene.view.transforms.canvasRectToClient(&scene.canvas, &scene.view, &r);
        EXPECT_EQ(r.right - r.left, 1);
        EXPECT_EQ(r.bottom - r.top, 1);
    }
}

TEST(RightAngleTransforms, OtherAnglesLeaveThePointUnturned) {
    Scene turned, straight;
    MakeScene(&turned, 1001, 613, 4.0f, 45.0f, 0, 0);
    MakeScene(&straight, 1001, 613, 4.0f, 0.0f, 0, 0);
    for (Point p : SamplePoints(1001, 613, 5)) {
        Point a = CanvasToBitmap(turned, p), b = CanvasToBitmap(straight, p);
        EXPECT_EQ(a.x, b.x);
        EXPECT_EQ(a.y, b.y);
        Point c = BitmapToCanvas(turned, a), d = BitmapToCanvas(straight, b);
        EXPECT_EQ(c.x, d.x);
        EXPECT_EQ(c.y, d.y);
    }
}

// Free set: the half extents of the turned canvas, canvas side and bitmap side.
struct HalfExtents {
    double w, h, wb, hb;
};

HalfExtents FreeHalfExtents(double width, double height, double scale, float angle) {
    float theta = angle / 180.0f * 3.1415927f;
    double c = std::fabs(std::cos(static_cast<double>(theta)));
    double s = std::fabs(std::sin(static_cast<double>(theta)));
    double wb = std::ceil(static_cast<float>(width) / static_cast<float>(scale));
    double hb = std::ceil(static_cast<float>(height) / static_cast<float>(scale));
    return {(width * c + height * s) * 0.5, (height * c + width * s) * 0.5, (wb * c + hb * s) * 0.5,
            (hb * c + wb * s) * 0.5};
}

// The way back turns the rounding of the bitmap point (at most half a bitmap
// pixel each way) and the difference between the canvas-side half extents ÷ s
// and the bitmap-side ones into canvas pixels, then rounds once more.
TEST(FreeTransforms, CanvasToBitmapToCanvasWithinTheRoundingBound) {
    const int32_t sizes[][2] = {{1001, 613}, {640, 480}};
    for (auto& size : sizes)
        for (float scale : kScales)
            for (float angle : kFreeAngles)
                for (int32_t mirror = 0; mirror < 2; ++mirror) {
                    Scene scene;
                    MakeScene(&scene, size[0], size[1], scale, angle, mirror, 1);
                    HalfExtents half = FreeHalfExtents(size[0], size[1], scale, angle);
                    double offX = std::fabs(half.w / scale - half.wb) + 0.5;
                    double offY = std::fabs(half.h / scale - half.hb) + 0.5;
                    float theta = angle / 180.0f * 3.1415927f;
                    double c = std::fabs(std::cos(static_cast<double>(theta)));
                    double s = std::fabs(std::sin(static_cast<double>(theta)));
                    int32_t boundX = static_cast<int32_t>(scale * (c * offX + s * offY) + 0.55);
                    int32_t boundY = static_cast<int32_t>(scale * (s * offX + c * offY) + 0.55);
                    for (Point p : SamplePoints(size[0], size[1], 6)) {
                        Point back = BitmapToCanvas(scene, CanvasToBitmap(scene, p));
                        SCOPED_TRACE(testing::Message() << "scale " << scale << " angle " << angle
                                                        << " mirror " << mirror);
                        EXPECT_LE(std::abs(back.x - p.x), boundX);
                        EXPECT_LE(std::abs(back.y - p.y), boundY);
                    }
                }
}

TEST(FreeTransforms, RoundedFormsRoundTheFloatForms) {
    for (float angle : kFreeAngles)
        for (int32_t mirror = 0; mirror < 2; ++mirror) {
            Scene scene;
            MakeScene(&scene, 1001, 613, 3.0f, angle, mirror, 1);
            for (Point p : SamplePoints(1001, 613, 7)) {
                float fx = static_cast<float>(p.x), fy = static_cast<float>(p.y);
                FreeCanvasToBitmapFloat(&scene.canvas, &scene.view, &fx, &fy);
                Point b = CanvasToBitmap(scene, p);
                EXPECT_EQ(b.x, static_cast<int32_t>(std::floor(fx + 0.5f)));
                EXPECT_EQ(b.y, static_cast<int32_t>(std::floor(fy + 0.5f)));
                // Client: the same plus the origin, truncated rather than floored.
                Point c = p;
                scene.view.transforms.canvasToClient(&scene.canvas, &scene.view, &c.x, &c.y);
                float cx = fx + 37.0f + 0.5f, cy = fy - 12.0f + 0.5f;
                EXPECT_EQ(c.x, cx >= 0.0f ? b.x + 37 : static_cast<int32_t>(cx));
                EXPECT_EQ(c.y, cy >= 0.0f ? b.y - 12 : static_cast<int32_t>(cy));
                float gx = static_cast<float>(b.x), gy = static_cast<float>(b.y);
                FreeBitmapToCanvasFloat(&scene.view, &gx, &gy);
                Point back = BitmapToCanvas(scene, b);
                EXPECT_EQ(back.x, static_cast<int32_t>(std::floor(gx + 0.5f)));
                EXPECT_EQ(back.y, static_cast<int32_t>(std::floor(gy + 0.5f)));
            }
        }
}

// Rectangles are the bounding boxes of their mapped corners; each pixel's
// rounded point then lies in the closed box (rounding to nearest may reach
// the right or bottom edge itself).
TEST(FreeTransforms, RectanglesHoldTheirMappedPixels) {
    std::mt19937 random(8);
    for (float scale : kScales)
        for (float angle : kFreeAngles)
            for (int32_t mirror = 0; mirror < 2; ++mirror) {
                Scene scene;
                MakeScene(&scene, 1001, 613, scale, angle, mirror, 1);
                int32_t l = random() % 960, t = random() % 580;
                Rect rect{l, t, l + 1 + static_cast<int32_t>(random() % 40),
                          t + 1 + static_cast<int32_t>(random() % 30)};
                Rect bitmap = rect, client = rect;
                scene.view.transforms.canvasRectToBitmap(&scene.canvas, &scene.view, &bitmap);
                scene.view.transforms.canvasRectToClient(&scene.canvas, &scene.view, &client);
                FloatRect exact = FreeCanvasRectToBitmapFloat(&scene.canvas, &scene.view, rect);
                EXPECT_EQ(bitmap.left, static_cast<int32_t>(std::floor(exact.left)));
                EXPECT_EQ(bitmap.bottom, static_cast<int32_t>(std::ceil(exact.bottom)));
                EXPECT_NEAR(client.left, bitmap.left + 37, 1);
                EXPECT_NEAR(client.bottom, bitmap.bottom - 12, 1);
                for (int32_t y = rect.top; y < rect.bottom; ++y)
                    for (int32_t x = rect.left; x < rect.right; ++x) {
                        Point b = CanvasToBitmap(scene, {x, y});
                        ASSERT_GE(b.x, bitmap.left);
                        ASSERT_LE(b.x, bitmap.right);
                        ASSERT_GE(b.y, bitmap.top);
                        ASSERT_LE(b.y, bitmap.bottom);
                    }
                Rect back{5, 7, 29, 23}, canvasRect = back;
                scene.view.transforms.bitmapRectToCanvas(&scene.view, &canvasRect);
                for (int32_t y = back.top; y <= back.bottom; ++y)
                    for (int32_t x = back.left; x <= back.right; ++x) {
                        Point c = BitmapToCanvas(scene, {x, y});
                        ASSERT_GE(c.x, canvasRect.left);
                        ASSERT_LE(c.x, canvasRect.right);
                        ASSERT_GE(c.y, canvasRect.top);
                        ASSERT_LE(c.y, canvasRect.bottom);
                    }
            }
}

TEST(FreeTransforms, CentreGoesToTheMiddleOfTheTurnedBox) {
    for (float scale : kScales)
        for (float angle : kFreeAngles) {
            Scene scene;
            MakeScene(&scene, 1000, 614, scale, angle, 0, 1);
            HalfExtents half = FreeHalfExtents(1000, 614, scale, angle);
            Point c{500, 307};
            scene.view.transforms.canvasToClient(&scene.canvas, &scene.view, &c.x, &c.y);
            float hw = static_cast<float>(half.w), hh = static_cast<float>(half.h);
            EXPECT_EQ(c.x, static_cast<int32_t>(hw / scale + 37.0f + 0.5f)) << angle;
            EXPECT_EQ(c.y, static_cast<int32_t>(hh / scale - 12.0f + 0.5f)) << angle;
        }
}

// At the right angles the free set agrees with the right-angle one up to the
// rounding each uses (truncation there, nearest here).
TEST(FreeTransforms, RightAnglesAgreeWithTheRightAngleSet) {
    for (float angle : kRightAngles)
        for (int32_t mirror = 0; mirror < 2; ++mirror) {
            Scene free, right;
            MakeScene(&free, 1024, 640, 1.0f, angle, mirror, 1);
            MakeScene(&right, 1024, 640, 1.0f, angle, mirror, 0);
            for (Point p : SamplePoints(1024, 640, 9)) {
                Point a = CanvasToBitmap(free, p), b = CanvasToBitmap(right, p);
                EXPECT_NEAR(a.x, b.x, 1) << angle << " " << mirror;
                EXPECT_NEAR(a.y, b.y, 1) << angle << " " << mirror;
            }
        }
}

// Nonsense views and inputs give some answer, never a fault.
TEST(ViewTransforms, BadInputIsHarmless) {
    const float scales[] = {0.0f, -1.0f, NAN, INFINITY, 1e30f, 1e-30f};
    for (int32_t free = 0; free < 2; ++free)
        for (float scale : scales) {
            Scene scene;
            MakeScene(&scene, 1001, 613, scale, free ? 33.0f : 90.0f, 1, free);
            Point p{INT32_MAX, INT32_MIN};
            scene.view.transforms.canvasToClient(&scene.canvas, &scene.view, &p.x, &p.y);
            scene.view.transforms.bitmapToCanvas(&scene.view, &p.x, &p.y);
            Rect r{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX};
            scene.view.transforms.canvasRectToClient(&scene.canvas, &scene.view, &r);
            scene.view.transforms.bitmapRectToCanvas(&scene.view, &r);
            scene.view.transforms.canvasToBitmap(nullptr, &scene.view, &p.x, &p.y);
            scene.view.transforms.canvasToBitmap(&scene.canvas, &scene.view, nullptr, nullptr);
            scene.view.transforms.canvasRectToBitmap(&scene.canvas, nullptr, &r);
            scene.view.transforms.bitmapRectToCanvas(&scene.view, nullptr);
            scene.view.canvas = nullptr;
            scene.view.transforms.bitmapToCanvas(&scene.view, &p.x, &p.y);
        }
    InstallTransforms(nullptr, 1);
}

} // namespace
