// A drawing made live through the stroke engine with recording on, played
// back from its log onto a fresh canvas, must come out bit for bit the same.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <sstream>
#include <vector>

#include "canvas/png_file.h"
#include "canvas/png_steps.h"
#include "engine/brush.h"
#include "engine/pointer_input.h"
#include "engine/refresh_thread.h"
#include "engine/stroke_engine.h"
#include "engine/stroke_host.h"
#include "record/pen_changes.h"
#include "record/playback.h"
#include "tests/core/clocked_stroke_host.h"
#include "tests/core/playback_fake_host.h"
#include "tests/core/png_test_files.h"
#include "tests/core/test_support.h"
#include "view/view_paint.h"

namespace {

struct Pen {
    uint32_t maxPressure;
    int32_t penSize;
    int32_t penHardness;
};

// A 960 × 720 canvas shown at scale 8 in a 120 × 90 client, so that a canvas
// pixel is two screen sixteenths.
struct Studio {
    std::unique_ptr<AppState> app{new AppState()};
    FakeWindowSystem fake;
    FakeHostScope scope{&fake, app.get()};
    std::mt19937 random{20240611};

    explicit Studio(const Pen& pen) {
        // One clock for the recorder (stroke host) and playback.
        strokeHostClock = &fake.milliseconds;
        SetStrokeHost(&kClockedStrokeHost);
        ResetOutline();
        AppState* a = app.get();
        InitViewLock(&a->viewHost.view.lock);
        a->settings.brushParams[0] = BrushParams{pen.penSize, pen.penHardness};
        a->settings.speedIndex = 3;
        a->settings.recordStep = 1;
        a->stroke.maxPressure = pen.maxPressure;
        a->stroke.smoothingRadius = &a->settings.smoothingRadius;
        InstallBrush(nullptr, &a->canvas, &a->settings);
        CreateCanvas(&a->canvas, &a->settings, 960, 720);
        fake.client = Point{120, 90};
        InitViewWithClientSize(&a->viewHost, &a->canvas, &a->settings, 120, 90);
    }
    ~Studio() {
        StopRefreshThread(app.get());
        ReleaseView(&app->viewHost.view);
        FreeCanvas(&app->canvas);
        DeleteViewLock(&app->viewHost.view.lock);
        SetStrokeHost(nullptr);
    }

    // A negative altitude is the pen held the other way round (its eraser).
    void Sample(int32_t x, int32_t y, int32_t pressure, int32_t altitude = 550) {
        fake.milliseconds += 3 + random() % 14;
        PointerSample sample{};
        sample.x = 2 * x;
        sample.y = 2 * y;
        sample.pressure = pressure;
        sample.altitude = altitude;
        HandlePointerSample(app.get(), &sample);
    }

    std::vector<uint8_t> CanvasBits() {
        WaitForRefreshIdle(app.get());
        const CanvasImage& image = app->canvas.image;
        const uint8_t* bits = image.bits;
        return std::vector<uint8_t>(bits, bits + static_cast<size_t>(CanvasStride(&image)) *
                                                     static_cast<size_t>(image.height));
    }

    // Draws the scripted picture: pen strokes with rising and falling
    // pressure, hair-thin strokes, a stroke leaving the canvas, pressure past
    // full scale, a mouse stroke, and a random scribble with lifts.
    void DrawScript() {
        const int32_t full = static_cast<int32_t>(app->stroke.maxPressure);
        Sample(100, 100, 0);
        for (int i = 0; i <= 40; ++i) {
            int32_t ramp = i <= 20 ? i : 40 - i;
            Sample(100 + 9 * i, 100 + (i * i) / 8, full * (1 + ramp) / 22);
        }
        Sample(470, 300, 0);
        for (int i = 0; i <= 30; ++i) Sample(500 - 3 * i, 400 + 2 * i, 1 + (full / 40) * (i % 3));
        Sample(400, 470, 0);
        for (int i = 0; i <= 20; ++i) Sample(850 + 8 * i, 600 - 5 * i, full / 2 + full / 3);
        Sample(900, 200, 0);
        Sample(20, 20, 0);
        for (int i = 0; i <= 6; ++i) Sample(20 - 6 * i, 20 + 10 * i, full + full / 3);
        Sample(-20, 90, 0);
        // The mouse: full pressure while the button is down.
        Sample(300, 650, 0);
        for (int i = 0; i <= 25; ++i) Sample(300 + 11 * i, 650 - 7 * i + (i % 4) * 5, full);
        Sample(575, 480, 0);
        // Down again exactly where the last stroke lifted.
        Sample(575, 480, full / 3);
        Sample(600, 500, full / 3);
        Sample(600, 500, 0);
        int32_t x = 480, y = 360;
        for (int i = 0; i < 400; ++i) {
            x += static_cast<int32_t>(random() % 41) - 20;
            y += static_cast<int32_t>(random() % 41) - 20;
            int32_t pressure = random() % 7 == 0 ? 0 : static_cast<int32_t>(random() % (full + 1));
            Sample(x, y, pressure);
        }
        Sample(x, y, 0);
    }

