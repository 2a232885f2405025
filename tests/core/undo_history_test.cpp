// Undo and redo through the real stroke engine and brush: the canvas after
// each step equals the canvas drawn without the strokes taken back, and the
// recording replays to exactly that canvas, also across saves, a dropped
// budget and a stroke taken back while it is being drawn.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "canvas/canvas_tiles.h"
#include "canvas/png_file.h"
#include "canvas/png_steps.h"
#include "record/undo_history.h"
#include "settings/settings.h"
#include "tests/core/drawing_desk.h"
#include "tests/core/test_support.h"

namespace {

struct UndoDesk : Desk {
    explicit UndoDesk(bool recording = true) {
        ClearUndoHistory();
        app->settings.recordStep = recording ? 1 : 0;
    }
    ~UndoDesk() {
        ClearUndoHistory();
        SetUndoBudget(kUndoBudgetBytes);
    }
    // Three crossing strokes, so that each one paints over ink of another.
    void A() { Stroke(100, 100, 50, 30, 700); }
    void B() { Stroke(100, 400, 55, -25, 400); }
    void C() { Stroke(400, 60, 5, 50, 1000); }
    void D() { Stroke(700, 650, -40, -20, 600); }
    // The log played back onto a fresh canvas, to its end.
    std::vector<uint8_t> Replayed() {
        EXPECT_EQ(StartPlayback(app.get()), 0);
        for (int guard = 0; guard < 100000 && app->playIndex < app->stepLog.stepCount; ++guard) {
            fake.milliseconds += fake.LastTimer();
            PlaybackTick(app.get());
        }
        return Bits();
    }
    bool Save(const std::string& path) {
        const CanvasImage& image = app->canvas.image;
        return WritePngFile(Utf8ToUtf16(path).c_str(), &image.header, image.palette, image.bits,
                            &app->stepLog) == 0;
    }
};

// The positions and pressures of the recorded steps (times follow the clock).
std::vector<int64_t> Strokes(const StepLog& log) {
    std::vector<int64_t> out;
    for (int32_t i = 0; i < log.stepCount; ++i)
        out.insert(out.end(), {log.steps[i].x, log.steps[i].y,
                               static_cast<int64_t>(log.steps[i].pressure * 1e6f)});
    return out;
}

} // namespace

TEST(UndoHistory, UndoAndRedoGiveTheCanvasDrawnWithoutTheStrokesTakenBack) {
    for (bool recording : {true, false}) {
        SCOPED_TRACE(recording ? "recording on" : "recording off");
        std::vector<uint8_t> withA, withAB, withABC, withAD;
        std::vector<int64_t> stepsAD;
        {
            UndoDesk reference(recording);
            reference.A();
            reference.D();
            withAD = reference.Bits();
            stepsAD = Strokes(reference.app->stepLog);
        }
        UndoDesk desk(recording);
        AppState* app = desk.app.get();
        const std::vector<uint8_t> blank = desk.Bits();
        EXPECT_FALSE(CanUndo(app));
        desk.A();
        withA = desk.Bits();
        desk.B();
        withAB = desk.Bits();
        desk.C();
        withABC = desk.Bits();
        ASSERT_NE(withAB, withABC);

        EXPECT_TRUE(UndoStroke(app));
        EXPECT_TRUE(desk.Bits() == withAB);
        EXPECT_TRUE(UndoStroke(app));
        EXPECT_TRUE(desk.Bits() == withA);
        EXPECT_TRUE(RedoStroke(app));
        EXPECT_TRUE(desk.Bits() == withAB);
        EXPECT_TRUE(RedoStroke(app));
        EXPECT_TRUE(desk.Bits() == withABC);
        EXPECT_FALSE(RedoStroke(app));
        for (int i = 0; i < 3; ++i) EXPECT_TRUE(UndoStroke(app));
        EXPECT_FALSE(UndoStroke(app));
        EXPECT_TRUE(desk.Bits() == blank);
        EXPECT_EQ(app->stepLog.stepCount, 0);

        // A new stroke after a redo ends the redos: the canvas and the
        // recording are those of A and D alone.
        EXPECT_TRUE(RedoStroke(app));
        desk.D();
        EXPECT_FALSE(CanRedo(app));
        EXPECT_TRUE(desk.Bits() == withAD);
        EXPECT_EQ(Strokes(app->stepLog), stepsAD);
        // Nothing is taken back or put back while a playback owns the canvas.
        app->playbackMode = 1;
        EXPECT_FALSE(CanUndo(app));
        EXPECT_FALSE(UndoStroke(app));
        app->playbackMode = 0;
    }
}

