// The stroke state machine, the refresh hand-over and the recorder, with a
// counting brush and a scripted window system.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "engine/pointer_input.h"
#include "engine/refresh_thread.h"
#include "engine/screen_to_canvas.h"
#include "engine/stroke_engine.h"
#include "engine/stroke_host.h"
#include "record/step_recorder.h"
#include "tests/core/test_support.h"
#include "view/view_transforms.h"

namespace {

struct Scripted {
    bool shift = false;
    bool mayStart = true;
    int invalidations = 0;
    std::atomic<int> framesPosted{0};
    uint32_t clock = 1000;
};
Scripted* script = nullptr;

const StrokeHost scriptedHost{
    [] { return script->shift; },
    [](GdiHandle) {
        return Point{0, 0};
    },
    [](GdiHandle, Point) { return script->mayStart; },
    [](GdiHandle, const Rect*) { ++script->invalidations; },
    [](GdiHandle) { ++script->framesPosted; },
    [] { return script->clock; },
};

struct BrushLog {
    std::vector<PointerSample> from, to;
};
BrushLog* brushLog = nullptr;

int32_t CountingBrush(const StrokeEngine* stroke, Canvas*, Rect* segment) {
    brushLog->from.push_back(stroke->prevSmoothed);
    brushLog->to.push_back(stroke->smoothed);
    *segment = Rect{stroke->smoothed.x, stroke->smoothed.y, stroke->smoothed.x + 1,
                    stroke->smoothed.y + 1};
    return 1;
}

std::atomic<int> renders{0};
std::atomic<bool> holdRender{false};
int32_t SlowRender(ViewState*, const Canvas*, Rect, int32_t) {
    while (holdRender) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ++renders;
    return 0;
}

// A program state with a 1000 × 800 canvas shown at scale 1 in the
// right-angle set, so that screen sixteenths / 16 are canvas pixels.
struct Fixture {
    std::unique_ptr<AppState> app{new AppState()};
    std::vector<uint8_t> pixels;
    Scripted scripted;
    BrushLog log;
    int32_t smoothing = 0;

    Fixture() {
        script = &scripted;
        brushLog = &log;
        SetStrokeHost(&scriptedHost);
        AppState* a = app.get();
        a->canvas.image.width = 1000;
        a->canvas.image.height = 800;
        pixels.assign(static_cast<size_t>(CanvasStride(&a->canvas.image)) * 800, 0xFF);
        a->canvas.image.bits = pixels.data();
        a->canvas.brush = CountingBrush;
        a->canvas.brushParams = a->settings.brushParams;
        a->canvas.brushIndex = &a->settings.brushIndex;
        a->settings.brushParams[0].penSize = 50;
        a->stroke.maxPressure = 1024;
        a->stroke.smoothingRadius = &smoothing;
        ViewState* view = &a->viewHost.view;
        InitViewLock(&view->lock);
        view->canvas = &a->canvas;
        view->scale = 1.0f;
        view->clientWidth = 1000;
        view->clientHeight = 800;
        InstallTransforms(view, 0);
        view->renderRegion = SlowRender;
        ResetOutline();
    }
    ~Fixture() {
        StopRefreshThread(app.get());
        DeleteViewLock(&app->viewHost.view.lock);
        SetStrokeHost(nullptr);
    }
    void Sample(int32_t x, int32_t y, int32_t pressure) {
        PointerSample sample{};
        sample.x = x * 16;
        sample.y = y * 16;
        sample.pressure = pressure;
        HandlePointerSample(app.get(), &sample);
    }
};

} // namespace

