#include <gtest/gtest.h>

#include <filesystem>

#include "canvas/png_file.h"
#include "settings/settings.h"
#include "tests/core/png_test_files.h"
#include "tests/core/test_support.h"

using namespace pngtest;

namespace {

class PngFileTest : public ::testing::Test {
  protected:
    void SetUp() override { dir_ = MakeTempDir(); }
    void TearDown() override { RemoveTree(dir_); }

    std::string PathOf(const std::string& name) const {
        return (std::filesystem::path(dir_) / std::filesystem::u8path(name)).u8string();
    }
    static std::u16string Wide(const std::string& path) { return Utf8ToUtf16(path); }

    int32_t Write(const std::string& path, const TestImage& image, const StepLog* log) const {
        return WritePngFile(Wide(path).c_str(), &image.header, image.palette.data(),
                            image.bits.data(), log);
    }

    std::string dir_;
};

void ExpectSamePixels(const TestImage& image, const DibSurface* surface) {
    const int32_t width = image.header.biWidth, height = image.header.biHeight;
    const int32_t bitCount = image.header.biBitCount;
    ASSERT_EQ(surface->header.biWidth, width);
    ASSERT_EQ(surface->header.biHeight, height);
    ASSERT_EQ(surface->header.biBitCount, bitCount);
    ASSERT_EQ(DibSurfaceStride(surface), image.stride);
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            uint32_t want = DibPixel(image.bits.data(), image.stride, height, bitCount, x, y);
            uint32_t got = DibPixel(surface->bits, image.stride, height, bitCount, x, y);
            if (want != got) {
                ADD_FAILURE() << "pixel " << x << "," << y << ": " << got << " != " << want;
                return;
            }
        }
    }
}

void ExpectSameTable(const std::vector<RgbQuad>& want, const DibSurface* surface) {
    for (size_t i = 0; i < 256; ++i) {
        RgbQuad expected = i < want.size() ? want[i] : RgbQuad{0, 0, 0, 0};
        EXPECT_EQ(std::memcmp(&surface->palette[i], &expected, 4), 0) << "entry " << i;
    }
}

} // namespace

TEST_F(PngFileTest, RoundTripKeepsPixelsTableAndLog) {
    // Widths around byte and word boundaries, at every bit count the writer takes.
    const int32_t widths[] = {1, 7, 8, 9, 31, 33, 100, 1001};
    const int32_t heights[] = {1, 2, 17};
    const int32_t stepCounts[] = {0, 1, 3, 250};
    int round = 0;
    for (int32_t bitCount : {1, 4, 8}) {
        for (int32_t width : widths) {
            for (int32_t height : heights) {
                SCOPED_TRACE(testing::Message() << bitCount << " bit " << width << "x" << height);
                const int32_t steps = stepCounts[round++ % 4];
                TestImage image = MakeTestImage(width, height, bitCount);
                auto log = MakeStepLog(steps);
                std::string path = PathOf("round.png");
                ASSERT_EQ(Write(path, image, log.get()), kPngWritten);

                auto read = MakeStepLog(0, 0xEE);
                DibSurface* surface = ReadPngFile(Wide(path).c_str(), read.get());
                ASSERT_NE(surface, nullptr);
                ExpectSamePixels(image, surface);
                ExpectSameTable(image.palette, surface);
                const size_t logBytes = (static_cast<size_t>(steps) + 1) * 16;
                EXPECT_EQ(LogBytes(read.get(), logBytes), LogBytes(log.get(), logBytes));
                // Nothing past the recorded steps is touched.
                EXPECT_EQ(LogBytes(read.get(), logBytes + 16).back(), 0xEE);
                ReleaseDibSurface(&surface);
            }
        }
    }
}

TEST_F(PngFileTest, FullLogAndWidePathRoundTrip) {
    TestImage image = MakeTestImage(64, 3, 1);
    auto log = MakeStepLog(kMaxSteps);
    std::string path = PathOf(u8"bild-\u00fc-\u65e5\u672c.png");
    ASSERT_EQ(Write(path, image, log.get()), kPngWritten);
    ASSERT_TRUE(std::filesystem::exists(std::filesystem::u8path(path)));
    auto read = MakeStepLog(0);
    DibSurface* surface = ReadPngFile(Wide(path).c_str(), read.get());
    ASSERT_NE(surface, nullptr);
    EXPECT_EQ(std::memcmp(read.get(), log.get(), sizeof(StepLog)), 0);
    ReleaseDibSurface(&surface);
}

