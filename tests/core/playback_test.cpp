// Playback on a hand-moved clock: batches, delays, pause and resume, the
// pen-down rule, refused logs, the wrapping clock, and the time limit.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <vector>

#include "canvas/canvas.h"
#include "engine/refresh_thread.h"
#include "record/playback.h"
#include "record/playback_schedule.h"
#include "record/playback_steering.h"
#include "tests/core/playback_fake_host.h"
#include "view/view_paint.h"

namespace {

std::vector<PointerSample>* brushFrom = nullptr;
std::vector<PointerSample>* brushTo = nullptr;

// Writes down what each segment was drawn between. The empty rectangle keeps
// the refresh thread out of these tests.
int32_t RecordingBrush(const StrokeEngine* stroke, Canvas*, Rect* segment) {
    brushFrom->push_back(stroke->prevSmoothed);
    brushTo->push_back(stroke->smoothed);
    *segment = Rect{0, 0, 0, 0};
    return 1;
}

struct Rig {
    std::unique_ptr<AppState> app{new AppState()};
    FakeWindowSystem fake;
    FakeHostScope scope{&fake, app.get()};
    std::vector<PointerSample> from, to;

    Rig() {
        brushFrom = &from;
        brushTo = &to;
        InitViewLock(&app->viewHost.view.lock);
        app->settings.speedIndex = 3;
        app->settings.brushParams[0] = BrushParams{20, 50};
        app->stroke.maxPressure = 1024;
        app->stepLog.canvasWidth = 800;
        app->stepLog.canvasHeight = 600;
    }
    ~Rig() {
        StopRefreshThread(app.get());
        ReleaseView(&app->viewHost.view);
        FreeCanvas(&app->canvas);
        DeleteViewLock(&app->viewHost.view.lock);
    }

    void AddStep(uint32_t time, int32_t x, int32_t y, float pressure) {
        StepLog& log = app->stepLog;
        log.steps[log.stepCount++] = Step{time, x, y, pressure};
    }
    // Steps at x = 0, 1, 2, … at the given times, all at full pressure.
    void AddSteps(const std::vector<uint32_t>& times) {
        for (uint32_t time : times) AddStep(time, app->stepLog.stepCount, 0, 1.0f);
    }

    // Starts the playback and swaps in the recording brush.
    void Start() {
        ASSERT_EQ(StartPlayback(app.get()), 0);
        app->canvas.brush = RecordingBrush;
    }
    // Moves the clock on by ms and delivers the tick that timer 2 would.
    void TickAfter(uint32_t ms) {
        fake.milliseconds += ms;
        PlaybackTick(app.get());
    }
    int32_t Drawn() const { return static_cast<int32_t>(to.size()); }
};

} // namespace

TEST(PlaybackSchedule, ArithmeticAndLogChecksAtTheirEdges) {
    EXPECT_EQ(AddElapsed(-5.0, 0xFFFFFFF0u, 0x10u), 27.0); // across the clock's wrap
    EXPECT_EQ(StepDelay(0xFFFFFF00u, 0x100u, 1.0), 512.0);
    EXPECT_EQ(StepDelay(0, 1, 2147483648.0), kLongestDelay); // a pause
    EXPECT_EQ(StepDelay(7, 7, 2147483648.0), 0.0);           // same-time steps still play
    EXPECT_EQ(BatchEndPeriod(-250.9), 250u);
    EXPECT_EQ(BatchEndPeriod(-0.5), 0u);
    EXPECT_EQ(BatchEndPeriod(-1e300), kLongestPeriod);
    EXPECT_TRUE(HoldsPlayableSteps(kMaxSteps));
    EXPECT_TRUE(IsPlayableCanvasSize(65536, 65536)); // 512 MiB of bits
    EXPECT_FALSE(IsPlayableCanvasSize(std::numeric_limits<int32_t>::min(), 1));
}

TEST(PlaybackSchedule, PressuresRoundTripThroughTheRecordedFraction) {
    // The recorder stores pressure / maxPressure in single precision; playback
    // must get the device value back, or replayed strokes change width.
    for (uint32_t max : {1024u, 2047u, 8191u, 32767u, 65536u, 100003u}) {
        for (uint32_t p = 0; p <= max; ++p) {
            float stored = static_cast<float>(p) / static_cast<float>(max);
            ASSERT_EQ(ReplayPressure(stored, max), static_cast<int32_t>(p)) << p << " of " << max;
        }
    }
    EXPECT_EQ(ReplayPressure(std::nanf(""), 1024), 0);
    EXPECT_EQ(ReplayPressure(1e30f, 1024), 1024);
    EXPECT_EQ(static_cast<uint32_t>(ReplayPressure(1.0f, 0xFFFFFFFFu)), 0xFFFFFFFFu);
}