TEST(StrokeEngine, MouseStrokeWithoutSmoothingDrawsOneLastSegment) {
    Fixture f;
    f.Sample(10, 10, 0);
    f.Sample(20, 10, 1024); // pen down: a segment from the pen-up position
    f.Sample(30, 10, 1024);
    f.Sample(40, 12, 1024);
    EXPECT_EQ(f.app->canvas.strokeActive, 1);
    f.Sample(40, 12, 0); // lift-off: one segment to zero pressure, then the end
    EXPECT_EQ(f.app->canvas.strokeActive, 0);
    ASSERT_EQ(f.log.to.size(), 4u);
    // Pen-down draws a dab at the pen-down point, not a line from the hover.
    EXPECT_EQ(f.log.from[0].x, 20);
    EXPECT_EQ(f.log.from[0].pressure, 1024);
    EXPECT_EQ(f.log.to[0].x, 20);
    EXPECT_EQ(f.log.from[1].x, 20);
    EXPECT_EQ(f.log.to[1].x, 30);
    EXPECT_EQ(f.log.to[2].x, 40);
    EXPECT_EQ(f.log.to[3].pressure, 0);
    EXPECT_EQ(f.log.from[3].pressure, 1024);
    f.Sample(50, 12, 0); // hovering draws nothing
    EXPECT_EQ(f.log.to.size(), 4u);
}

TEST(StrokeEngine, SmoothingDrainsTheHistoryAfterLiftOff) {
    Fixture f;
    f.smoothing = 2;
    f.Sample(100, 100, 0);
    for (int i = 1; i <= 6; ++i) f.Sample(100 + 4 * i, 100, 1024);
    const size_t whileDown = f.log.to.size();
    EXPECT_EQ(whileDown, 7u); // a dab where the smoothed stroke starts, then 6 segments
    f.Sample(124, 100, 0);
    // The pen is up but the smoothed pressure is not yet 0: the history is
    // drained, at most 2N + 1 segments, with pressure that never rises, and the
    // stroke ends.
    EXPECT_GT(f.log.to.size(), whileDown + 1);
    EXPECT_LE(f.log.to.size(), whileDown + 1 + 5);
    for (size_t i = whileDown + 1; i < f.log.to.size(); ++i)
        EXPECT_LE(f.log.to[i].pressure, f.log.from[i].pressure);
    EXPECT_EQ(f.app->canvas.strokeActive, 0);
    f.Sample(130, 100, 0);
    EXPECT_LE(f.log.to.size(), whileDown + 1 + 5);
}

TEST(StrokeEngine, ShiftPanAndCoveredPenDownDrawNothing) {
    Fixture f;
    f.scripted.shift = true;
    f.Sample(10, 10, 1024);
    EXPECT_EQ(f.app->stroke.current.x, 0); // not even stored
    f.scripted.shift = false;

    f.app->panKeyDown = 1;
    f.Sample(10, 10, 0);
    f.Sample(12, 10, 1024);
    EXPECT_EQ(f.app->stroke.current.x, 12); // stored, not drawn
    EXPECT_TRUE(f.log.to.empty());
    f.app->panKeyDown = 0;

    // A zoom drag whose keys were let go before the button draws nothing.
    f.app->zooming = 1;
    f.Sample(10, 10, 0);
    f.Sample(12, 10, 1024);
    EXPECT_TRUE(f.log.to.empty());
    f.app->zooming = 0;

    f.scripted.mayStart = false; // another window covers the pen-down point
    f.Sample(10, 10, 0);
    f.Sample(14, 10, 1024);
    f.Sample(18, 10, 1024);
    EXPECT_TRUE(f.log.to.empty());
    EXPECT_EQ(f.app->canvas.strokeActive, 0);
}

TEST(StrokeEngine, OutlineMovesOnlyWithItsClientCentre) {
    Fixture f;
    f.app->viewHost.view.scale = 8.0f;
    InstallTransforms(&f.app->viewHost.view, 0);
    // At scale 8 a screen sixteenth is half a canvas pixel.
    auto at = [&](int32_t canvasX) {
        PointerSample sample{};
        sample.x = canvasX * 2;
        sample.y = 400 * 2;
        HandlePointerSample(f.app.get(), &sample);
    };
    at(640);
    const int first = f.scripted.invalidations;
    EXPECT_EQ(LastOutlinePosition().x, 80);
    at(643); // the same client pixel: nothing to invalidate
    EXPECT_EQ(f.scripted.invalidations, first);
    at(700); // a new client pixel: the old and the new outline
    EXPECT_EQ(f.scripted.invalidations, first + 2);
    EXPECT_EQ(LastOutlinePosition().x, 87);
    const Rect outline = LastOutlineRect();
    EXPECT_LE(outline.left, 87 - 50 / 8 / 2);
    EXPECT_GE(outline.right, 87 + 50 / 8 / 2);
}