TEST_F(PngFileTest, FileWithoutRecordingLeavesLogAlone) {
    TestImage image = MakeTestImage(40, 5, 1);
    std::string path = PathOf("plain.png");
    ASSERT_EQ(Write(path, image, nullptr), kPngWritten);
    auto read = MakeStepLog(0);
    auto before = LogBytes(read.get(), 64);
    DibSurface* surface = ReadPngFile(Wide(path).c_str(), read.get());
    ASSERT_NE(surface, nullptr);
    ExpectSamePixels(image, surface);
    EXPECT_EQ(read->stepCount, 0);
    EXPECT_EQ(LogBytes(read.get(), 64), before);
    ReleaseDibSurface(&surface);
}

TEST_F(PngFileTest, WriterResultCodes) {
    TestImage image = MakeTestImage(16, 4, 1);
    auto log = MakeStepLog(2);
    EXPECT_EQ(Write(PathOf("missing-folder/x.png"), image, log.get()), kPngCannotCreateFile);

    // Unusable images and logs are refused before any file exists.
    std::string path = PathOf("refused.png");
    TestImage wrongDepth = image;
    wrongDepth.header.biBitCount = 32;
    EXPECT_EQ(Write(path, wrongDepth, log.get()), kPngWriteFailed);
    TestImage topDown = image;
    topDown.header.biHeight = -4;
    EXPECT_EQ(Write(path, topDown, log.get()), kPngWriteFailed);
    for (int32_t count : {-1, kMaxSteps + 1}) {
        auto badLog = MakeStepLog(0);
        badLog->stepCount = count;
        EXPECT_EQ(Write(path, image, badLog.get()), kPngWriteFailed) << count;
    }
    EXPECT_FALSE(std::filesystem::exists(path));

    // Larger than libpng accepts: its error comes back as 4.
    TestImage wide = MakeTestImage(1, 1, 8);
    wide.header.biWidth = 2000000;
    wide.bits.resize(static_cast<size_t>(DibStride(2000000, 8)));
    EXPECT_EQ(Write(path, wide, log.get()), kPngWriteFailed);
}

#ifndef _WIN32
TEST_F(PngFileTest, WriterReportsAFullDisk) {
    // A small file may fail only when the stream is flushed or closed.
    TestImage image = MakeTestImage(16, 4, 1);
    auto log = MakeStepLog(2);
    EXPECT_EQ(Write("/dev/full", image, log.get()), kPngWriteFailed);
    // Enough data to fail inside libpng's own writes.
    TestImage large = MakeTestImage(4000, 400, 8);
    EXPECT_EQ(Write("/dev/full", large, log.get()), kPngWriteFailed);
}
#endif

TEST_F(PngFileTest, NotAPngMissingAndTruncatedFiles) {
    CapturedMessages messages;
    auto log = MakeStepLog(0);
    EXPECT_EQ(ReadPngFile(Wide(PathOf("absent.png")).c_str(), log.get()), nullptr);
    EXPECT_EQ(ReadPngFile(nullptr, log.get()), nullptr);

    std::string text = PathOf("text.png");
    WriteWholeFile(text, std::vector<uint8_t>{'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l'});
    EXPECT_EQ(ReadPngFile(Wide(text).c_str(), log.get()), nullptr);
    std::string tiny = PathOf("tiny.png");
    WriteWholeFile(tiny, std::vector<uint8_t>(kSignature, kSignature + 5));
    EXPECT_EQ(ReadPngFile(Wide(tiny).c_str(), log.get()), nullptr);

    // Every cut of a complete file loses at least part of IEND.
    TestImage image = MakeTestImage(45, 9, 4);
    auto written = MakeStepLog(3);
    std::string whole = PathOf("whole.png");
    ASSERT_EQ(Write(whole, image, written.get()), kPngWritten);
    std::vector<uint8_t> bytes = ReadWholeFile(whole);
    for (size_t cut = 0; cut < bytes.size(); ++cut) {
        EXPECT_EQ(ReadPngMemory(bytes.data(), cut, log.get()), nullptr) << cut;
    }
    std::string truncated = PathOf("truncated.png");
    WriteWholeFile(truncated, std::vector<uint8_t>(bytes.begin(), bytes.begin() + 60));
    EXPECT_EQ(ReadPngFile(Wide(truncated).c_str(), log.get()), nullptr);
    EXPECT_TRUE(messages.texts().empty());
}

