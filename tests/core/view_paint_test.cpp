// The view paint and the operations around it, on the portable surfaces.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "canvas/canvas.h"
#include "view/screen_compose.h"
#include "view/view_paint.h"
#include "view/view_transforms.h"

namespace {

uint32_t ScreenPixel(const DibSurface* screen, int32_t x, int32_t y) {
    uint32_t value;
    std::memcpy(&value,
                screen->bits +
                    static_cast<ptrdiff_t>(screen->header.biHeight - 1 - y) *
                        DibSurfaceStride(screen) +
                    4 * x,
                4);
    return value & 0x00FFFFFF;
}

constexpr uint32_t kGrey = 0xC0C0C0, kWhite = 0xFFFFFF, kBlack = 0;

// A canvas of W × H pixels (paper) with a view at client size cw × ch.
struct Scene {
    std::unique_ptr<ViewHost> host{new ViewHost()};
    Settings settings{};
    Canvas canvas{};

    Scene(int32_t width, int32_t height, int32_t cw, int32_t ch) {
        settings.bgColour = 0xFFFFFF;
        settings.drawingColour = 0;
        CreateCanvas(&canvas, &settings, width, height);
        InitViewLock(&host->view.lock);
        EXPECT_TRUE(InitViewWithClientSize(host.get(), &canvas, &settings, cw, ch));
    }
    ~Scene() {
        ReleaseView(&host->view);
        FreeCanvas(&canvas);
        DeleteViewLock(&host->view.lock);
    }
    ViewState* view() { return &host->view; }
    void Ink(int32_t x, int32_t y) {
        CanvasRow(&canvas.image, y)[x >> 3] &= static_cast<uint8_t>(~(0x80 >> (x & 7)));
    }
};

} // namespace

TEST(ViewPaint, FitChoosesTheScaleThatShowsTheWholeCanvas) {
    Scene scene(2000, 1500, 800, 600);
    EXPECT_EQ(scene.view()->scale, 4.0f);
    Scene large(6400, 4800, 800, 600);
    EXPECT_EQ(large.view()->scale, 8.0f);
    Scene small(300, 200, 800, 600);
    EXPECT_EQ(small.view()->scale, 1.0f); // fitting never zooms in
    // The canvas sits in the middle: paper inside, grey margins outside.
    ViewState* view = small.view();
    EXPECT_EQ(ScreenPixel(view->screen, 400, 300), kWhite);
    EXPECT_EQ(ScreenPixel(view->screen, 5, 5), kGrey);
    EXPECT_EQ(view->originX, 400 - 150);
    EXPECT_EQ(view->originY, 300 - 100);
}

TEST(ViewPaint, InkShowsWhereTheTransformsPutIt) {
    Scene scene(300, 200, 800, 600);
    ViewState* view = scene.view();
    for (int32_t y = 40; y < 48; ++y)
        for (int32_t x = 100; x < 108; ++x) scene.Ink(x, y);
    RefreshView(view);
    int32_t x = 103, y = 43;
    view->transforms.canvasToClient(view->canvas, view, &x, &y);
    EXPECT_EQ(ScreenPixel(view->screen, x, y), kBlack);
    EXPECT_EQ(ScreenPixel(view->screen, x + 20, y), kWhite);
    // Mirrored, the ink moves to the other side of the same centre.
    ToggleViewMirror(view);
    int32_t mx = 103, my = 43;
    view->transforms.canvasToClient(view->canvas, view, &mx, &my);
    EXPECT_NE(mx, x);
    EXPECT_EQ(ScreenPixel(view->screen, mx, my), kBlack);
}