TEST(Playback, StartRebuildsTheCanvasAndArmsTheFirstTick) {
    Rig rig;
    AppState* app = rig.app.get();
    app->settings.timeLimitIndex = 2;
    app->timeLimitSeconds = 0; // fired earlier; the start arms it again
    app->viewHost.view.mirror = 1;
    app->lastTick = 1234;
    rig.AddStep(40, 300, 200, 0.5f);
    rig.AddStep(60, 310, 200, 0.5f);
    ASSERT_EQ(StartPlayback(app), 0);

    EXPECT_EQ(app->canvas.image.width, 800);
    ASSERT_NE(app->canvas.image.bits, nullptr);
    EXPECT_EQ(app->canvas.image.bits[0], 0xFF); // all paper
    EXPECT_EQ(app->viewHost.view.scale, 8.0f);
    EXPECT_EQ(app->viewHost.view.mirror, 0);
    EXPECT_EQ(rig.fake.commands,
              (std::vector<uint16_t>{kZoomTo + 1, kFitToWindow, kSetTimeLimit + 2}));
    EXPECT_EQ(app->timeLimitSeconds, 60);
    EXPECT_EQ(rig.fake.invalidations, 1);
    EXPECT_EQ(app->startTime, rig.fake.seconds);
    // The title still shows the clock; the playing form comes with the next tick.
    EXPECT_EQ(rig.fake.titlesPlaying, std::vector<int32_t>{0});
    EXPECT_EQ(app->stroke.smoothed.x, 300);
    EXPECT_EQ(app->stroke.smoothed.pressure, 0);
    EXPECT_EQ(app->playbackMode, 1);
    EXPECT_EQ(app->stepLog.recordStart, rig.fake.milliseconds);
    EXPECT_EQ(app->lastTick, 0);
    EXPECT_EQ(rig.fake.timers, std::vector<uint32_t>{40});
}

TEST(Playback, RefusedLogsChangeNothing) {
    struct Case {
        int32_t steps, width, height, result, beeps;
    } cases[] = {
        {0, 800, 600, 1, 1},         {-5, 800, 600, 1, 1}, {kMaxSteps + 1, 800, 600, 1, 1},
        {1, 0, 600, 2, 0},           {1, 800, 0, 2, 0},    {1, -800, 600, 2, 0},
        {1, 1 << 20, 1 << 20, 2, 0}, {1, 70000, 2, 2, 0},
    };
    for (const Case& c : cases) {
        Rig rig;
        AppState* app = rig.app.get();
        uint8_t canvasBits[4] = {1, 2, 3, 4};
        app->canvas.image.bits = canvasBits;
        app->stepLog.stepCount = c.steps;
        app->stepLog.canvasWidth = c.width;
        app->stepLog.canvasHeight = c.height;
        EXPECT_EQ(StartPlayback(app), c.result) << c.steps << " " << c.width << "x" << c.height;
        EXPECT_EQ(rig.fake.beeps, c.beeps);
        EXPECT_EQ(app->canvas.image.bits, canvasBits);
        EXPECT_EQ(app->playbackMode, 0);
        EXPECT_TRUE(rig.fake.timers.empty() && rig.fake.commands.empty());
        app->canvas.image.bits = nullptr;
    }
}

TEST(Playback, StepsAtTheSameTimePlayInBatchesOfTenPerCatchUpTick) {
    Rig rig;
    rig.AddSteps(std::vector<uint32_t>(35, 0));
    rig.Start();
    EXPECT_EQ(rig.fake.LastTimer(), 0u);
    const int32_t expected[] = {10, 20, 30};
    for (int32_t drawn : expected) {
        rig.TickAfter(10);
        EXPECT_EQ(rig.Drawn(), drawn);
        EXPECT_EQ(rig.app->playIndex, drawn);
        EXPECT_EQ(rig.fake.LastTimer(), kCatchUpPeriod);
    }
    EXPECT_EQ(rig.fake.beeps, 0);
    rig.TickAfter(10);
    EXPECT_EQ(rig.Drawn(), 35);
    EXPECT_EQ(rig.fake.timerKills, 1);
    EXPECT_EQ(rig.fake.beeps, 1);
    EXPECT_EQ(rig.app->playbackMode, 1);       // finishing does not leave playback mode
    EXPECT_EQ(rig.app->stepLog.stepCount, 35); // and nothing was recorded
}