    // Plays the log to its end, delivering each tick when its timer is due.
    void PlayBack() {
        ASSERT_EQ(StartPlayback(app.get()), 0);
        for (int guard = 0; guard < 100000 && app->playIndex < app->stepLog.stepCount; ++guard) {
            fake.milliseconds += fake.LastTimer();
            PlaybackTick(app.get());
        }
        ASSERT_EQ(app->playIndex, app->stepLog.stepCount);
    }
};

std::string FirstDifferences(const std::vector<uint8_t>& live, const std::vector<uint8_t>& played,
                             int32_t stride, int32_t height) {
    std::ostringstream out;
    int reported = 0;
    for (size_t i = 0; i < live.size() && reported < 8; ++i) {
        if (live[i] == played[i]) continue;
        const int32_t row = height - 1 - static_cast<int32_t>(i / static_cast<size_t>(stride));
        const int32_t column = static_cast<int32_t>(i % static_cast<size_t>(stride)) * 8;
        out << "(" << column << ".." << column + 7 << ", " << row << ") live " << int(live[i])
            << " played " << int(played[i]) << "; ";
        ++reported;
    }
    return out.str();
}

} // namespace

TEST(ReplayFidelity, PlaybackRedrawsTheLiveCanvasBitForBit) {
    const Pen pens[] = {{1024, 24, 30}, {8191, 60, 80}, {65536, 3, 50}, {32767, 1, 50}};
    for (const Pen& pen : pens) {
        SCOPED_TRACE(testing::Message() << "maxPressure " << pen.maxPressure << ", pen "
                                        << pen.penSize << "/" << pen.penHardness);
        Studio studio(pen);
        studio.DrawScript();
        const StepLog& log = studio.app->stepLog;
        ASSERT_GT(log.stepCount, 500);
        ASSERT_EQ(log.canvasWidth, 960);
        ASSERT_EQ(log.canvasHeight, 720);
        ASSERT_EQ(log.steps[0].x, 100); // the samples land where the script meant
        const std::vector<uint8_t> live = studio.CanvasBits();
        const int32_t recorded = log.stepCount;

        studio.PlayBack();
        EXPECT_EQ(log.stepCount, recorded); // playback records nothing
        const std::vector<uint8_t> played = studio.CanvasBits();
        ASSERT_EQ(played.size(), live.size());
        EXPECT_TRUE(played == live)
            << FirstDifferences(live, played, CanvasStride(&studio.app->canvas.image), 720);
        EXPECT_TRUE(std::any_of(played.begin(), played.end(),
                                [](uint8_t byte) { return byte != 0xFF; })); // ink was drawn
    }
}

TEST(ReplayFidelity, SmoothedStrokesReplayBitForBitAtEveryRadius) {
    for (int32_t radius : {1, 2, 7}) {
        SCOPED_TRACE(testing::Message() << "smoothing radius " << radius);
        Studio studio(Pen{1024, 24, 30});
        studio.app->settings.smoothingRadius = radius;
        studio.DrawScript();
        const std::vector<uint8_t> live = studio.CanvasBits();
        studio.PlayBack();
        const std::vector<uint8_t> played = studio.CanvasBits();
        EXPECT_TRUE(played == live)
            << FirstDifferences(live, played, CanvasStride(&studio.app->canvas.image), 720);
    }
}

namespace {

size_t InkBytes(const std::vector<uint8_t>& bits) {
    return static_cast<size_t>(
        std::count_if(bits.begin(), bits.end(), [](uint8_t byte) { return byte != 0xFF; }));
}

// A line of samples from (x, y) in n steps of (dx, dy), lifted at both ends.
void Line(Studio* studio, int32_t x, int32_t y, int32_t dx, int32_t dy, int32_t altitude = 550) {
    const int32_t full = static_cast<int32_t>(studio->app->stroke.maxPressure);
    studio->Sample(x, y, 0, altitude);
    for (int i = 0; i <= 24; ++i)
        studio->Sample(x + dx * i, y + dy * i, full * (8 + i % 5) / 12, altitude);
    studio->Sample(x + dx * 24, y + dy * 24, 0, altitude);
}

} // namespace