TEST(ViewPaint, MagnifiedPaintCoversWholePixels) {
    Scene scene(64, 64, 400, 400);
    ViewState* view = scene.view();
    scene.Ink(5, 7);
    RefreshView(view);
    SetViewScale(view, 0.25f);
    int32_t x = 5, y = 7;
    view->transforms.canvasToClient(view->canvas, view, &x, &y);
    for (int32_t dy = 0; dy < 4; ++dy)
        for (int32_t dx = 0; dx < 4; ++dx)
            EXPECT_EQ(ScreenPixel(view->screen, x + dx, y + dy), kBlack) << dx << "," << dy;
    EXPECT_EQ(ScreenPixel(view->screen, x + 4, y), kWhite);
    EXPECT_EQ(ScreenPixel(view->screen, x - 1, y), kWhite);
    // A paint of a rectangle starting mid-pixel draws the same pixels.
    FillScreenRect(view->screen, Rect{0, 0, 400, 400}, RgbQuad{0, 0, 255, 0});
    PaintViewRect(view, Rect{x + 1, y + 2, x + 3, y + 3});
    EXPECT_EQ(ScreenPixel(view->screen, x + 1, y + 2), kBlack);
    EXPECT_EQ(ScreenPixel(view->screen, x + 2, y + 2), kBlack);
    EXPECT_EQ(ScreenPixel(view->screen, x + 3, y + 2), 0xFF0000u); // outside the rectangle
}

TEST(ViewPaint, ScrollingRepaintsOnlyTheUncoveredStrip) {
    Scene scene(3200, 2400, 400, 300);
    ViewState* view = scene.view();
    // Mark the screen so that repainted pixels can be told apart.
    FillScreenRect(view->screen, Rect{0, 0, 400, 300}, RgbQuad{0, 0, 255, 0});
    ScrollView(view, 10, 0);
    for (int32_t x = 0; x < 400; ++x) {
        const bool repainted = ScreenPixel(view->screen, x, 150) != 0xFF0000u;
        EXPECT_EQ(repainted, x >= 390) << x;
    }
    EXPECT_EQ(view->originX + view->centreX, 200);
}

TEST(ViewPaint, ResizeKeepsTheCentreAndTheOldContentWhenItCan) {
    Scene scene(3200, 2400, 800, 600);
    ViewState* view = scene.view();
    const int32_t centreX = view->centreX, centreY = view->centreY;
    FillScreenRect(view->screen, Rect{0, 0, 800, 600}, RgbQuad{0, 0, 255, 0});
    ResizeView(view, 801, 601);
    EXPECT_EQ(view->centreX, centreX);
    EXPECT_EQ(view->centreY, centreY);
    EXPECT_EQ(view->originX, 801 / 2 - centreX);
    EXPECT_EQ(view->originY, 601 / 2 - centreY);
    EXPECT_EQ(ScreenPixel(view->screen, 400, 300), 0xFF0000u); // kept, not repainted
    Scene small(800, 800, 100, 100);
    FillScreenRect(small.view()->screen, Rect{0, 0, 100, 100}, RgbQuad{0, 0, 255, 0});
    ResizeView(small.view(), 400, 400); // grew a lot: everything repainted
    EXPECT_NE(ScreenPixel(small.view()->screen, 200, 200), 0xFF0000u);
    ResizeView(small.view(), 0, 0); // minimised: nothing changes
    EXPECT_EQ(small.view()->clientWidth, 400);
}

TEST(ViewPaint, AnglesAreStoredInOneTurn) {
    EXPECT_EQ(NormaliseViewAngle(-90.0f), 270.0f);
    EXPECT_EQ(NormaliseViewAngle(370.5f), 10.5f);
    EXPECT_EQ(NormaliseViewAngle(-360.0f), 360.0f);
    EXPECT_EQ(NormaliseViewAngle(-360.5f), 359.5f);
    EXPECT_EQ(NormaliseViewAngle(720.0f), 0.0f);
    Scene scene(800, 600, 400, 300);
    SetViewAngle(scene.view(), -90.0f);
    EXPECT_EQ(scene.view()->rotation, 270.0f);
}

TEST(ViewPaint, TurningKeepsTheCentrePointOnTheCanvasPoint) {
    Scene scene(1600, 1200, 400, 300);
    ViewState* view = scene.view();
    SelectTransformSet(view, 1);
    float x = static_cast<float>(view->centreX), y = static_cast<float>(view->centreY);
    FreeBitmapToCanvasFloat(view, &x, &y);
    SetViewAngle(view, 30.0f);
    float after_x = static_cast<float>(view->centreX), after_y = static_cast<float>(view->centreY);
    FreeBitmapToCanvasFloat(view, &after_x, &after_y);
    EXPECT_NEAR(after_x, x, view->scale * 1.5f);
    EXPECT_NEAR(after_y, y, view->scale * 1.5f);
}
