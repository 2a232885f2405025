#include <gtest/gtest.h>

#include "canvas/png_file.h"
#include "settings/settings.h"
#include "tests/core/png_test_files.h"
#include "tests/core/test_support.h"

using namespace pngtest;

namespace {

// What the writer made of an image, split into chunks.
std::vector<Chunk> WrittenChunks(const TestImage& image, const StepLog* log) {
    std::string dir = MakeTempDir();
    std::string path = dir + "/layout.png";
    std::vector<Chunk> chunks;
    EXPECT_EQ(WritePngFile(Utf8ToUtf16(path).c_str(), &image.header, image.palette.data(),
                           image.bits.data(), log),
              kPngWritten);
    EXPECT_TRUE(ParseChunks(ReadWholeFile(path), &chunks));
    RemoveTree(dir);
    return chunks;
}

std::vector<uint8_t> StepChunkData(int32_t count, size_t length) {
    auto log = MakeStepLog(count < 0 || count > 100 ? 0 : count);
    std::vector<uint8_t> data = LogBytes(log.get(), std::min<size_t>(length, 16 * 101));
    data.resize(length, 0x11);
    if (length >= 16) std::memcpy(&data[12], &count, 4);
    return data;
}

// Reads PNG bytes into a log filled with a sentinel pattern and tells
// whether the image decoded.
bool ReadInto(const std::vector<uint8_t>& bytes, StepLog* log) {
    DibSurface* surface = ReadPngMemory(bytes.data(), bytes.size(), log);
    bool decoded = surface != nullptr;
    ReleaseDibSurface(&surface);
    return decoded;
}

} // namespace

TEST(PngLayout, ChunksFieldsAndRowsAsWritten) {
    struct Case {
        int32_t width, height, steps;
    };
    for (Case c : {Case{8000, 6000, 0}, Case{1001, 37, 3}, Case{33, 1, 250}}) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
        TestImage image = MakeTestImage(c.width, c.height, 1);
        image.palette[0] = RgbQuad{0x30, 0x20, 0x10, 0}; // drawing colour: red 0x10
        image.palette[1] = RgbQuad{0xF0, 0xE0, 0xD0, 0}; // paper
        auto log = MakeStepLog(c.steps);
        std::vector<Chunk> chunks = WrittenChunks(image, log.get());
        ASSERT_GE(chunks.size(), 5u);

        // IHDR, PLTE, IDAT..., stEp, IEND and nothing else.
        EXPECT_EQ(chunks[0].type, "IHDR");
        EXPECT_EQ(chunks[1].type, "PLTE");
        size_t last = chunks.size() - 1;
        EXPECT_EQ(chunks[last].type, "IEND");
        EXPECT_TRUE(chunks[last].data.empty());
        EXPECT_EQ(chunks[last - 1].type, "stEp");
        std::vector<uint8_t> compressed;
        for (size_t i = 2; i + 1 < last; ++i) {
            ASSERT_EQ(chunks[i].type, "IDAT");
            compressed.insert(compressed.end(), chunks[i].data.begin(), chunks[i].data.end());
        }

        const std::vector<uint8_t>& ihdr = chunks[0].data;
        ASSERT_EQ(ihdr.size(), 13u);
        EXPECT_EQ(BigEndian32(&ihdr[0]), static_cast<uint32_t>(c.width));
        EXPECT_EQ(BigEndian32(&ihdr[4]), static_cast<uint32_t>(c.height));
        EXPECT_EQ(std::vector<uint8_t>(ihdr.begin() + 8, ihdr.end()),
                  (std::vector<uint8_t>{1, 3, 0, 0, 0}));
        EXPECT_EQ(chunks[1].data, (std::vector<uint8_t>{0x10, 0x20, 0x30, 0xD0, 0xE0, 0xF0}));

        const std::vector<uint8_t>& step = chunks[last - 1].data;
        ASSERT_EQ(step.size(), (static_cast<size_t>(c.steps) + 1) * 16);
        EXPECT_EQ(LittleEndian32(&step[12]), static_cast<uint32_t>(c.steps));
        EXPECT_EQ(step, LogBytes(log.get(), step.size()));

        // Filter byte 0, then the DIB's rows from the top down.
        const size_t rowBytes = (static_cast<size_t>(c.width) + 7) / 8;
        std::vector<uint8_t> rows((rowBytes + 1) * static_cast<size_t>(c.height));
        uLongf size = static_cast<uLongf>(rows.size());
        ASSERT_EQ(uncompress(rows.data(), &size, compressed.data(),
                             static_cast<uLong>(compressed.size())),
                  Z_OK);
        ASSERT_EQ(size, rows.size());
        for (int32_t y = 0; y < c.height; ++y) {
            const uint8_t* row = &rows[static_cast<size_t>(y) * (rowBytes + 1)];
            ASSERT_EQ(row[0], 0) << "row " << y;
            const uint8_t* dib = &image.bits[static_cast<size_t>(c.height - 1 - y) * image.stride];
            ASSERT_EQ(std::memcmp(row + 1, dib, rowBytes - 1), 0) << "row " << y;
        }
    }
}

