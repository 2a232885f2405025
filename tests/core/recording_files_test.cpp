// Recordings that come from outside: the one set of canvas limits, the
// reader that takes only the "stEp" chunk, and the checks before playback.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "canvas/canvas_format.h"
#include "canvas/canvas_limits.h"
#include "canvas/png_file.h"
#include "canvas/png_steps.h"
#include "record/playback_schedule.h"
#include "record/recording_check.h"
#include "settings/settings.h"
#include "tests/core/png_test_files.h"
#include "tests/core/test_support.h"

using namespace pngtest;

TEST(RecordingLimits, EveryCanvasTheProgramMakesCanBeSavedReadAndPlayed) {
    for (int32_t client : {1, 640, 8192, 8193, 12000, 1 << 20}) {
        const int32_t side = CanvasSideForClient(client);
        SCOPED_TRACE(side);
        EXPECT_NE(CanvasPixelBytes(side, 8), 0u);
        EXPECT_TRUE(IsPlayableCanvasSize(side, 8));
    }
    // Nothing larger is made, so nothing is recorded that cannot be played.
    EXPECT_EQ(CanvasPixelBytes(kMaxCanvasSide + 1, 8), 0u);
    EXPECT_EQ(CanvasPixelBytes(8, kMaxCanvasSide + 1), 0u);

    // The widest canvas goes through the writer and back through the reader.
    const std::string dir = MakeTempDir();
    const std::u16string path = Utf8ToUtf16(dir + "/wide.png");
    TestImage wide = MakeTestImage(kMaxCanvasSide, 2, 1);
    auto log = MakeStepLog(1);
    ASSERT_EQ(
        WritePngFile(path.c_str(), &wide.header, wide.palette.data(), wide.bits.data(), log.get()),
        kPngWritten);
    DibSurface* surface = ReadPngFile(path.c_str(), nullptr);
    EXPECT_NE(surface, nullptr);
    ReleaseDibSurface(&surface);
    TestImage wider = MakeTestImage(kMaxCanvasSide + 32, 2, 1);
    EXPECT_EQ(WritePngFile(path.c_str(), &wider.header, wider.palette.data(), wider.bits.data(),
                           log.get()),
              kPngWriteFailed);
    RemoveTree(dir);
}

namespace {

// A picture whose header claims 1 000 000 × 8 589 pixels (a gigabyte once
// decoded) and whose image data is not even valid, with a recording after it.
std::vector<uint8_t> HugePictureWithSteps(const StepLog* log) {
    std::vector<Chunk> chunks(4);
    chunks[0].type = "IHDR";
    PutBigEndian32(&chunks[0].data, 1000000);
    PutBigEndian32(&chunks[0].data, 8589);
    chunks[0].data.insert(chunks[0].data.end(), {1, 3, 0, 0, 0});
    chunks[1].type = "IDAT";
    chunks[1].data.assign(5000, 0x55);
    chunks[2].type = "stEp";
    chunks[2].data = LogBytes(log, (static_cast<size_t>(log->stepCount) + 1) * 16);
    chunks[3].type = "IEND";
    return AssemblePng(chunks);
}

} // namespace

TEST(PngSteps, OnlyTheRecordingIsReadAndOnlyAValidOne) {
    auto recorded = MakeStepLog(3);
    const std::vector<uint8_t> file = HugePictureWithSteps(recorded.get());
    auto log = MakeStepLog(0, 0);
    EXPECT_EQ(ReadPngStepsMemory(file.data(), file.size(), log.get()), PngStepsResult::kRecording);
    EXPECT_EQ(LogBytes(log.get(), 64), LogBytes(recorded.get(), 64));

    // A damaged recording, one that claims more steps than it holds, and a
    // broken header leave the log as it was.
    const auto before = LogBytes(log.get(), 64);
    std::vector<Chunk> chunks;
    ASSERT_TRUE(ParseChunks(file, &chunks));
    std::vector<Chunk> damaged = chunks;
    damaged[2].data[20] ^= 1;
    std::vector<uint8_t> bytes = AssemblePng(damaged);
    bytes[bytes.size() - 12 - 4] ^= 1; // the recording's CRC no longer fits
    EXPECT_EQ(ReadPngStepsMemory(bytes.data(), bytes.size(), log.get()),
              PngStepsResult::kNoRecording);
    std::vector<Chunk> overstated = chunks;
    overstated[2].data[12] = 4;
    bytes = AssemblePng(overstated);
    EXPECT_EQ(ReadPngStepsMemory(bytes.data(), bytes.size(), log.get()),
              PngStepsResult::kNoRecording);
    std::vector<Chunk> headless = chunks;
    headless[0].data.resize(12);
    bytes = AssemblePng(headless);
    EXPECT_EQ(ReadPngStepsMemory(bytes.data(), bytes.size(), log.get()), PngStepsResult::kNotAPng);
    EXPECT_EQ(ReadPngStepsMemory(bytes.data(), 7, log.get()), PngStepsResult::kNotAPng);
    EXPECT_EQ(LogBytes(log.get(), 64), before);
}

