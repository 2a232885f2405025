// The recovery journal: a drawing made through the stroke engine, journaled
// to a file and never closed (a crash), comes back bit for bit with its
// recording; a damaged or hostile journal gives a clear outcome.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "engine/brush.h"
#include "engine/pointer_input.h"
#include "engine/refresh_thread.h"
#include "engine/stroke_host.h"
#include "record/recovery_replay.h"
#include "record/undo_history.h"
#include "settings/settings.h"
#include "settings/settings_io.h"
#include "tests/core/drawing_desk.h"
#include "tests/core/playback_fake_host.h"
#include "tests/core/test_support.h"
#include "view/view_paint.h"

namespace {

// What the next start finds: the writer's handle closed, as at the end of a
// process that was killed.
std::string ReadJournalFile() {
    SetJournalPath(std::u16string(JournalPath()));
    std::string bytes;
    EXPECT_EQ(ReadFileBytes(JournalPath(), kMaxJournalBytes, &bytes), 0);
    return bytes;
}

} // namespace

TEST(RecoveryJournal, ADrawingThatWasNeverClosedComesBackWithItsRecording) {
    const std::string dir = MakeTempDir();
    SetJournalPath(Utf8ToUtf16(dir + "/pindora.recovery"));
    std::vector<uint8_t> live;
    std::vector<uint8_t> liveLog;
    {
        Desk desk;
        RestartJournal(960, 720);
        desk.Stroke(100, 100, 30, 9, 700); // recording off: only the journal has it
        desk.app->settings.recordStep = 1;
        desk.Stroke(500, 80, -20, 40, 300);
        desk.app->settings.brushParams[0].penSize = 90; // a pen change
        desk.Stroke(120, 600, 50, -20, 1000);
        desk.app->settings.smoothingRadius = 3;
        desk.Stroke(700, 300, 10, 20, 500);
        live = desk.Bits();
        const StepLog& log = desk.app->stepLog;
        ASSERT_GT(log.stepCount, 20);
        const auto* begin = reinterpret_cast<const uint8_t*>(&log);
        liveLog.assign(begin, begin + (static_cast<size_t>(log.stepCount) + 1) * 16);
        // No close, no flush: every pen-up has been written through.
    }
    JournalContent content;
    ASSERT_TRUE(ParseJournal(ReadJournalFile(), &content));
    EXPECT_TRUE(content.HasUnsavedDrawing());
    Desk fresh;
    fresh.app->settings.brushParams[0].penSize = 5;
    ASSERT_EQ(ReplayJournal(fresh.app.get(), content), 0);
    EXPECT_EQ(fresh.app->canvas.image.width, 960);
    EXPECT_TRUE(fresh.Bits() == live);
    const auto* begin = reinterpret_cast<const uint8_t*>(&fresh.app->stepLog);
    EXPECT_EQ(std::vector<uint8_t>(begin, begin + liveLog.size()), liveLog);
    EXPECT_EQ(fresh.app->settings.brushParams[0].penSize, 90);
    EXPECT_EQ(fresh.app->stroke.maxPressure, 1024u);

    // The journal goes on from the drawing brought back; a save marks it,
    // and a clean close removes it.
    JournalContent again;
    ASSERT_TRUE(ParseJournal(ReadJournalFile(), &again));
    EXPECT_EQ(again.records.size(), content.records.size());
    RestartJournalWith(again);
    MarkJournalSaved(0);
    ASSERT_TRUE(ParseJournal(ReadJournalFile(), &again));
    EXPECT_FALSE(again.HasUnsavedDrawing());
    RemoveJournal();
    std::string none;
    EXPECT_NE(ReadFileBytes(JournalPath(), kMaxJournalBytes, &none), 0);
    SetJournalPath(u"");
    RemoveTree(dir);
}

