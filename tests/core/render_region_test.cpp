// View rebuilds and dirty updates: the surface copy they use, the renderer
// each mode and scale calls for, and updates that leave the view bitmap as a
// full rebuild of the changed canvas would.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <random>
#include <thread>

#include "tests/core/render_test_support.h"
#include "tests/core/test_support.h"
#include "view/render_region_internal.h"
#include "view/scaled_renderers.h"
#include "view/surface_blit.h"

namespace {

DibSurface* RandomSurface(int32_t bits, int32_t width, int32_t height, std::mt19937& random) {
    DibSurface* s = CreateDibSurface(bits, nullptr, 0, width, height);
    if (!s) return nullptr;
    size_t bytes = static_cast<size_t>(DibSurfaceStride(s)) * height;
    for (size_t k = 0; k < bytes; ++k) s->bits[k] = static_cast<uint8_t>(random());
    return s;
}

TEST(SurfaceBlit, CopiesTheClippedBlockAndNothingElse) {
    std::mt19937 random(3);
    for (int32_t bits : {1, 4, 8, 32}) {
        for (int round = 0; round < 150; ++round) {
            int32_t sw = 1 + random() % 90, sh = 1 + random() % 40;
            int32_t tw = 1 + random() % 90, th = 1 + random() % 40;
            DibSurface* source = RandomSurface(bits, sw, sh, random);
            DibSurface* target = RandomSurface(bits, tw, th, random);
            DibSurface* before = RandomSurface(bits, tw, th, random);
            ASSERT_TRUE(source && target && before);
            BlitSurface(before, 0, 0, target, 0, 0, tw, th);
            ASSERT_TRUE(SamePixels(before, target));
            int32_t sx = static_cast<int32_t>(random() % 120) - 30;
            int32_t sy = static_cast<int32_t>(random() % 60) - 15;
            int32_t tx = static_cast<int32_t>(random() % 120) - 30;
            int32_t ty = static_cast<int32_t>(random() % 60) - 15;
            int32_t w = static_cast<int32_t>(random() % 100),
                    h = static_cast<int32_t>(random() % 50);
            BlitSurface(target, tx, ty, source, sx, sy, w, h);
            for (int32_t y = 0; y < th; ++y)
                for (int32_t x = 0; x < tw; ++x) {
                    int32_t u = x - tx + sx, v = y - ty + sy;
                    bool copied = x >= tx && x < tx + w && y >= ty && y < ty + h && u >= 0 &&
                                  u < sw && v >= 0 && v < sh && u >= sx && v >= sy;
                    uint32_t expected = copied ? PixelAt(source, u, v) : PixelAt(before, x, y);
                    ASSERT_EQ(PixelAt(target, x, y), expected)
                        << bits << " bits, pixel " << x << "," << y << " block " << sx << "," << sy
                        << " -> " << tx << "," << ty << " size " << w << "x" << h;
                }
            ReleaseDibSurface(&source);
            ReleaseDibSurface(&target);
            ReleaseDibSurface(&before);
        }
    }
}

TEST(SurfaceBlit, RefusesMismatchedOrMissingSurfaces) {
    std::mt19937 random(4);
    DibSurface* one = RandomSurface(1, 40, 10, random);
    DibSurface* eight = RandomSurface(8, 40, 10, random);
    DibSurface* copy = RandomSurface(8, 40, 10, random);
    BlitSurface(copy, 0, 0, eight, 0, 0, 40, 10);
    EXPECT_EQ(BlitSurface(eight, 0, 0, one, 0, 0, 40, 10), 1);
    EXPECT_EQ(BlitSurface(nullptr, 0, 0, one, 0, 0, 40, 10), 1);
    EXPECT_EQ(BlitSurface(eight, 0, 0, nullptr, 0, 0, 40, 10), 1);
    EXPECT_EQ(BlitSurface(eight, 50, 0, copy, 0, 0, 40, 10), 1);
    EXPECT_EQ(BlitSurface(eight, INT32_MIN, INT32_MIN, copy, INT32_MAX, 0, INT32_MAX, 10), 1);
    EXPECT_TRUE(SamePixels(eight, copy));
    ReleaseDibSurface(&one);
    ReleaseDibSurface(&eight);
    ReleaseDibSurface(&copy);
}

TEST(RendererChoice, ThresholdsOfTheRebuildAndTheUpdates) {
    EXPECT_EQ(RebuildFreeRenderer(15.5f), FreeRenderer::kAccumulate16);
    EXPECT_EQ(ZoomedOutUpdateRenderer(15.5f), FreeRenderer::kAccumulate8);
    EXPECT_EQ(RebuildFreeRenderer(15.0f), FreeRenderer::kAccumulate8);
    EXPECT_EQ(ZoomedOutUpdateRenderer(15.0f), FreeRenderer::kAccumulate8);
    EXPECT_EQ(ZoomedOutUpdateRenderer(15.9f), FreeRenderer::kAccumulate8);
    EXPECT_EQ(ZoomedOutUpdateRenderer(15.95f), FreeRenderer::kAccumulate16);
    EXPECT_EQ(RebuildFreeRenderer(1.6f), FreeRenderer::kAccumulate8);
    EXPECT_EQ(RebuildFreeRenderer(1.5f), FreeRenderer::kNearest);
    EXPECT_EQ(RebuildFreeRenderer(0.5f), FreeRenderer::kNearest);
}

// At 15.5 the rebuild takes the 16-bit renderer and a stroke update the
// 8-bit one; at 15 both take the 8-bit one. A canvas this large makes the
// 16-bit renderer's single-precision row starts show in some pixels, so the
// outputs tell the two apart.
TEST(RendererChoice, RebuildAndUpdateUseTheRendererOfTheirScale) {
    TestCanvas canvas(6000, 2400);
    canvas.Draw(8, 400);
    const Rect whole{0, 0, 6000, 2400};
    for (float scale : {15.5f, 15.0f}) {
        SCOPED_TRACE(testing::Message() << "scale " << scale);
        TestView view(&canvas.canvas, scale, 190.0f, 0, 1);
        ASSERT_EQ(view.view.renderRegion, &RenderRegionZoomedOut);
        DibSurface* by8 = RenderAccumulate8(canvas.image(), &view.view, whole, 0, 0);
        DibSurface* by16 = RenderAccumulate16(canvas.image(), &view.view, whole, 0, 0);
        ASSERT_FALSE(SamePixels(by8, by16));
        RebuildViewBitmap(&view.view);
        EXPECT_TRUE(SamePixels(view.view.viewBitmap, scale > 15.0f ? by16 : by8));
        EXPECT_EQ(view.view.maskBitmap, nullptr);
        // The whole canvas as the dirty rectangle: the update's output covers
        // the view bitmap exactly.
        ReleaseDibSurface(&view.view.viewBitmap);
        view.view.viewBitmap =
            CreateDibSurface(8, nullptr, 0, by8->header.biWidth, by8->header.biHeight);
        view.view.renderRegion(&view.view, &canvas.canvas, whole, 0);
        EXPECT_TRUE(SamePixels(view.view.viewBitmap, by8));
        ReleaseDibSurface(&by8);
        ReleaseDibSurface(&by16);
    }
}

TEST(RendererChoice, NearestAtAndBelowOnePointFive) {
    TestCanvas canvas(300, 200);
    canvas.Draw(9);
    TestView view(&canvas.canvas, 1.5f, 30.0f, 1, 1);
    EXPECT_EQ(view.view.renderRegion, &RenderRegionZoomedIn);
    RebuildViewBitmap(&view.view);
    ASSERT_NE(view.view.viewBitmap, nullptr);
    ASSERT_NE(view.view.maskBitmap, nullptr);
    EXPECT_EQ(view.view.viewBitmap->header.biBitCount, 1);
    EXPECT_EQ(view.view.maskBitmap->header.biWidth, view.view.viewBitmap->header.biWidth);

    // Below 1 the rebuild renders at scale 1 and leaves the stored scale.
    TestView one(&canvas.canvas, 1.0f, 30.0f, 1, 1);
    RebuildViewBitmap(&one.view);
    view.Set(0.5f, 30.0f, 1, 1);
    RebuildViewBitmap(&view.view);
    EXPECT_EQ(view.view.scale, 0.5f);
    EXPECT_TRUE(SamePixels(view.view.viewBitmap, one.view.viewBitmap));
    EXPECT_TRUE(SamePixels(view.view.maskBitmap, one.view.maskBitmap));

    // Above 1.5 there is no mask.
    view.Set(1.6f, 30.0f, 1, 1);
    EXPECT_EQ(view.view.renderRegion, &RenderRegionZoomedOut);
    RebuildViewBitmap(&view.view);
    ASSERT_NE(view.view.viewBitmap, nullptr);
    EXPECT_EQ(view.view.viewBitmap->header.biBitCount, 8);
    EXPECT_EQ(view.view.maskBitmap, nullptr);
}

TEST(RightAngleRebuild, BelowScaleOneKeepsCanvasResolution) {
    TestCanvas canvas(333, 251);
    canvas.Draw(10);
    for (float rotation : {0.0f, 90.0f}) {
        TestView view(&canvas.canvas, 0.5f, rotation, 0, 0);
        ASSERT_NE(view.view.pixelRenderer, nullptr);
        RebuildViewBitmap(&view.view);
        ASSERT_NE(view.view.viewBitmap, nullptr);
        EXPECT_EQ(view.view.scale, 0.5f);
        bool turned = rotation == 90.0f;
        EXPECT_EQ(view.view.viewBitmap->header.biWidth, turned ? 251 : 333);
        EXPECT_EQ(view.view.viewBitmap->header.biHeight, turned ? 333 : 251);
        if (turned) continue;
        for (int32_t y = 0; y < 251; y += 7)
            for (int32_t x = 0; x < 333; x += 3)
                ASSERT_EQ(PixelAt(view.view.viewBitmap, x, y),
                          static_cast<uint32_t>(canvas.Get(x, y)));
    }
}

// A canvas of whole 32-pixel blocks at 0 degrees is reduced in place; the
// result is the reduction of its extracted region, plain and sub-pixel, and
// the other turns and the mirror still go through the extraction.
TEST(RightAngleRebuild, AlignedCanvasReducesInPlaceLikeItsRegion) {
    TestCanvas canvas(320, 192);
    canvas.Draw(12);
    for (int32_t subPixel : {0, 1})
        for (float rotation : {0.0f, 360.0f, 180.0f})
            for (int32_t mirror : {0, 1}) {
                TestView view(&canvas.canvas, 8.0f, rotation, mirror, 0);
                view.subPixel = subPixel;
                view.Set(8.0f, rotation, mirror, 0);
                ASSERT_NE(view.view.pixelRenderer, nullptr);
                RebuildViewBitmap(&view.view);
                CanvasRegion* region =
                    ExtractCanvasRegion(&canvas.canvas.image, Rect{0, 0, 320, 192}, mirror,
                                        static_cast<int32_t>(rotation));
                ASSERT_NE(region, nullptr);
                DibSurface* reference = view.view.pixelRenderer(region);
                ReleaseCanvasRegion(region);
                ASSERT_TRUE(reference && view.view.viewBitmap);
                EXPECT_TRUE(SamePixels(view.view.viewBitmap, reference))
                    << "sub-pixel " << subPixel << " rotation " << rotation << " mirror " << mirror;
                ReleaseDibSurface(&reference);
            }
}

// Draws a disc, updates its rectangle and compares with a fresh rebuild.
struct UpdateCheck {
    int64_t differing = 0; // pixels unlike the fresh rebuild
    int32_t largest = 0;   // largest difference of one pixel's value
    bool changed = false;  // the stroke changed the rebuilt view at all
};

UpdateCheck UpdateAgainstRebuild(TestCanvas& canvas, TestView& view, double cx, double cy,
                                 double r) {
    UpdateCheck check;
    RebuildViewBitmap(&view.view);
    canvas.Disc(cx, cy, r, 0);
    Rect stroke{static_cast<int32_t>(std::floor(cx - r)), static_cast<int32_t>(std::floor(cy - r)),
                static_cast<int32_t>(std::ceil(cx + r)) + 1,
                static_cast<int32_t>(std::ceil(cy + r)) + 1};
    TestView fresh(&canvas.canvas, view.view.scale, view.view.rotation, view.view.mirror,
                   view.view.freeRotation);
    fresh.subPixel = view.subPixel;
    fresh.Set(view.view.scale, view.view.rotation, view.view.mirror, view.view.freeRotation);
    RebuildViewBitmap(&fresh.view);
    const DibSurface* a = view.view.viewBitmap;
    const DibSurface* b = fresh.view.viewBitmap;
    if (!a || !b || a->header.biWidth != b->header.biWidth ||
        a->header.biHeight != b->header.biHeight) {
        check.differing = -1;
        return check;
    }
    check.changed = !SamePixels(a, b);
    view.view.renderRegion(&view.view, &canvas.canvas, stroke, 0);
    for (int32_t y = 0; y < a->header.biHeight; ++y)
        for (int32_t x = 0; x < a->header.biWidth; ++x) {
            uint32_t p = PixelAt(a, x, y), q = PixelAt(b, x, y);
            if (p == q) continue;
            ++check.differing;
            check.largest = std::max(check.largest, std::abs(static_cast<int32_t>(p & 0xFF) -
                                                             static_cast<int32_t>(q & 0xFF)));
        }
    if (view.view.maskBitmap || fresh.view.maskBitmap) {
        if (!SamePixels(view.view.maskBitmap, fresh.view.maskBitmap)) check.differing += 1000000;
    }
    return check;
}

TEST(RightAngleUpdate, LeavesTheViewAsARebuildWouldInEveryOrientation) {
    std::mt19937 random(12);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (float scale : {16.0f, 8.0f, 4.0f, 2.0f, 1.0f, 0.5f})
        for (float rotation : {0.0f, 90.0f, 180.0f, 270.0f})
            for (int32_t mirror : {0, 1}) {
                // Whole 32-pixel blocks (the rebuild adopts the reducer's
                // result) and a ragged size (it cuts the canvas part out).
                TestCanvas canvas(mirror ? 320 : 333, mirror ? 256 : 251);
                canvas.Draw(static_cast<uint32_t>(random()), 30);
                TestView view(&canvas.canvas, scale, rotation, mirror, 0);
                SCOPED_TRACE(testing::Message() << "scale " << scale << " rotation " << rotation
                                                << " mirror " << mirror);
                // Left edge (the widened block starts at -32), the other
                // edges and the inside.
                const double spots[5][2] = {{2.5, 120},
                                            {330, 40},
                                            {150, 1},
                                            {200, 249},
                                            {40 + unit(random) * 250, 40 + unit(random) * 170}};
                for (const auto& spot : spots) {
                    UpdateCheck check = UpdateAgainstRebuild(canvas, view, spot[0], spot[1], 6);
                    EXPECT_EQ(check.differing, 0) << "disc at " << spot[0] << "," << spot[1];
                }
            }
}

TEST(RightAngleUpdate, SubPixelColoursMatchARebuildToo) {
    // The sub-pixel windows look beside each block, so the pixels next to
    // the stroke change as well; the update must leave them as a rebuild would.
    std::mt19937 random(13);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (float scale : {16.0f, 8.0f, 4.0f})
        for (float rotation : {0.0f, 90.0f, 180.0f, 270.0f})
            for (int32_t mirror : {0, 1}) {
                TestCanvas canvas(333, 251);
                canvas.Draw(static_cast<uint32_t>(random()), 30);
                TestView view(&canvas.canvas, scale, rotation, mirror, 0);
                view.subPixel = 1;
                view.Set(scale, rotation, mirror, 0);
                ASSERT_NE(view.view.pixelRenderer, SelectBlockReducer(ZoomLevelIndex(scale), 0));
                SCOPED_TRACE(testing::Message() << "scale " << scale << " rotation " << rotation
                                                << " mirror " << mirror);
                for (int spot = 0; spot < 6; ++spot) {
                    double x = spot == 0 ? 3 : (spot == 1 ? 329 : 10 + unit(random) * 310);
                    double y = spot == 2 ? 3 : (spot == 3 ? 247 : 10 + unit(random) * 230);
                    UpdateCheck check = UpdateAgainstRebuild(canvas, view, x, y, 4 + spot);
                    EXPECT_EQ(check.differing, 0) << "disc at " << x << "," << y;
                }
            }
}

TEST(RightAngleUpdate, StrokeOnTheLeftEdgeCopiesOnlyTheCanvasPart) {
    // Rectangle at x = 0..3: E.left = -32. The view bitmap is primed with a
    // marker so that a copy landing anywhere but the stroke would show.
    TestCanvas canvas(200, 100);
    TestView view(&canvas.canvas, 4.0f, 0.0f, 0, 0);
    RebuildViewBitmap(&view.view);
    DibSurface* bitmap = view.view.viewBitmap;
    ASSERT_NE(bitmap, nullptr);
    std::memset(bitmap->bits, 77, static_cast<size_t>(DibSurfaceStride(bitmap)) * 25);
    canvas.Fill(0);
    view.view.renderRegion(&view.view, &canvas.canvas, Rect{0, 8, 4, 16}, 0);
    for (int32_t y = 0; y < 25; ++y)
        for (int32_t x = 0; x < 50; ++x)
            ASSERT_EQ(PixelAt(bitmap, x, y), (x == 0 && y >= 2 && y < 4) ? 0u : 77u)
                << x << "," << y;
}

TEST(FreeUpdates, ZoomedOutMatchesARebuildWhereTheStepsAreExact) {
    for (float scale : {2.0f, 4.0f, 8.0f})
        for (int32_t mirror : {0, 1}) {
            TestCanvas canvas(400, 300);
            canvas.Draw(31, 40);
            TestView view(&canvas.canvas, scale, 0.0f, mirror, 1);
            SCOPED_TRACE(testing::Message() << "scale " << scale << " mirror " << mirror);
            for (const auto& spot :
                 {std::pair<double, double>{3, 150}, {200, 297}, {123.4, 77.7}}) {
                UpdateCheck check = UpdateAgainstRebuild(canvas, view, spot.first, spot.second, 9);
                EXPECT_TRUE(check.changed);
                EXPECT_EQ(check.differing, 0);
            }
        }
}

TEST(FreeUpdates, ZoomedOutAtAnyAngleStaysWithinTheFixedPointDrift) {
    // Elsewhere the update walks the canvas from its own corner and the
    // rebuild from the canvas's, with floored 16.16 steps: a canvas pixel
    // lying within a few 65536ths of a cell edge may fall on the other side.
    // Each such pixel moves a cell's average by about 254 / (scale^2); a
    // misplaced or clipped copy would move whole edges of the stroke by far
    // more.
    std::mt19937 random(40);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (int round = 0; round < 12; ++round) {
        TestCanvas canvas(900, 700);
        canvas.Draw(static_cast<uint32_t>(random()), 80);
        float scale = 2.0f + static_cast<float>(unit(random) * 13);
        float angle = static_cast<float>(unit(random) * 360);
        TestView view(&canvas.canvas, scale, angle, round & 1, 1);
        SCOPED_TRACE(testing::Message() << "scale " << scale << " angle " << angle);
        double r = 4 + scale * 2;
        UpdateCheck check =
            UpdateAgainstRebuild(canvas, view, 50 + unit(random) * 800, 50 + unit(random) * 600, r);
        double box = (2 * r / scale + 4) * (2 * r / scale + 4);
        EXPECT_TRUE(check.changed);
        EXPECT_GE(check.differing, 0);
        EXPECT_LE(check.differing, box / 2);
        EXPECT_LE(check.largest, 3 * 254 / (scale * scale) + 2);
    }
}

TEST(FreeUpdates, ZoomedInMatchesARebuildWithItsMask) {
    std::mt19937 random(41);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (float scale : {1.0f, 1.25f, 1.5f})
        for (int round = 0; round < 3; ++round) {
            TestCanvas canvas(300, 220);
            canvas.Draw(static_cast<uint32_t>(random()), 30);
            float angle = round == 0 ? 0.0f : static_cast<float>(unit(random) * 360);
            TestView view(&canvas.canvas, scale, angle, round == 1, 1);
            SCOPED_TRACE(testing::Message() << "scale " << scale << " angle " << angle);
            for (const auto& spot : {std::pair<double, double>{2, 100}, {150, 110}, {299, 219}}) {
                UpdateCheck check = UpdateAgainstRebuild(canvas, view, spot.first, spot.second, 5);
                EXPECT_EQ(check.differing, 0);
            }
        }
}

TEST(FreeUpdates, ZoomedInBelowScaleOneWritesAtCanvasResolution) {
    TestCanvas canvas(300, 220);
    canvas.Draw(42, 30);
    TestView view(&canvas.canvas, 0.5f, 0.0f, 0, 1);
    UpdateCheck check = UpdateAgainstRebuild(canvas, view, 100, 100, 7);
    EXPECT_TRUE(check.changed);
    EXPECT_EQ(check.differing, 0);
}

TEST(Updates, EmptyOrOffCanvasRectanglesAreIgnored) {
    TestCanvas canvas(128, 96);
    canvas.Draw(50, 10);
    struct Mode {
        float scale, rotation;
        int32_t free;
    };
    for (Mode mode : {Mode{4.0f, 0.0f, 0}, Mode{4.0f, 20.0f, 1}, Mode{1.0f, 20.0f, 1}}) {
        TestView view(&canvas.canvas, mode.scale, mode.rotation, 0, mode.free);
        RebuildViewBitmap(&view.view);
        ASSERT_NE(view.view.viewBitmap, nullptr);
        std::vector<uint8_t> before(view.view.viewBitmap->bits,
                                    view.view.viewBitmap->bits +
                                        DibSurfaceStride(view.view.viewBitmap) *
                                            view.view.viewBitmap->header.biHeight);
        canvas.Fill(0);
        for (Rect r :
             {Rect{-10, 5, 0, 20}, Rect{5, -10, 20, 0}, Rect{10, 10, 10, 20}, Rect{10, 20, 30, 20},
              Rect{128, 0, 140, 10}, Rect{0, 96, 10, 120}, Rect{30, 30, 20, 40}}) {
            view.view.renderRegion(&view.view, &canvas.canvas, r, 0);
        }
        EXPECT_TRUE(std::equal(before.begin(), before.end(), view.view.viewBitmap->bits));
        canvas.Fill(1);
        canvas.Draw(50, 10);
        // No view bitmap yet: nothing to copy into, and no harm done.
        ReleaseDibSurface(&view.view.viewBitmap);
        ReleaseDibSurface(&view.view.maskBitmap);
        view.view.renderRegion(&view.view, &canvas.canvas, Rect{10, 10, 40, 40}, 0);
        EXPECT_EQ(view.view.viewBitmap, nullptr);
    }
}

void EmptyRect(const Canvas*, const ViewState*, Rect* rect) {
    *rect = Rect{0, 0, 0, 0};
}

TEST(Updates, FailuresAreReportedWithTheirMessages) {
    TestCanvas canvas(128, 96);
    TestView view(&canvas.canvas, 4.0f, 0.0f, 0, 0);
    {
        CapturedMessages messages;
        view.view.transforms.canvasRectToBitmap = EmptyRect;
        RebuildViewBitmap(&view.view);
        ASSERT_EQ(messages.texts().size(), 1u);
        EXPECT_EQ(messages.texts()[0], u"viewcanvas.bmp is NULL.");
        EXPECT_EQ(view.view.viewBitmap, nullptr);
    }
    {
        CapturedMessages messages;
        view.Set(1.0f, 10.0f, 0, 1);
        RebuildViewBitmap(&view.view);
        view.view.scale = 0.0f;
        view.view.renderRegion(&view.view, &canvas.canvas, Rect{10, 10, 20, 20}, 0);
        ASSERT_EQ(messages.texts().size(), 1u);
        EXPECT_EQ(messages.texts()[0], u"failed");
    }
}

TEST(Updates, RebuildsNeverPullTheBitmapFromUnderAnUpdate) {
    // The refresh thread's updates run while the window thread rebuilds; the
    // swap happens under the lock, so a blit never meets a released bitmap
    // (the sanitizer build would report it).
    TestCanvas canvas(600, 400);
    canvas.Draw(60, 40);
    TestView view(&canvas.canvas, 4.0f, 12.0f, 0, 1);
    RebuildViewBitmap(&view.view);
    std::atomic<bool> stop{false};
    std::thread refresher([&] {
        std::mt19937 random(61);
        while (!stop.load()) {
            int32_t x = static_cast<int32_t>(random() % 560),
                    y = static_cast<int32_t>(random() % 360);
            view.view.renderRegion(&view.view, &canvas.canvas, Rect{x, y, x + 40, y + 40}, 0);
        }
    });
    for (int round = 0; round < 40; ++round) RebuildViewBitmap(&view.view);
    stop = true;
    refresher.join();
    EXPECT_NE(view.view.viewBitmap, nullptr);
}

} // namespace