TEST(Playback, DelaysFollowTheSpeedFactorAndCatchUpWhenLate) {
    Rig rig;
    rig.app->settings.speedIndex = 1; // four times as fast
    rig.AddSteps({0, 1000, 2000, 3000, 4000});
    rig.Start();
    rig.TickAfter(0);
    EXPECT_EQ(rig.Drawn(), 1);
    EXPECT_EQ(rig.fake.LastTimer(), 250u);
    rig.TickAfter(250);
    EXPECT_EQ(rig.Drawn(), 2);
    EXPECT_EQ(rig.fake.LastTimer(), 250u);
    // A tick that comes 40 ms late shortens the next wait by as much.
    rig.TickAfter(290);
    EXPECT_EQ(rig.fake.LastTimer(), 210u);
    // One that comes a whole step late draws two steps at once.
    rig.TickAfter(460);
    EXPECT_EQ(rig.Drawn(), 5);
    EXPECT_EQ(rig.fake.beeps, 1);
}

TEST(Playback, PauseAndResumeDoNotJumpAndOnlyResumingSendsATick) {
    Rig rig;
    std::vector<uint32_t> times;
    for (uint32_t t = 0; t < 2000; t += 100) times.push_back(t);
    rig.AddSteps(times);
    rig.Start();
    rig.TickAfter(0);
    rig.TickAfter(100);
    ASSERT_EQ(rig.Drawn(), 2);
    SetPlaybackSpeed(rig.app.get(), 0);
    EXPECT_EQ(rig.fake.ticksSent, 0);
    // The tick already due draws its step; the next one waits "for ever".
    rig.TickAfter(100);
    EXPECT_EQ(rig.Drawn(), 3);
    EXPECT_EQ(rig.fake.LastTimer(), kLongestPeriod);
    // A minute later, resuming draws the next step at once and then keeps the
    // recorded pace: the paused minute is not made up for.
    rig.fake.milliseconds += 60000;
    SetPlaybackSpeed(rig.app.get(), 3);
    EXPECT_EQ(rig.fake.ticksSent, 1);
    EXPECT_EQ(rig.Drawn(), 4);
    EXPECT_EQ(rig.to.back().x, 3);
    EXPECT_EQ(rig.fake.LastTimer(), 100u);
    // Between running speeds nothing is sent and the clock is left alone.
    const int64_t lastTick = rig.app->lastTick;
    SetPlaybackSpeed(rig.app.get(), 5);
    SetPlaybackSpeed(rig.app.get(), 1);
    EXPECT_EQ(rig.fake.ticksSent, 1);
    EXPECT_EQ(rig.app->lastTick, lastTick);
}

TEST(Playback, PenDownAfterALiftDrawsOnlyADab) {
    Rig rig;
    rig.AddStep(0, 10, 10, 1.0f);
    rig.AddStep(0, 20, 10, 1.0f);
    rig.AddStep(0, 30, 12, 0.0f); // the lift: one last segment to zero pressure
    rig.AddStep(0, 100, 50, 0.5f);
    rig.AddStep(0, 110, 50, 0.5f);
    rig.Start();
    rig.TickAfter(0);
    ASSERT_EQ(rig.Drawn(), 5);
    // Both pen-downs (the first step and the one after the lift) start where they land.
    for (int i : {0, 3}) {
        EXPECT_EQ(rig.from[i].x, rig.to[i].x) << i;
        EXPECT_EQ(rig.from[i].y, rig.to[i].y) << i;
        EXPECT_EQ(rig.from[i].pressure, rig.to[i].pressure) << i;
    }
    EXPECT_EQ(rig.to[3].pressure, 512);
    // The lift and the step after a pen-down are joined to the step before.
    EXPECT_EQ(rig.from[2].x, 20);
    EXPECT_EQ(rig.from[2].pressure, 1024);
    EXPECT_EQ(rig.from[4].x, 100);
}