TEST(UndoHistory, SavedRecordingsReplayTheCanvasAsItStoodAtEachSave) {
    const std::string dir = MakeTempDir();
    std::vector<uint8_t> withA, live;
    {
        UndoDesk desk;
        desk.A();
        withA = desk.Bits();
        desk.B();
        ASSERT_TRUE(desk.Save(dir + "/both.png"));
        ASSERT_TRUE(UndoStroke(desk.app.get()));
        ASSERT_TRUE(desk.Save(dir + "/undone.png")); // a save after undo: A alone
        ASSERT_TRUE(RedoStroke(desk.app.get()));
        ASSERT_TRUE(UndoStroke(desk.app.get()));
        desk.C();
        ASSERT_TRUE(UndoStroke(desk.app.get()));
        ASSERT_TRUE(RedoStroke(desk.app.get()));
        desk.D();
        live = desk.Bits();
        ASSERT_TRUE(desk.Save(dir + "/last.png"));
    }
    const struct {
        const char* file;
        const std::vector<uint8_t>* canvas;
    } saves[] = {{"/undone.png", &withA}, {"/last.png", &live}};
    for (const auto& save : saves) {
        SCOPED_TRACE(save.file);
        UndoDesk fresh;
        ASSERT_EQ(ReadPngSteps(Utf8ToUtf16(dir + save.file).c_str(), &fresh.app->stepLog),
                  PngStepsResult::kRecording);
        EXPECT_TRUE(fresh.Replayed() == *save.canvas);
    }
    RemoveTree(dir);
}

TEST(UndoHistory, TheOldestStrokesGoWhenTheBudgetIsOutgrown) {
    {
        UndoDesk desk;
        AppState* app = desk.app.get();
        desk.A();
        const std::vector<uint8_t> withA = desk.Bits();
        desk.B();
        // One byte short of keeping both: A, the older, goes.
        SetUndoBudget(UndoHistoryBytes() - 1);
        EXPECT_TRUE(UndoStroke(app));
        EXPECT_TRUE(desk.Bits() == withA);
        EXPECT_FALSE(UndoStroke(app));
        EXPECT_TRUE(desk.Bits() == withA);
        EXPECT_TRUE(desk.Replayed() == withA);
    }
    // With no budget at all nothing is kept, and drawing goes on.
    UndoDesk bare;
    SetUndoBudget(0);
    const std::vector<uint8_t> blank = bare.Bits();
    bare.A();
    EXPECT_FALSE(CanUndo(bare.app.get()));
    EXPECT_FALSE(UndoStroke(bare.app.get()));
    EXPECT_EQ(UndoHistoryBytes(), 0u);
    EXPECT_NE(bare.Bits(), blank);
}

TEST(UndoHistory, AStrokeTakenBackWhileDrawnStopsDrawingUntilThePenLifts) {
    UndoDesk desk;
    AppState* app = desk.app.get();
    desk.A();
    const std::vector<uint8_t> withA = desk.Bits();
    PointerSample sample{};
    auto at = [&](int32_t x, int32_t y, int32_t pressure) {
        desk.fake.milliseconds += 7;
        sample.x = 2 * x;
        sample.y = 2 * y;
        sample.pressure = pressure;
        HandlePointerSample(app, &sample);
    };
    at(50, 500, 0);
    for (int i = 1; i < 6; ++i) at(50 + 60 * i, 500, 800);
    ASSERT_TRUE(desk.Bits() != withA);
    EXPECT_TRUE(UndoStroke(app));
    EXPECT_TRUE(desk.Bits() == withA);
    for (int i = 6; i < 10; ++i) at(50 + 60 * i, 500, 800); // still pressing
    at(650, 500, 0);
    EXPECT_TRUE(desk.Bits() == withA);
    desk.B();
    const std::vector<uint8_t> live = desk.Bits();
    EXPECT_TRUE(desk.Replayed() == live);
}

TEST(UndoHistory, KeptTilesRestoreTheEdgesOfACanvasOfAnyWidth) {
    // 8008 pixels: the last tile column holds 56 pixels in 4 of its 8 bytes.
    for (int32_t width : {8008, 130, 64}) {
        SCOPED_TRACE(width);
        Settings settings{};
        Canvas canvas{};
        ASSERT_EQ(CreateCanvas(&canvas, &settings, width, 70), 0);
        CanvasImage& image = canvas.image;
        const size_t size = static_cast<size_t>(CanvasStride(&image)) * 70;
        for (size_t i = 0; i < size; ++i) image.bits[i] = static_cast<uint8_t>(i * 37 + i / 7);
        const std::vector<uint8_t> before(image.bits, image.bits + size);
        TileStamps stamps;
        stamps.Reset(width, 70);
        TileSet kept;
        // Two reaches over the right, top and bottom edges; what they share
        // is kept once. Then the brush's part: every pixel they reach flipped.
        const Rect reaches[] = {{width - 70, 30, width + 5, 80}, {width - 100, -4, width - 60, 40}};
        for (const Rect& reach : reaches) stamps.Keep(image, reach, &kept);
        const size_t once = kept.size();
        stamps.Keep(image, reaches[0], &kept);
        EXPECT_EQ(kept.size(), once);
        for (const Rect& reach : reaches)
            for (int32_t y = std::max(reach.top, 0); y < std::min(reach.bottom, 70); ++y)
                for (int32_t x = std::max(reach.left, 0); x < std::min(reach.right, width); ++x)
                    CanvasRow(&image, y)[x >> 3] ^= static_cast<uint8_t>(0x80 >> (x & 7));
        const std::vector<uint8_t> after(image.bits, image.bits + size);
        SwapTiles(&image, &kept);
        EXPECT_TRUE(std::equal(before.begin(), before.end(), image.bits));
        SwapTiles(&image, &kept);
        EXPECT_TRUE(std::equal(after.begin(), after.end(), image.bits));
        const Rect box = TileSetBounds(image, kept);
        EXPECT_EQ(box.right, width);
        EXPECT_EQ(box.bottom, 70);
        FreeCanvas(&canvas);
    }
}