TEST(RecoveryJournal, HostileJournalsAreRefusedOrCutAtTheFirstBadRecord) {
    auto header = [](int32_t width, int32_t height) {
        std::string bytes("pdJ1\x01\0\0\0", 8);
        bytes.append(reinterpret_cast<const char*>(&width), 4);
        bytes.append(reinterpret_cast<const char*>(&height), 4);
        return bytes;
    };
    auto record = [](uint32_t kind, uint32_t a, int32_t x, int32_t y, float pressure) {
        std::string bytes(reinterpret_cast<const char*>(&kind), 4);
        bytes.append(reinterpret_cast<const char*>(&a), 4);
        bytes.append(reinterpret_cast<const char*>(&x), 4);
        bytes.append(reinterpret_cast<const char*>(&y), 4);
        bytes.append(reinterpret_cast<const char*>(&pressure), 4);
        return bytes;
    };
    JournalContent content;
    EXPECT_FALSE(ParseJournal("", &content));
    EXPECT_FALSE(ParseJournal(header(0, 0), &content));
    EXPECT_FALSE(ParseJournal(header(70000, 10), &content));
    std::string wrong = header(10, 10);
    wrong[0] = 'x';
    EXPECT_FALSE(ParseJournal(wrong, &content));

    const std::string good = record(kJournalDrawn, 0, 5, 5, 1.0f);
    const std::string cases[] = {
        record(kJournalDrawn, 0, 5, 5, std::nanf("")), record(kJournalDrawn, 0, 5, 5, -1.0f),
        record(kJournalDrawn, 0, 1 << 30, 5, 1.0f),    record(77, 0, 0, 0, 0.0f),
        record(kJournalPen, 0x7FFFFFFF, 50, 1024, 0),  record(kJournalLogStart, 0, 0, 0, 0.0f),
        record(kJournalUndo, 0, 5, 0, 0.0f),           record(kJournalRedo, 1, 0, 0, 0.0f)};
    for (const std::string& bad : cases) {
        ASSERT_TRUE(ParseJournal(header(10, 10) + good + bad + good, &content));
        EXPECT_EQ(content.records.size(), 1u);
    }
    // A record cut short by the crash is left out.
    ASSERT_TRUE(ParseJournal(header(10, 10) + good + good.substr(0, 19), &content));
    EXPECT_EQ(content.records.size(), 1u);
    ASSERT_TRUE(ParseJournal(header(10, 10) + good + record(kJournalSaved, 0, 0, 0, 0), &content));
    EXPECT_FALSE(content.HasUnsavedDrawing());
}

TEST(RecoveryJournal, StrokesTakenBackStayOutOfARecoveredDrawing) {
    const std::string dir = MakeTempDir();
    SetJournalPath(Utf8ToUtf16(dir + "/pindora.recovery"));
    std::vector<uint8_t> live;
    std::vector<Step> liveSteps;
    {
        Desk desk;
        ClearUndoHistory();
        RestartJournal(960, 720);
        desk.app->settings.recordStep = 1;
        desk.Stroke(100, 100, 30, 9, 700);
        desk.Stroke(500, 80, -20, 40, 300);
        desk.app->settings.brushParams[0].penSize = 90; // a pen change in a stroke taken back
        desk.Stroke(120, 600, 50, -20, 1000);
        ASSERT_TRUE(UndoStroke(desk.app.get()));
        ASSERT_TRUE(UndoStroke(desk.app.get()));
        ASSERT_TRUE(RedoStroke(desk.app.get()));
        desk.Stroke(700, 300, 10, 20, 500); // drawn with the 90-pixel pen
        ASSERT_TRUE(UndoStroke(desk.app.get()));
        ASSERT_TRUE(RedoStroke(desk.app.get()));
        live = desk.Bits();
        const StepLog& log = desk.app->stepLog;
        liveSteps.assign(log.steps, log.steps + log.stepCount);
        ClearUndoHistory();
    }
    JournalContent content;
    ASSERT_TRUE(ParseJournal(ReadJournalFile(), &content));
    EXPECT_TRUE(content.HasUnsavedDrawing());
    Desk fresh;
    ASSERT_EQ(ReplayJournal(fresh.app.get(), content), 0);
    EXPECT_TRUE(fresh.Bits() == live);
    const StepLog& log = fresh.app->stepLog;
    ASSERT_EQ(log.stepCount, static_cast<int32_t>(liveSteps.size()));
    EXPECT_EQ(std::memcmp(log.steps, liveSteps.data(), liveSteps.size() * sizeof(Step)), 0);
    SetJournalPath(u"");
    RemoveTree(dir);
}
