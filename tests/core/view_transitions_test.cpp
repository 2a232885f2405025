// Every change of view ends in the picture a fresh rebuild of the same view
// gives, and strokes drawn afterwards land where a rebuild puts them: the zoom,
// turn, mirror, fit and ±15° commands after each kind of state a drag or a
// command can leave, and the geometry of the rotate and zoom drags.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <memory>
#include <string>

#include "tests/core/render_test_support.h"
#include "view/block_reducers.h"
#include "view/render_region.h"
#include "view/view_commands.h"
#include "view/view_gestures.h"
#include "view/view_paint.h"
#include "view/view_transforms.h"

namespace {

// A drawn canvas shown in a client area through the real view set-up.
struct Window {
    std::unique_ptr<ViewHost> host{new ViewHost()};
    Settings settings{};
    Canvas canvas{};

    Window(int32_t width, int32_t height, int32_t cw, int32_t ch) {
        settings.bgColour = 0xFFFFFF;
        settings.drawingColour = 0;
        CreateCanvas(&canvas, &settings, width, height);
        InitViewLock(&host->view.lock);
        InitViewWithClientSize(host.get(), &canvas, &settings, cw, ch);
    }
    ~Window() {
        ReleaseView(&host->view);
        FreeCanvas(&canvas);
        DeleteViewLock(&host->view.lock);
    }
    ViewState* view() { return &host->view; }
    void Disc(double cx, double cy, double r) {
        for (int32_t y = static_cast<int32_t>(cy - r); y <= static_cast<int32_t>(cy + r); ++y)
            for (int32_t x = static_cast<int32_t>(cx - r); x <= static_cast<int32_t>(cx + r); ++x)
                if (x >= 0 && y >= 0 && x < canvas.image.width && y < canvas.image.height &&
                    (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r)
                    CanvasRow(&canvas.image, y)[x >> 3] &= static_cast<uint8_t>(~(0x80 >> (x & 7)));
    }
};

std::string Describe(const ViewState* v) {
    return "scale " + std::to_string(v->scale) + " angle " + std::to_string(v->rotation) +
           " mirror " + std::to_string(v->mirror) + " free " + std::to_string(v->freeRotation);
}

// The screen of a view built from nothing but the subject's scale, angle,
// mirror and placement, with the set and reducer those call for.
int64_t PixelsUnlikeAFreshView(Window& subject) {
    const ViewState* v = subject.view();
    Window fresh(subject.canvas.image.width, subject.canvas.image.height, v->clientWidth,
                 v->clientHeight);
    std::memcpy(fresh.canvas.image.bits, subject.canvas.image.bits,
                static_cast<size_t>(CanvasStride(&subject.canvas.image)) *
                    subject.canvas.image.height);
    ViewState* f = fresh.view();
    f->scale = v->scale;
    f->rotation = v->rotation;
    f->mirror = v->mirror;
    const int32_t level = ZoomLevelIndex(v->scale);
    const bool rightAngle = !v->freeRotation;
    if (rightAngle) {
        // The right-angle set exists only for the zoom table's scales.
        EXPECT_GE(level, 0) << "right-angle set at " << Describe(v);
        if (level < 0) return -1;
        f->pixelRenderer = SelectBlockReducer(static_cast<uint32_t>(level), 0);
    }
    SelectTransformSet(f, rightAngle ? 0 : 1);
    f->centreX = v->centreX, f->centreY = v->centreY;
    f->originX = v->originX, f->originY = v->originY;
    RefreshView(f);
    int64_t differing = 0;
    for (int32_t y = 0; y < v->clientHeight; ++y)
        for (int32_t x = 0; x < v->clientWidth; ++x)
            differing += PixelAt(v->screen, x, y) != PixelAt(f->screen, x, y);
    return differing;
}

// A stroke after the transition: updated and repainted as the refresh
// thread does it. The repaint must cover everything the update changed, and
// the view bitmap must hold what a rebuild gives (within the fixed-point
// drift of the zoomed-out free renderers).
void CheckStrokeUpdate(Window& w, int32_t cx, int32_t cy) {
    ViewState* v = w.view();
    const int32_t r = 6;
    w.Disc(cx, cy, r);
    // As tight as the brush's own rectangle: its edge columns hold ink.
    const Rect stroke{cx - r, cy - r, cx + r + 1, cy + r + 1};
    v->renderRegion(v, v->canvas, stroke, 0);
    PaintViewRect(v, UpdatedClientRect(v, stroke));
    DibSurface* painted = CreateDibSurface(32, nullptr, 0, v->clientWidth, v->clientHeight);
    ASSERT_NE(painted, nullptr);
    std::memcpy(painted->bits, v->screen->bits,
                static_cast<size_t>(DibSurfaceStride(painted)) * v->clientHeight);
    RepaintView(v);
    EXPECT_TRUE(SamePixels(painted, v->screen)) << "stale pixels after a stroke at " << Describe(v);
    ReleaseDibSurface(&painted);

    DibSurface* updated = v->viewBitmap;
    v->viewBitmap = nullptr;
    RebuildViewBitmap(v);
    ASSERT_NE(updated, nullptr);
    ASSERT_NE(v->viewBitmap, nullptr);
    ASSERT_EQ(updated->header.biWidth, v->viewBitmap->header.biWidth) << Describe(v);
    ASSERT_EQ(updated->header.biHeight, v->viewBitmap->header.biHeight) << Describe(v);
    const bool drifts = v->freeRotation && v->scale > 1.5f;
    const int32_t allowed = drifts ? static_cast<int32_t>(3 * 254 / (v->scale * v->scale)) + 2 : 0;
    int64_t wrong = 0;
    for (int32_t y = 0; y < updated->header.biHeight; ++y)
        for (int32_t x = 0; x < updated->header.biWidth; ++x)
            wrong += std::abs(static_cast<int32_t>(PixelAt(updated, x, y) & 0xFF) -
                              static_cast<int32_t>(PixelAt(v->viewBitmap, x, y) & 0xFF)) > allowed;
    EXPECT_EQ(wrong, 0) << "stroke update unlike a rebuild at " << Describe(v);
    ReleaseDibSurface(&updated);
    RepaintView(v);
}

struct Step {
    const char* name;
    std::function<void(ViewState*)> apply;
};

} // namespace

TEST(ViewTransitions, EveryCommandAfterEveryKindOfStateLeavesAFreshView) {
    // States a user reaches: a table scale, a zoom drag's scale below 1.5
    // and above it, a free angle, a mirrored view, and a zoom drag that
    // happens to end on a table scale (its reducer is still the old one).
    const Step states[] = {
        {"table scale", [](ViewState*) {}},
        {"drag to 1.3", [](ViewState* v) { EndZoomDrag(v, 100.0f, 100.0f * 1.3f / v->scale); }},
        {"drag to 3.556", [](ViewState* v) { EndZoomDrag(v, 100.0f, 100.0f * 3.556f / v->scale); }},
        {"drag to 2 exactly", [](ViewState* v) { EndZoomDrag(v, 200.0f, 100.0f); }},
        {"turned 30", [](ViewState* v) { EndRotateDrag(v, 30.0f); }},
        {"mirrored", [](ViewState* v) { ToggleViewMirror(v); }},
        {"mirrored, dragged to 2",
         [](ViewState* v) {
             ToggleViewMirror(v);
             EndZoomDrag(v, 200.0f, 100.0f);
         }},
    };
    const Step commands[] = {
        {"zoom in", [](ViewState* v) { ZoomViewToLevel(v, 3); }},
        {"zoom out", [](ViewState* v) { ZoomViewToLevel(v, 1); }},
        {"zoom to 1/2", [](ViewState* v) { ZoomViewToLevel(v, 5); }},
        {"rotate right", [](ViewState* v) { TurnViewToRightAngle(v, 90); }},
        {"rotate to 180", [](ViewState* v) { TurnViewToRightAngle(v, 180); }},
        {"mirror", [](ViewState* v) { ToggleViewMirror(v); }},
        {"fit", [](ViewState* v) { FitViewToWindow(v); }},
        {"+15", [](ViewState* v) { StepViewAngle(v, 15.0f); }},
        {"zoom drag to 1", [](ViewState* v) { EndZoomDrag(v, 100.0f, 100.0f / v->scale); }},
    };
    for (const Step& state : states)
        for (const Step& command : commands) {
            SCOPED_TRACE(std::string(state.name) + ", then " + command.name);
            Window w(640, 480, 160, 120); // fits at scale 4
            w.Disc(100, 100, 40);
            w.Disc(500, 300, 25);
            RefreshView(w.view());
            state.apply(w.view());
            command.apply(w.view());
            EXPECT_EQ(PixelsUnlikeAFreshView(w), 0) << Describe(w.view());
            CheckStrokeUpdate(w, 320, 240);
            CheckStrokeUpdate(w, 3, 470);
            // Mirrored, canvas column 631 lands on a display column's edge
            // at scales 2, 4 and 8 (639 − 631 = 8).
            CheckStrokeUpdate(w, 637, 100);
        }
}

TEST(ViewTransitions, ARightAngleTurnAfterAZoomDragKeepsTheScaleAndShowsNoBlack) {
    Window w(640, 480, 160, 120);
    EndZoomDrag(w.view(), 100.0f, 100.0f * 3.556f / w.view()->scale);
    const float scale = w.view()->scale;
    TurnViewToRightAngle(w.view(), 90);
    EXPECT_EQ(w.view()->scale, scale);
    EXPECT_EQ(w.view()->rotation, 90.0f);
    // A blank canvas: paper and the grey margin, nothing dark.
    for (int32_t y = 0; y < 120; ++y)
        for (int32_t x = 0; x < 160; ++x)
            ASSERT_GE(PixelAt(w.view()->screen, x, y) & 0xFF, 0xC0u) << x << "," << y;
    // Zooming onto a table scale brings the exact right-angle set back.
    ZoomViewToLevel(w.view(), 2);
    TurnViewToRightAngle(w.view(), 180);
    EXPECT_EQ(w.view()->freeRotation, 0);
}

TEST(ViewGestures, DragsTurnAndZoomAsThePointerMoved) {
    // A rotation drag that comes back to where it started turns nothing.
    const float start = PointerAngle(800, 600, 650, 120);
    EXPECT_EQ(DragTurnDegrees(start, PointerAngle(800, 600, 650, 120)), 0.0f);
    // A quarter turn of the pointer around the centre is a quarter turn.
    EXPECT_NEAR(DragTurnDegrees(PointerAngle(800, 600, 400, 500), PointerAngle(800, 600, 600, 300)),
                90.0f, 1e-3);
    EXPECT_EQ(PointerAngle(800, 600, 400, 300), 0.0f);
    // Distance is the larger offset; a start near the centre counts as 100.
    EXPECT_EQ(PointerDistance(800, 600, 430, 250), 50.0f);
    EXPECT_EQ(ZoomStartDistance(PointerDistance(800, 600, 430, 250)), 100.0f);
    EXPECT_EQ(ZoomStartDistance(250.0f), 250.0f);
    // Ending nearer the centre zooms out (a larger scale); the result stays
    // within 1 … 16 however far the pointer went.
    EXPECT_EQ(DragZoomScale(4.0f, 50.0f, 100.0f), 8.0f);
    EXPECT_EQ(DragZoomScale(4.0f, 200.0f, 100.0f), 2.0f);
    EXPECT_EQ(DragZoomScale(2.0f, 5000.0f, 100.0f), 1.0f);
    EXPECT_EQ(DragZoomScale(8.0f, 0.0f, 100.0f), 16.0f);
    EXPECT_EQ(DragZoomScale(8.0f, 1.0f, 100.0f), 16.0f);
}

TEST(ViewTransitions, ScaleOneAndBelowShareTheCanvasResolutionBitmap) {
    Window w(640, 480, 160, 120);
    EndZoomDrag(w.view(), 100.0f, 100.0f * 1.3f / w.view()->scale);
    ZoomViewToLevel(w.view(), 4); // 1.3 → 1: the bitmap must be remade
    ASSERT_NE(w.view()->viewBitmap, nullptr);
    EXPECT_EQ(w.view()->viewBitmap->header.biWidth, 640);
    const DibSurface* atOne = w.view()->viewBitmap;
    ZoomViewToLevel(w.view(), 5); // 1 → 0.5 only magnifies the paint
    EXPECT_EQ(w.view()->viewBitmap, atOne);
}

TEST(ViewTransitions, NearOneToOneAWideTurnedCanvasRendersWhole) {
    // Turned at scale 1, a canvas 40000 pixels wide makes a bitmap wider than
    // 32767 pixels, whose positions also pass the int32 16.16 range.
    TestCanvas canvas(40000, 400);
    canvas.Disc(39000, 200, 30);
    canvas.Disc(500, 200, 30);
    TestView view(&canvas.canvas, 1.0f, 2.0f, 0, 1);
    RebuildViewBitmap(&view.view);
    ASSERT_NE(view.view.viewBitmap, nullptr);
    ASSERT_NE(view.view.maskBitmap, nullptr);
    EXPECT_GT(view.view.viewBitmap->header.biWidth, 32767);
    for (int32_t cx : {39000, 500, 20000}) {
        int32_t x = cx, y = 200;
        view.view.transforms.canvasToBitmap(&canvas.canvas, &view.view, &x, &y);
        EXPECT_EQ(PixelAt(view.view.viewBitmap, x, y), cx == 20000 ? 1u : 0u) << cx;
        EXPECT_EQ(PixelAt(view.view.maskBitmap, x, y), 0u) << cx;
    }
    EXPECT_EQ(PixelAt(view.view.maskBitmap, 0, 0), 1u); // outside the turned canvas
}