TEST(PngRead, DepthsNoSurfaceTakesShowMinusOne) {
    struct Case {
        int depth;
        int colourType;
    };
    for (Case c : {Case{16, PNG_COLOR_TYPE_GRAY}, Case{16, PNG_COLOR_TYPE_RGB},
                   Case{2, PNG_COLOR_TYPE_PALETTE}, Case{2, PNG_COLOR_TYPE_GRAY}}) {
        SCOPED_TRACE(testing::Message() << c.depth << " bit, type " << c.colourType);
        std::vector<uint8_t> bytes = MakeRawPng(PatternedRawPng(9, 4, c.depth, c.colourType, 0));
        ASSERT_FALSE(bytes.empty());
        CapturedMessages messages;
        auto log = MakeStepLog(0);
        EXPECT_EQ(ReadPngMemory(bytes.data(), bytes.size(), log.get()), nullptr);
        ASSERT_EQ(messages.texts().size(), 1u);
        EXPECT_EQ(messages.texts()[0], u"-1");
    }
}

TEST(PngRead, SeveralSamplesPerPixelAreRefusedQuietly) {
    for (int type : {PNG_COLOR_TYPE_RGB, PNG_COLOR_TYPE_RGB_ALPHA, PNG_COLOR_TYPE_GRAY_ALPHA}) {
        std::vector<uint8_t> bytes = MakeRawPng(PatternedRawPng(9, 4, 8, type, 0));
        CapturedMessages messages;
        EXPECT_EQ(ReadPngMemory(bytes.data(), bytes.size(), nullptr), nullptr) << type;
        EXPECT_TRUE(messages.texts().empty());
    }
}

TEST(PngRead, InterlacedAndGreyImagesDecode) {
    struct Case {
        int depth;
        int colourType;
        int interlace;
    };
    for (Case c : {Case{8, PNG_COLOR_TYPE_PALETTE, PNG_INTERLACE_ADAM7},
                   Case{1, PNG_COLOR_TYPE_PALETTE, PNG_INTERLACE_ADAM7},
                   Case{4, PNG_COLOR_TYPE_PALETTE, PNG_INTERLACE_NONE},
                   Case{8, PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_ADAM7},
                   Case{1, PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE}}) {
        SCOPED_TRACE(testing::Message()
                     << c.depth << " bit, type " << c.colourType << ", interlace " << c.interlace);
        RawPng raw = PatternedRawPng(13, 11, c.depth, c.colourType, c.interlace);
        std::vector<uint8_t> bytes = MakeRawPng(raw);
        DibSurface* surface = ReadPngMemory(bytes.data(), bytes.size(), nullptr);
        ASSERT_NE(surface, nullptr);
        ASSERT_EQ(surface->header.biBitCount, c.depth);
        const int32_t stride = DibSurfaceStride(surface);
        for (uint32_t y = 0; y < raw.height; ++y) {
            for (uint32_t x = 0; x < raw.width; ++x) {
                size_t bit = static_cast<size_t>(x) * c.depth;
                uint32_t want =
                    (raw.pixels[y * raw.rowBytes + bit / 8] >> (8 - c.depth - bit % 8)) &
                    ((1u << c.depth) - 1);
                ASSERT_EQ(DibPixel(surface->bits, stride, 11, c.depth, static_cast<int32_t>(x),
                                   static_cast<int32_t>(y)),
                          want)
                    << x << "," << y;
            }
        }
        // Palette entries in order; grey images get an all-black table.
        for (size_t i = 0; i < 256; ++i) {
            RgbQuad want{0, 0, 0, 0};
            if (i < raw.palette.size()) {
                want = RgbQuad{raw.palette[i].blue, raw.palette[i].green, raw.palette[i].red, 0};
            }
            ASSERT_EQ(std::memcmp(&surface->palette[i], &want, 4), 0) << i;
        }
        ReleaseDibSurface(&surface);
    }
}