TEST(PngLayout, MalformedRecordingChunksAreIgnored) {
    TestImage image = MakeTestImage(50, 6, 1);
    auto written = MakeStepLog(3);
    std::vector<Chunk> chunks = WrittenChunks(image, written.get());
    const int at = FindChunk(chunks, "stEp");
    ASSERT_GE(at, 0);

    struct Case {
        int32_t count;
        size_t length;
    };
    for (Case c : {Case{-1, 64}, Case{INT32_MIN, 64}, Case{kMaxSteps + 1, 64}, Case{INT32_MAX, 64},
                   Case{3, 63}, Case{4, 64}, Case{kMaxSteps, 64}, Case{0, 15}, Case{0, 0}}) {
        SCOPED_TRACE(testing::Message() << "n " << c.count << ", length " << c.length);
        chunks[static_cast<size_t>(at)].data = StepChunkData(c.count, c.length);
        auto log = MakeStepLog(5, 0xAB);
        auto before = LogBytes(log.get(), 16 * 8);
        EXPECT_TRUE(ReadInto(AssemblePng(chunks), log.get()));
        EXPECT_EQ(LogBytes(log.get(), 16 * 8), before);
    }
}

TEST(PngLayout, RecordingChunkWhereverItStands) {
    TestImage image = MakeTestImage(50, 6, 1);
    auto written = MakeStepLog(3);
    const std::vector<Chunk> chunks = WrittenChunks(image, written.get());
    const size_t at = static_cast<size_t>(FindChunk(chunks, "stEp"));
    const auto want = LogBytes(written.get(), 64);

    // Longer than its steps: the steps are taken, the rest is left.
    std::vector<Chunk> longer = chunks;
    longer[at].data.resize(64 + 7, 0x99);
    auto log = MakeStepLog(0, 0xAB);
    EXPECT_TRUE(ReadInto(AssemblePng(longer), log.get()));
    EXPECT_EQ(LogBytes(log.get(), 64), want);
    EXPECT_EQ(LogBytes(log.get(), 80).back(), 0xAB);

    // Before the image data.
    std::vector<Chunk> early = chunks;
    Chunk step = early[at];
    early.erase(early.begin() + static_cast<ptrdiff_t>(at));
    early.insert(early.begin() + FindChunk(early, "IDAT"), step);
    log = MakeStepLog(0, 0xAB);
    EXPECT_TRUE(ReadInto(AssemblePng(early), log.get()));
    EXPECT_EQ(LogBytes(log.get(), 64), want);

    // Two chunks: a valid later one replaces the first, a broken one does not.
    std::vector<Chunk> twice = early;
    Chunk second{"stEp", StepChunkData(1, 32)};
    twice.insert(twice.end() - 1, second);
    log = MakeStepLog(0, 0xAB);
    EXPECT_TRUE(ReadInto(AssemblePng(twice), log.get()));
    EXPECT_EQ(LogBytes(log.get(), 32), second.data);
    twice[twice.size() - 2].data = StepChunkData(9, 40);
    log = MakeStepLog(0, 0xAB);
    EXPECT_TRUE(ReadInto(AssemblePng(twice), log.get()));
    EXPECT_EQ(LogBytes(log.get(), 64), want);
}

TEST(PngLayout, DamagedAndHostileFilesAreRefused) {
    TestImage image = MakeTestImage(50, 6, 8);
    auto written = MakeStepLog(3);
    const std::vector<Chunk> chunks = WrittenChunks(image, written.get());
    CapturedMessages messages;

    // A critical chunk nobody knows.
    std::vector<Chunk> critical = chunks;
    critical.insert(critical.begin() + 2, Chunk{"QxZz", {1, 2, 3}});
    EXPECT_FALSE(ReadInto(AssemblePng(critical), nullptr));
    // An unknown ancillary chunk is skipped.
    std::vector<Chunk> ancillary = chunks;
    ancillary.insert(ancillary.begin() + 2, Chunk{"qxZz", {1, 2, 3}});
    EXPECT_TRUE(ReadInto(AssemblePng(ancillary), nullptr));

    // Image data that fails its checksum, or runs short.
    std::vector<uint8_t> bytes = AssemblePng(chunks);
    std::vector<uint8_t> damaged = bytes;
    damaged[8 + 25 + 12 + 3 * 256 + 12] ^= 0x40; // a byte of the first IDAT
    EXPECT_FALSE(ReadInto(damaged, nullptr));
    std::vector<Chunk> shortData = chunks;
    const size_t idat = static_cast<size_t>(FindChunk(chunks, "IDAT"));
    shortData[idat].data.resize(shortData[idat].data.size() / 2);
    EXPECT_FALSE(ReadInto(AssemblePng(shortData), nullptr));
    EXPECT_TRUE(messages.texts().empty());

    // Sizes past libpng's limits are refused quietly; sizes within them whose
    // pixels would pass the memory limit get the "-1" message.
    auto sized = [&](uint32_t width, uint32_t height) {
        std::vector<Chunk> big = chunks;
        std::vector<uint8_t> ihdr;
        PutBigEndian32(&ihdr, width);
        PutBigEndian32(&ihdr, height);
        ihdr.insert(ihdr.end(), {8, 3, 0, 0, 0});
        big[0].data = ihdr;
        return AssemblePng(big);
    };
    EXPECT_FALSE(ReadInto(sized(kMaxPngSide + 1, 10), nullptr));
    EXPECT_FALSE(ReadInto(sized(10, 0x7FFFFFFF), nullptr));
    EXPECT_TRUE(messages.texts().empty());
    EXPECT_FALSE(ReadInto(sized(kMaxPngSide, kMaxPngSide), nullptr));
    EXPECT_FALSE(ReadInto(sized(40000, 40000), nullptr));
    EXPECT_EQ(messages.texts(), (std::vector<std::u16string>{u"-1", u"-1"}));
}