TEST(ReplayFidelity, PenChangesAndTheEraserReplayExactlyFromTheSavedPicture) {
    Studio live(Pen{1024, 24, 30});
    AppState* app = live.app.get();
    Line(&live, 60, 100, 30, 4);
    for (int i = 0; i < 5; ++i) // Pen larger five times
        app->settings.brushParams[0].penSize = PenLargerSize(app->settings.brushParams[0].penSize);
    Line(&live, 60, 200, 30, 6);
    app->settings.brushParams[0].penHardness = 90;
    Line(&live, 60, 320, 30, -2);
    const size_t inkBeforeErasing = InkBytes(live.CanvasBits());
    app->eraserOn = 1; // the eraser command, across all three strokes
    Line(&live, 200, 60, 4, 12);
    app->eraserOn = 0;
    EXPECT_LT(InkBytes(live.CanvasBits()), inkBeforeErasing);
    Line(&live, 300, 400, 20, 5);
    const size_t inkBeforeTurning = InkBytes(live.CanvasBits());
    Line(&live, 500, 60, 4, 12, -550); // the pen turned over erases too
    EXPECT_LT(InkBytes(live.CanvasBits()), inkBeforeTurning);
    for (int i = 0; i < 8; ++i) // Pen smaller eight times, the last one mid-stroke
        app->settings.brushParams[0].penSize = PenSmallerSize(app->settings.brushParams[0].penSize);
    live.Sample(100, 600, 0);
    for (int i = 0; i < 30; ++i) {
        if (i == 15) app->settings.brushParams[0].penSize = 70;
        live.Sample(100 + 25 * i, 600 - 3 * i, 700);
    }
    live.Sample(850, 510, 0);
    const std::vector<uint8_t> drawn = live.CanvasBits();
    // First pen, larger, harder, eraser, ink, eraser, smaller and ink, mid-stroke.
    ASSERT_EQ(app->penLog.count, 8);

    // Saved, then read back into another program state whose user has a pen
    // of their own; the steps chunk is exactly as without pen changes.
    const std::string dir = MakeTempDir();
    const std::u16string path = Utf8ToUtf16(dir + "/pens.png");
    const CanvasImage& image = app->canvas.image;
    ASSERT_EQ(WritePngFile(path.c_str(), &image.header, image.palette, image.bits, &app->stepLog,
                           &app->penLog),
              kPngWritten);
    std::vector<pngtest::Chunk> chunks;
    ASSERT_TRUE(pngtest::ParseChunks(pngtest::ReadWholeFile(dir + "/pens.png"), &chunks));
    const int steps = pngtest::FindChunk(chunks, "stEp");
    ASSERT_EQ(pngtest::FindChunk(chunks, "peNs"), steps + 1);
    EXPECT_EQ(chunks[static_cast<size_t>(steps)].data,
              pngtest::LogBytes(&app->stepLog, (app->stepLog.stepCount + 1u) * 16));
    EXPECT_EQ(chunks[static_cast<size_t>(steps) + 1].data.size(), 4u + 16u * 8u);

    StopRefreshThread(app); // one refresh thread per process: the replay's comes next
    Studio replay(Pen{1024, 7, 50});
    AppState* other = replay.app.get();
    ASSERT_EQ(ReadPngSteps(path.c_str(), &other->stepLog, &other->penLog),
              PngStepsResult::kRecording);
    replay.PlayBack();
    const std::vector<uint8_t> played = replay.CanvasBits();
    EXPECT_TRUE(played == drawn) << FirstDifferences(drawn, played, CanvasStride(&image), 720);
    // The user's pen is theirs again, drawing ink.
    EXPECT_EQ(other->settings.brushParams[0].penSize, 7);
    EXPECT_EQ(other->settings.brushParams[0].penHardness, 50);
    EXPECT_EQ(other->canvas.brushParams, other->settings.brushParams);
    EXPECT_EQ(other->canvas.erasing, 0);

    // Without its pen changes (an older file) the same steps give another picture.
    other->penLog.count = 0;
    replay.PlayBack();
    EXPECT_FALSE(replay.CanvasBits() == drawn);
    RemoveTree(dir);
}

TEST(PenChanges, UndoCutsThemAndRedoPutsThemBack) {
    Studio studio(Pen{1024, 24, 30});
    AppState* app = studio.app.get();
    Line(&studio, 60, 100, 30, 4);
    const int32_t secondStroke = app->stepLog.stepCount;
    app->settings.brushParams[0].penSize = 80;
    Line(&studio, 60, 200, 30, 6);
    app->eraserOn = 1;
    Line(&studio, 60, 300, 30, 6);
    ASSERT_EQ(app->penLog.count, 3);
    EXPECT_EQ(app->penLog.changes[1].step,
              secondStroke); // a change between strokes holds from the next

    const std::vector<PenChange> removed = PenChangesFrom(&app->penLog, secondStroke);
    DropPenChangesFrom(&app->penLog, secondStroke);
    EXPECT_EQ(app->penLog.count, 1);
    EXPECT_FALSE(RestorePenChanges(&app->penLog, {removed[1], removed[0]})); // out of order
    EXPECT_EQ(app->penLog.count, 1);
    ASSERT_TRUE(RestorePenChanges(&app->penLog, removed));
    EXPECT_EQ(app->penLog.count, 3);
    EXPECT_EQ(app->penLog.changes[2].flags, kPenErasing);
}