TEST(RefreshChannel, ResultsFollowTheThreadState) {
    Fixture f;
    AppState* app = f.app.get();
    Rect none{0, 0, 0, 0};
    EXPECT_EQ(RequestCanvasRefresh(app, nullptr), -1);
    EXPECT_EQ(RequestCanvasRefresh(app, &none), -1);
    holdRender = true;
    Rect a{0, 0, 10, 10}, b{100, 100, 120, 130};
    EXPECT_EQ(RequestCanvasRefresh(app, &a), 0); // the thread starts
    EXPECT_EQ(RequestCanvasRefresh(app, &b), 2); // busy: queued
    EXPECT_EQ(RequestCanvasRefresh(app, &a), 2); // merged into one rectangle
    holdRender = false;
    WaitForRefreshIdle(app);
    EXPECT_EQ(renders.load() >= 2, true);
    const int before = renders.load();
    EXPECT_EQ(RequestCanvasRefresh(app, &b), 1); // idle: woken
    WaitForRefreshIdle(app);
    EXPECT_EQ(renders.load(), before + 1);
    EXPECT_GE(f.scripted.framesPosted.load(), 2);
    ConsumeReadyFrame(app);
    EXPECT_EQ(app->frameReady, 0);
}

TEST(RefreshChannel, UnionTreatsAllZeroAsEmpty) {
    Rect target{0, 0, 0, 0};
    UnionRefreshRect(&target, Rect{5, 6, 7, 8});
    EXPECT_EQ(target.left, 5);
    UnionRefreshRect(&target, Rect{-3, 10, 4, 20});
    EXPECT_EQ(target.left, -3);
    EXPECT_EQ(target.top, 6);
    EXPECT_EQ(target.right, 7);
    EXPECT_EQ(target.bottom, 20);
}

TEST(StepRecorder, RecordsSmoothedSamplesUpToTheCapacity) {
    Fixture f;
    AppState* app = f.app.get();
    app->stepLog.canvasWidth = 77;
    app->stepLog.recordStart = 88;
    f.Sample(10, 10, 0);
    f.Sample(12, 10, 1024);
    EXPECT_EQ(app->stepLog.stepCount, 0); // recording is off: the header stays as it was
    EXPECT_EQ(app->stepLog.canvasWidth, 77);
    EXPECT_EQ(app->stepLog.recordStart, 88u);
    app->settings.recordStep = 1;
    f.scripted.clock = 5000;
    f.Sample(14, 11, 512);
    ASSERT_EQ(app->stepLog.stepCount, 1);
    EXPECT_EQ(app->stepLog.canvasWidth, 1000);
    EXPECT_EQ(app->stepLog.recordStart, 5000u);
    EXPECT_EQ(app->stepLog.steps[0].time, 0u);
    EXPECT_EQ(app->stepLog.steps[0].x, 14);
    EXPECT_FLOAT_EQ(app->stepLog.steps[0].pressure, 0.5f);
    f.scripted.clock = 5250;
    f.Sample(16, 11, 0);
    EXPECT_EQ(app->stepLog.steps[1].time, 250u);
    EXPECT_EQ(app->stepLog.steps[1].pressure, 0.0f);

    CapturedMessages messages;
    app->stepLog.stepCount = kMaxSteps - 1;
    AppendStep(app);
    EXPECT_EQ(app->stepLog.stepCount, kMaxSteps); // the 200000th is kept
    EXPECT_TRUE(messages.texts().empty());
    AppendStep(app);
    EXPECT_EQ(app->stepLog.stepCount, kMaxSteps);
    ASSERT_EQ(messages.texts().size(), 1u);
    EXPECT_EQ(messages.texts()[0], u"Step buffer is full.");
    // Drawing goes on without a box for every further segment; once the log
    // had room again, a full log is reported again.
    AppendStep(app);
    AppendStep(app);
    EXPECT_EQ(messages.texts().size(), 1u);
    app->stepLog.stepCount = 0;
    AppendStep(app);
    app->stepLog.stepCount = kMaxSteps;
    AppendStep(app);
    EXPECT_EQ(messages.texts().size(), 2u);
}