TEST(PlaybackSteering, StepDrawsOneStrokeWhilePausedAndFinishDrawsTheRest) {
    Rig rig;
    for (int stroke = 0; stroke < 4; ++stroke) {
        for (int i = 0; i < 4; ++i)
            rig.AddStep(1000 * static_cast<uint32_t>(stroke) + 10 * i, 10 * i, stroke, 1.0f);
        rig.AddStep(1000 * static_cast<uint32_t>(stroke) + 40, 40, stroke, 0.0f);
    }
    rig.Start();
    AppState* app = rig.app.get();
    EXPECT_EQ(StepPlayback(app), 0); // not paused: nothing
    rig.TickAfter(0);
    const int32_t first = rig.Drawn();
    ASSERT_GT(first, 0);
    ASSERT_LT(first, 5);
    SetPlaybackSpeed(app, 0);
    // The rest of the first stroke, then exactly one stroke per command.
    EXPECT_EQ(StepPlayback(app), 5 - first);
    EXPECT_EQ(StepPlayback(app), 5);
    EXPECT_EQ(rig.Drawn(), 10);
    EXPECT_EQ(rig.to.back().pressure, 0);
    EXPECT_EQ(rig.to.back().y, 1);
    EXPECT_EQ(rig.fake.beeps, 0);
    // Finishing draws the rest at once and ends as the last tick would.
    const int killed = rig.fake.timerKills;
    FinishPlayback(app);
    EXPECT_EQ(rig.Drawn(), 20);
    EXPECT_EQ(app->playIndex, 20);
    EXPECT_EQ(rig.fake.beeps, 1);
    EXPECT_EQ(rig.fake.timerKills, killed + 1);
    EXPECT_EQ(app->playbackMode, 1); // the title keeps its playing form
    // Nothing is left: neither command draws or beeps again.
    FinishPlayback(app);
    EXPECT_EQ(StepPlayback(app), 0);
    EXPECT_EQ(rig.Drawn(), 20);
    EXPECT_EQ(rig.fake.beeps, 1);
}

TEST(Playback, TimesAcrossTheClockWrapPlayInOrder) {
    Rig rig;
    rig.fake.milliseconds = 0xFFFFFFC0u; // the tick clock wraps during the playback too
    rig.AddSteps({0xFFFFFF9Cu, 0xFFFFFFCEu, 50u, 150u});
    rig.Start();
    EXPECT_EQ(rig.fake.LastTimer(), kLongestPeriod);
    rig.TickAfter(0);
    EXPECT_EQ(rig.fake.LastTimer(), 50u);
    rig.TickAfter(50);
    EXPECT_EQ(rig.fake.LastTimer(), 100u);
    rig.TickAfter(100);
    EXPECT_EQ(rig.fake.LastTimer(), 100u);
    rig.TickAfter(100);
    ASSERT_EQ(rig.Drawn(), 4);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(rig.to[i].x, i);
    EXPECT_EQ(rig.fake.beeps, 1);
}

TEST(Playback, StrayTicksDrawNothing) {
    Rig rig;
    rig.AddSteps({0, 0, 0});
    // Leaving the pause while no playback runs sends a tick; the recorded
    // log must not be drawn into the live canvas.
    rig.app->settings.speedIndex = 0;
    SetPlaybackSpeed(rig.app.get(), 3);
    EXPECT_EQ(rig.fake.ticksSent, 1);
    EXPECT_EQ(rig.Drawn(), 0);
    // After the end, the same tick draws no step past it.
    rig.Start();
    rig.TickAfter(0);
    ASSERT_EQ(rig.Drawn(), 3);
    rig.app->settings.speedIndex = 0;
    SetPlaybackSpeed(rig.app.get(), 2);
    EXPECT_EQ(rig.Drawn(), 3);
    EXPECT_EQ(rig.fake.beeps, 1);
}

TEST(Playback, WithoutABrushTheStepsAreSkippedInTime) {
    Rig rig;
    rig.AddSteps({0, 30});
    rig.Start();
    rig.app->canvas.brush = nullptr; // another brush index is selected
    rig.TickAfter(0);
    EXPECT_EQ(rig.app->playIndex, 1);
    EXPECT_EQ(rig.fake.LastTimer(), 30u);
    EXPECT_EQ(rig.Drawn(), 0);
}