TEST(RecordingCheck, SaysWhyARecordingCannotBePlayed) {
    auto log = MakeStepLog(2);
    log->canvasWidth = 640;
    log->canvasHeight = 480;
    EXPECT_EQ(RecordingRefusal(log.get()), u"");
    log->canvasWidth = 0;
    EXPECT_NE(RecordingRefusal(log.get()).find(u"0 x 480"), std::u16string::npos);
    log->canvasWidth = kMaxCanvasSide + 1;
    EXPECT_NE(RecordingRefusal(log.get()), u"");
    log->canvasWidth = 640;
    log->stepCount = kMaxSteps + 1;
    EXPECT_NE(RecordingRefusal(log.get()), u"");
}

TEST(PenChunk, OnlyAWellFormedChunkIsTakenAndThePictureStillLoads) {
    const std::string dir = MakeTempDir();
    const std::u16string path = Utf8ToUtf16(dir + "/pens.png");
    TestImage image = MakeTestImage(40, 3, 1);
    auto recorded = MakeStepLog(3);
    std::unique_ptr<PenLog> pens(new PenLog);
    pens->count = 3;
    pens->changes[0] = PenChange{0, 50, 50, 0};
    pens->changes[1] = PenChange{2, 90, 10, kPenErasing};
    pens->changes[2] = PenChange{3, 9, 9, 0}; // after the last step: not written
    ASSERT_EQ(WritePngFile(path.c_str(), &image.header, image.palette.data(), image.bits.data(),
                           recorded.get(), pens.get()),
              kPngWritten);
    std::vector<Chunk> chunks;
    ASSERT_TRUE(ParseChunks(ReadWholeFile(dir + "/pens.png"), &chunks));
    const size_t at = static_cast<size_t>(FindChunk(chunks, "peNs"));
    ASSERT_EQ(chunks[at].data.size(), 4u + 2 * 16u);

    // Each variant: both readers keep the recording; pens only from a good chunk.
    auto expectBytes = [&](const std::vector<uint8_t>& bytes, int32_t penCount) {
        auto log = MakeStepLog(0, 0);
        std::unique_ptr<PenLog> read(new PenLog);
        read->count = 77;
        EXPECT_EQ(ReadPngStepsMemory(bytes.data(), bytes.size(), log.get(), read.get()),
                  PngStepsResult::kRecording);
        EXPECT_EQ(log->stepCount, 3);
        EXPECT_EQ(read->count, penCount);
        if (penCount == 2) {
            EXPECT_EQ(read->changes[1].flags, kPenErasing);
        }
        read->count = 77;
        DibSurface* surface = ReadPngMemory(bytes.data(), bytes.size(), log.get(), read.get());
        EXPECT_NE(surface, nullptr);
        ReleaseDibSurface(&surface);
        EXPECT_EQ(read->count, penCount);
    };
    auto expect = [&](const std::vector<Chunk>& variant, int32_t penCount, const char* what) {
        SCOPED_TRACE(what);
        expectBytes(AssemblePng(variant), penCount);
    };
    expect(chunks, 2, "as written");
    {
        SCOPED_TRACE("its CRC failing");
        std::vector<uint8_t> bytes = AssemblePng(chunks);
        bytes[bytes.size() - 12 - 4 - 12] ^= 1; // the second pen size: still well formed
        expectBytes(bytes, 0);
    }
    auto with = [&](auto change) {
        std::vector<Chunk> variant = chunks;
        change(&variant[at].data);
        return variant;
    };
    expect(with([](std::vector<uint8_t>* d) { d->pop_back(); }), 0, "one byte short");
    expect(with([](std::vector<uint8_t>* d) { d->push_back(0); }), 0, "one byte over");
    expect(with([](std::vector<uint8_t>* d) { d->resize(2); }), 0, "no count");
    expect(with([](std::vector<uint8_t>* d) { (*d)[0] = 0xFF; }), 0, "count past the data");
    expect(with([](std::vector<uint8_t>* d) { (*d)[20] = 3; }), 0, "step past the recording");
    expect(with([](std::vector<uint8_t>* d) { (*d)[20] = 0; }), 0, "steps not increasing");
    expect(with([](std::vector<uint8_t>* d) { (*d)[7] = 0x80; }), 0, "negative step");
    expect(with([](std::vector<uint8_t>* d) { (*d)[32] = 2; }), 0, "unknown flag");
    std::vector<Chunk> moved = chunks; // ahead of the steps it belongs to: still taken
    moved.insert(moved.begin() + FindChunk(moved, "IDAT"), moved[at]);
    moved.erase(moved.begin() + FindChunk(moved, "IEND") - 1);
    expect(moved, 2, "ahead of the image data");
    std::vector<Chunk> none = chunks;
    none.erase(none.begin() + static_cast<std::ptrdiff_t>(at));
    expect(none, 0, "no pen chunk");

    // Without a recording the pen chunk alone changes nothing.
    std::vector<Chunk> alone = chunks;
    alone.erase(alone.begin() + FindChunk(alone, "stEp"));
    const std::vector<uint8_t> bytes = AssemblePng(alone);
    std::unique_ptr<PenLog> kept(new PenLog);
    kept->count = 1;
    auto log = MakeStepLog(0, 0);
    EXPECT_EQ(ReadPngStepsMemory(bytes.data(), bytes.size(), log.get(), kept.get()),
              PngStepsResult::kNoRecording);
    EXPECT_EQ(kept->count, 1);
    RemoveTree(dir);
}