TEST(StepRecorder, AMouseStrokeRecordsFullPressureAndAFinalZero) {
    Fixture f;
    AppState* app = f.app.get();
    app->settings.recordStep = 1;
    const int32_t full = static_cast<int32_t>(app->stroke.maxPressure); // the mouse's pressure
    f.Sample(10, 10, 0);
    for (int i = 1; i <= 5; ++i) f.Sample(10 + 3 * i, 10, full);
    f.Sample(30, 10, 0);
    const StepLog& log = app->stepLog;
    ASSERT_EQ(log.stepCount, 6);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(log.steps[i].pressure, 1.0f);
    EXPECT_EQ(log.steps[5].pressure, 0.0f);
}

TEST(StepRecorder, APenLiftedWhilePanningStillEndsTheRecordedStroke) {
    Fixture f;
    AppState* app = f.app.get();
    app->settings.recordStep = 1;
    f.Sample(10, 10, 0);
    f.Sample(12, 10, 1024);
    f.Sample(14, 10, 1024);
    app->panKeyDown = 1; // the lift is stored but not drawn
    f.Sample(14, 10, 0);
    app->panKeyDown = 0;
    const int32_t before = app->stepLog.stepCount;
    ASSERT_GT(app->stepLog.steps[before - 1].pressure, 0.0f);
    f.Sample(300, 300, 1024); // a new stroke elsewhere
    ASSERT_EQ(app->stepLog.stepCount, before + 2);
    EXPECT_EQ(app->stepLog.steps[before].pressure, 0.0f); // pen up at the old place
    EXPECT_EQ(app->stepLog.steps[before].x, 14);
    EXPECT_EQ(app->stepLog.steps[before + 1].x, 300);
}

TEST(ScreenToCanvas, InvertsCanvasToClientInBothSets) {
    Fixture f;
    ViewState* view = &f.app->viewHost.view;
    const Point origin{37, 21};
    for (int32_t freeSet = 0; freeSet <= 1; ++freeSet) {
        for (float angle : {0.0f, 90.0f, 180.0f, 270.0f, 30.0f}) {
            if (!freeSet && angle == 30.0f) continue;
            for (int32_t mirror = 0; mirror <= 1; ++mirror) {
                for (float scale : {1.0f, 2.0f, 8.0f}) {
                    view->scale = scale;
                    view->rotation = angle;
                    view->mirror = mirror;
                    view->originX = 13;
                    view->originY = -7;
                    InstallTransforms(view, freeSet);
                    for (int32_t cx : {0, 123, 500, 999}) {
                        for (int32_t cy : {0, 77, 799}) {
                            int32_t x = cx, y = cy;
                            view->transforms.canvasToClient(view->canvas, view, &x, &y);
                            // That client pixel in screen sixteenths.
                            int32_t sx = (x + origin.x) * 16, sy = (y + origin.y) * 16;
                            if (freeSet)
                                ScreenToCanvasFree(view, origin, &sx, &sy);
                            else
                                ScreenToCanvasRightAngle(view, origin, &sx, &sy);
                            const int32_t tolerance = static_cast<int32_t>(scale) + 2;
                            EXPECT_NEAR(sx, cx, tolerance)
                                << freeSet << " " << angle << " " << mirror << " " << scale;
                            EXPECT_NEAR(sy, cy, tolerance)
                                << freeSet << " " << angle << " " << mirror << " " << scale;
                        }
                    }
                }
            }
        }
    }
}