TEST(Playback, HostileStepsThroughTheRealBrushNeverCrash) {
    Rig rig;
    const float nan = std::nanf(""), inf = std::numeric_limits<float>::infinity();
    const int32_t big = std::numeric_limits<int32_t>::max(),
                  small = std::numeric_limits<int32_t>::min();
    rig.AddStep(0xFFFFFFFFu, big, small, nan);
    rig.AddStep(0, 400, 300, inf);
    rig.AddStep(7, small, big, -inf);
    rig.AddStep(0x80000000u, 400, 300, 1e38f);
    rig.AddStep(3, -1000000, 300, 0.5f);
    rig.AddStep(3, 2000000, 300, 0.5f);
    rig.AddStep(3, 400, 300, -0.0f);
    ASSERT_EQ(StartPlayback(rig.app.get()), 0);
    for (uint32_t max : {1024u, 0u, 0xFFFFFFFFu}) {
        rig.app->stroke.maxPressure = max;
        rig.app->playIndex = 0;
        rig.app->settings.speedIndex = 1;
        for (int guard = 0; guard < 20 && rig.app->playIndex < 7; ++guard) rig.TickAfter(5);
        EXPECT_EQ(rig.app->playIndex, 7);
    }
    WaitForRefreshIdle(rig.app.get());
}

TEST(PlaybackLeave, NewDrawingLeavesPlaybackAndRestartsTheClock) {
    Rig rig;
    rig.AddSteps({0, 0});
    rig.app->settings.timeLimitIndex = 1;
    rig.Start();
    rig.fake.seconds += 90;
    rig.fake.commands.clear();
    LeavePlayback(rig.app.get());
    EXPECT_EQ(rig.app->playbackMode, 0);
    EXPECT_EQ(rig.app->stepLog.stepCount, 0);
    EXPECT_GE(rig.fake.timerKills, 1);
    EXPECT_EQ(rig.fake.commands, std::vector<uint16_t>{kSetTimeLimit + 1});
    EXPECT_EQ(rig.app->timeLimitSeconds, 30);
    EXPECT_EQ(rig.app->startTime, rig.fake.seconds);
    EXPECT_EQ(rig.fake.titlesPlaying.back(), 0);
    // A tick still queued from the playback draws nothing.
    rig.TickAfter(10);
    EXPECT_EQ(rig.Drawn(), 0);
}

TEST(TimeLimit, FiresOnceAtTheFirstTickAtOrAfterTheLimit) {
    Rig rig;
    AppState* app = rig.app.get();
    SetPlaybackTextLoader([](AppState*, uint32_t id) -> const char16_t* {
        return id == kTimeLimitTextId ? u"Time's up" : nullptr;
    });
    SetTimeLimit(app, 1);
    app->startTime = rig.fake.seconds;
    for (int second = 1; second < 30; ++second) {
        ++rig.fake.seconds;
        ClockTick(app);
    }
    EXPECT_EQ(app->elapsedSeconds, 29);
    EXPECT_TRUE(rig.fake.messages.empty());
    ++rig.fake.seconds;
    ClockTick(app);
    ASSERT_EQ(rig.fake.messages.size(), 1u);
    EXPECT_EQ(rig.fake.messages[0], u"Time's up");
    EXPECT_EQ(rig.fake.beeps, 1);
    EXPECT_EQ(app->timeLimitSeconds, 0);
    for (int second = 0; second < 100; ++second) {
        ++rig.fake.seconds;
        ClockTick(app);
    }
    EXPECT_EQ(rig.fake.messages.size(), 1u);
    EXPECT_EQ(rig.fake.titlesPlaying.size(), 130u); // the title follows every tick
    // Armed again with less time left than already spent: the next tick fires.
    SetTimeLimit(app, 2);
    ++rig.fake.seconds;
    ClockTick(app);
    EXPECT_EQ(rig.fake.messages.size(), 2u);
}

TEST(TimeLimit, ChoosingALimitKeepsTheClock) {
    Rig rig;
    AppState* app = rig.app.get();
    app->startTime = 1234;
    SetTimeLimit(app, 3);
    SetTimeLimit(app, 3);
    EXPECT_EQ(app->startTime, 1234);
    EXPECT_EQ(app->settings.timeLimitIndex, 3);
    EXPECT_EQ(app->timeLimitSeconds, 180);
    SetTimeLimit(app, 8); // outside the table: no limit
    EXPECT_EQ(app->settings.timeLimitIndex, 0);
    EXPECT_EQ(app->timeLimitSeconds, 0);
    // Without the shell's strings the message still has a text.
    SetTimeLimit(app, 1);
    rig.fake.seconds = app->startTime + 31;
    ClockTick(app);
    ASSERT_EQ(rig.fake.messages.size(), 1u);
    EXPECT_FALSE(rig.fake.messages[0].empty());
}
