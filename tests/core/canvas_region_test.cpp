#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "base/cpu_features.h"
#include "canvas/canvas_region.h"
#include "canvas/region_turn_quad.h"
#include "canvas/region_turn_strip.h"
#include "canvas/row_flip.h"
#include "canvas/row_flip_stream.h"
#include "tests/core/test_support.h"

namespace {

// A canvas image over a vector, every byte random, padding bits included, so
// stray reads of padding show up as mismatches.
struct TestCanvas {
    std::vector<uint8_t> bytes;
    CanvasImage image{};

    TestCanvas(int32_t width, int32_t height, std::mt19937& random) {
        image.width = width;
        image.height = height;
        image.header = BitmapInfoHeader{40, width, height, 1, 1, 0, 0, 0, 0, 0, 0};
        image.palette[0] = RgbQuad{1, 2, 3, 0};
        image.palette[1] = RgbQuad{250, 251, 252, 0};
        bytes.resize(static_cast<size_t>(CanvasStride(&image)) * height);
        for (uint8_t& byte : bytes) byte = static_cast<uint8_t>(random());
        image.bits = bytes.data();
    }

    int Pixel(int32_t x, int32_t y) const {
        return (CanvasRow(&image, y)[x >> 3] >> (7 - (x & 7))) & 1;
    }
};

int RegionPixel(const CanvasRegion* region, int32_t dx, int32_t dy) {
    int32_t stride = DibStride(region->header.biWidth, 1);
    const uint8_t* row = region->bits + (region->header.biHeight - 1 - dy) * stride;
    return (row[dx >> 3] >> (7 - (dx & 7))) & 1;
}

// The value a source-rectangle pixel takes, by the edge rules: rows below the
// canvas repeat its last row; columns right of it repeat its last column at
// 90 and 270, and only within the partly covered last byte at 0 and 180;
// everything else off the canvas is paper (1).
int SourceValue(const TestCanvas& canvas, int32_t x, int32_t y, int32_t angle) {
    const int32_t width = canvas.image.width, height = canvas.image.height;
    if (x < 0 || y < 0) return 1;
    if (y >= height) y = height - 1;
    if (x >= width) {
        bool straight = angle == 0 || angle == 180;
        if (straight && x >= (width + 7) / 8 * 8) return 1;
        x = width - 1;
    }
    return canvas.Pixel(x, y);
}

// Region pixels by the mapping table, one at a time: rows top-down.
std::vector<std::vector<int>> ReferenceRegion(const TestCanvas& canvas, Rect rect, int32_t mirror,
                                              int32_t angle) {
    const int32_t w = rect.right - rect.left, h = rect.bottom - rect.top;
    const bool quarter = angle == 90 || angle == 270;
    std::vector<std::vector<int>> pixels(quarter ? w : h, std::vector<int>(quarter ? h : w));
    for (int32_t sy = 0; sy < h; ++sy) {
        for (int32_t sx = 0; sx < w; ++sx) {
            int32_t dx = 0, dy = 0;
            switch (mirror * 1000 + angle) {
            case 0:
                dx = sx, dy = sy;
                break;
            case 90:
                dx = sy, dy = w - 1 - sx;
                break;
            case 180:
                dx = w - 1 - sx, dy = h - 1 - sy;
                break;
            case 270:
                dx = h - 1 - sy, dy = sx;
                break;
            case 1000:
                dx = w - 1 - sx, dy = sy;
                break;
            case 1090:
                dx = sy, dy = sx;
                break;
            case 1180:
                dx = sx, dy = h - 1 - sy;
                break;
            case 1270:
                dx = h - 1 - sy, dy = w - 1 - sx;
                break;
            }
            pixels[dy][dx] = SourceValue(canvas, rect.left + sx, rect.top + sy, angle);
        }
    }
    return pixels;
}

// Extracts and compares every region pixel with the reference; returns the
// number of wrong pixels (reporting the first).
int CountMismatches(const TestCanvas& canvas, Rect rect, int32_t mirror, int32_t angle) {
    CanvasRegion* region = ExtractCanvasRegion(&canvas.image, rect, mirror, angle);
    if (!region) {
        ADD_FAILURE() << "no region";
        return -1;
    }
    auto expected = ReferenceRegion(canvas, rect, mirror, angle);
    int mismatches = 0;
    EXPECT_EQ(region->header.biHeight, static_cast<int32_t>(expected.size()));
    EXPECT_EQ(region->header.biWidth, static_cast<int32_t>(expected[0].size()));
    for (size_t dy = 0; dy < expected.size(); ++dy) {
        for (size_t dx = 0; dx < expected[dy].size(); ++dx) {
            int actual = RegionPixel(region, static_cast<int32_t>(dx), static_cast<int32_t>(dy));
            if (actual != expected[dy][dx] && mismatches++ == 0) {
                ADD_FAILURE() << "first wrong pixel (" << dx << ", " << dy << ")";
            }
        }
    }
    ReleaseCanvasRegion(region);
    return mismatches;
}

constexpr int32_t kAngles[] = {0, 90, 180, 270};

void ExpectAllTurnsMatch(const TestCanvas& canvas, Rect rect) {
    for (int32_t mirror = 0; mirror <= 1; ++mirror) {
        for (int32_t angle : kAngles) {
            SCOPED_TRACE(::testing::Message()
                         << "canvas " << canvas.image.width << "x" << canvas.image.height
                         << " rect " << rect.left << "," << rect.top << "," << rect.right << ","
                         << rect.bottom << " mirror " << mirror << " angle " << angle);
            EXPECT_EQ(CountMismatches(canvas, rect, mirror, angle), 0);
        }
    }
}

} // namespace

TEST(CanvasRegion, EveryTurnMatchesThePerPixelReference) {
    std::mt19937 random(20240611);
    // Widths off the byte and word grid, so the canvas edge cuts bytes and words.
    const int32_t sizes[][2] = {{64, 64}, {37, 45}, {100, 70}, {200, 33}, {263, 97}, {1, 1}};
    for (const auto& size : sizes) {
        TestCanvas canvas(size[0], size[1], random);
        const int32_t w = size[0], h = size[1];
        const int32_t right = (w + 31) / 32 * 32, bottom = (h + 31) / 32 * 32;
        const Rect rects[] = {
            {0, 0, right, bottom},               // the whole canvas
            {-64, 0, right, bottom},             // starts left of it
            {0, -32, right, bottom},             // starts above it
            {0, 0, right + 64, bottom},          // reaches right of it
            {0, 0, right, bottom + 96},          // reaches below it
            {-32, -64, right + 32, bottom + 32}, // all four sides
            {0, 0, 32, 32},                      // one word block
        };
        for (const Rect& rect : rects) ExpectAllTurnsMatch(canvas, rect);
    }
}

TEST(CanvasRegion, RandomRectanglesMatchTheReference) {
    std::mt19937 random(77);
    std::uniform_int_distribution<int32_t> size(1, 300);
    for (int trial = 0; trial < 12; ++trial) {
        TestCanvas canvas(size(random), size(random), random);
        const int32_t cellsWide = (canvas.image.width + 31) / 32,
                      cellsHigh = (canvas.image.height + 31) / 32;
        std::uniform_int_distribution<int32_t> column(-2, cellsWide + 1), row(-2, cellsHigh + 1);
        Rect rect{};
        do {
            int32_t a = column(random), b = column(random), c = row(random), d = row(random);
            rect = Rect{32 * std::min(a, b), 32 * std::min(c, d), 32 * std::max(a, b) + 32,
                        32 * std::max(c, d) + 32};
        } while (rect.left >= canvas.image.width || rect.right <= 0 ||
                 rect.top >= canvas.image.height || rect.bottom <= 0);
        ExpectAllTurnsMatch(canvas, rect);
    }
}

TEST(CanvasRegion, WideCanvasMirrorsTheByteAfterTheLastWholeWord) {
    std::mt19937 random(8008);
    TestCanvas canvas(8008, 40, random);
    const Rect rect{0, 0, 8032, 32};
    CanvasRegion* region = ExtractCanvasRegion(&canvas.image, rect, 1, 0);
    ASSERT_NE(region, nullptr);
    int wrong = 0;
    for (int32_t y = 0; y < 32; ++y) {
        for (int32_t x = 0; x < 8008; ++x)
            wrong += RegionPixel(region, 8031 - x, y) != canvas.Pixel(x, y);
        // Beyond the canvas: paper.
        for (int32_t dx = 0; dx < 24; ++dx) wrong += RegionPixel(region, dx, y) != 1;
    }
    EXPECT_EQ(wrong, 0);
    ReleaseCanvasRegion(region);
    // And the same canvas through every other turn, against the reference.
    ExpectAllTurnsMatch(canvas, Rect{0, 0, 8032, 64});
}

// The quarter turns work through the rectangle in groups of bands; a tall
// rectangle takes several, with the canvas edge cutting the last.
TEST(CanvasRegion, TallRectanglesTurnInSeveralPasses) {
    std::mt19937 random(15400);
    TestCanvas canvas(70, 15400, random);
    ExpectAllTurnsMatch(canvas, Rect{0, -64, 96, 15424});
}

// Canvases wide and tall enough for the quarter turns' wide step (256
// pixels by four bands): in whole region rows, and in groups of bands when
// the rectangle starts above the canvas. Then the wide step's forms on
// their own against a plain transpose, stored backwards as at 270 degrees.
TEST(CanvasRegion, WideStepMatchesTheReference) {
    std::mt19937 random(4096);
    TestCanvas canvas(777, 300, random);
    ExpectAllTurnsMatch(canvas, Rect{0, 0, 800, 320});
    ExpectAllTurnsMatch(canvas, Rect{-32, -32, 800, 352});
    // Rows too long for 512 of them in a buffer: narrower tiles of whole rows.
    TestCanvas tall(40, 9300, random);
    ExpectAllTurnsMatch(tall, Rect{0, 0, 64, 9312});

    std::vector<uint8_t> rows(128 * 40);
    for (uint8_t& byte : rows) byte = static_cast<uint8_t>(random());
    const uint8_t* fed[4][32];
    for (int q = 0; q < 128; ++q) fed[q / 32][q % 32] = rows.data() + 40 * ((q * 37) % 128);
    const uint8_t* const* bands[4] = {fed[0], fed[1], fed[2], fed[3]};
    for (TurnQuadFunction turn : {TurnQuad_Scalar, TurnQuad_Sse2, TurnQuad_Avx2}) {
        if (turn == TurnQuad_Avx2 && !CpuHasAvx2()) continue;
        const ptrdiff_t byteColumn = 5;
        std::vector<uint8_t> out(256 * 20, 0xA5);
        turn(bands, byteColumn, out.data() + 255 * 20 + 2, -20);
        int wrong = 0;
        for (int column = 0; column < 256; ++column) {
            const uint8_t* piece = out.data() + (255 - column) * 20;
            wrong += piece[0] != 0xA5 || piece[1] != 0xA5 || piece[18] != 0xA5;
            for (int q = 0; q < 128; ++q) {
                int pixel = (fed[q / 32][q % 32][byteColumn + column / 8] >> (7 - column % 8)) & 1;
                wrong += ((piece[2 + q / 8] >> (q % 8)) & 1) != pixel;
            }
        }
        EXPECT_EQ(wrong, 0);
    }
}

TEST(CanvasRegion, HeaderAndColoursFollowTheTurn) {
    std::mt19937 random(5);
    TestCanvas canvas(100, 100, random);
    for (int32_t angle : kAngles) {
        CanvasRegion* region = ExtractCanvasRegion(&canvas.image, Rect{0, 0, 64, 32}, 0, angle);
        ASSERT_NE(region, nullptr);
        bool quarter = angle == 90 || angle == 270;
        EXPECT_EQ(region->header.biSize, 40u);
        EXPECT_EQ(region->header.biWidth, quarter ? 32 : 64);
        EXPECT_EQ(region->header.biHeight, quarter ? 64 : 32);
        EXPECT_EQ(region->header.biPlanes, 1);
        EXPECT_EQ(region->header.biBitCount, 1);
        EXPECT_EQ(region->header.biCompression, 0u);
        EXPECT_EQ(region->header.biSizeImage, 0u);
        EXPECT_EQ(region->header.biClrUsed, 0u);
        EXPECT_EQ(std::memcmp(region->palette, canvas.image.palette, sizeof region->palette), 0);
        EXPECT_EQ(ReleaseCanvasRegion(region), 0);
    }
}

TEST(CanvasRegion, PlainCopyAndTranspose) {
    std::mt19937 random(6);
    TestCanvas canvas(96, 96, random);
    CanvasRegion* copy = ExtractCanvasRegion(&canvas.image, Rect{32, 32, 96, 96}, 0, 0);
    ASSERT_NE(copy, nullptr);
    // The region's top row is canvas row 32, stored last (bottom-up).
    EXPECT_EQ(std::memcmp(copy->bits + 63 * 8, CanvasRow(&canvas.image, 32) + 4, 8), 0);
    ReleaseCanvasRegion(copy);

    CanvasRegion* transpose = ExtractCanvasRegion(&canvas.image, Rect{32, 0, 96, 96}, 1, 90);
    ASSERT_NE(transpose, nullptr);
    int wrong = 0;
    for (int32_t dy = 0; dy < 64; ++dy) {
        for (int32_t dx = 0; dx < 96; ++dx)
            wrong += RegionPixel(transpose, dx, dy) != canvas.Pixel(32 + dy, dx);
    }
    EXPECT_EQ(wrong, 0);
    ReleaseCanvasRegion(transpose);
}

TEST(CanvasRegion, RefusedRequestsGiveNoneAndNoMessage) {
    std::mt19937 random(7);
    TestCanvas canvas(100, 64, random);
    CapturedMessages messages;
    const Rect missing[] = {{128, 0, 160, 32}, {-64, 0, 0, 32}, {0, 64, 32, 96}, {0, -32, 32, 0}};
    for (const Rect& rect : missing) {
        for (int32_t angle : kAngles)
            EXPECT_EQ(ExtractCanvasRegion(&canvas.image, rect, 0, angle), nullptr);
    }
    const Rect good{0, 0, 32, 32};
    EXPECT_EQ(ExtractCanvasRegion(&canvas.image, good, 0, 45), nullptr);
    EXPECT_EQ(ExtractCanvasRegion(&canvas.image, Rect{0, 0, 40, 32}, 0, 0),
              nullptr); // off the grid
    EXPECT_EQ(ExtractCanvasRegion(&canvas.image, Rect{32, 0, 0, 32}, 0, 0), nullptr); // empty
    EXPECT_EQ(ExtractCanvasRegion(nullptr, good, 0, 0), nullptr);
    CanvasImage empty{};
    EXPECT_EQ(ExtractCanvasRegion(&empty, good, 0, 0), nullptr);
    // Wider than 32-bit arithmetic can describe.
    EXPECT_EQ(ExtractCanvasRegion(&canvas.image, Rect{INT32_MIN, 0, INT32_MAX - 31, 32}, 0, 0),
              nullptr);
    EXPECT_TRUE(messages.texts().empty());
}

TEST(CanvasRegion, QuarterTurnsOfOtherWindingsAreAccepted) {
    std::mt19937 random(8);
    TestCanvas canvas(64, 64, random);
    const Rect rect{0, 0, 64, 64};
    const int32_t windings[][2] = {{-90, 270}, {360, 0}, {450, 90}, {-180, 180}};
    for (const auto& winding : windings) {
        CanvasRegion* a = ExtractCanvasRegion(&canvas.image, rect, 1, winding[0]);
        CanvasRegion* b = ExtractCanvasRegion(&canvas.image, rect, 1, winding[1]);
        ASSERT_NE(a, nullptr);
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(std::memcmp(a->bits, b->bits, 64 * 64 / 8), 0) << winding[0];
        ReleaseCanvasRegion(a);
        ReleaseCanvasRegion(b);
    }
}

TEST(CanvasRegion, PixelBlockTooLargeShowsItsSize) {
    std::mt19937 random(9);
    TestCanvas canvas(64, 64, random);
    CapturedMessages messages;
    // 2^20 × 2^17 pixels: 16 GiB, more than any region may take.
    EXPECT_EQ(ExtractCanvasRegion(&canvas.image, Rect{0, 0, 1 << 20, 1 << 17}, 0, 90), nullptr);
    ASSERT_EQ(messages.texts().size(), 1u);
    EXPECT_EQ(messages.texts()[0], u"cx:1048576 cy:131072");
}

TEST(CanvasRegion, ReleaseOfNoneReturnsOne) {
    EXPECT_EQ(ReleaseCanvasRegion(nullptr), 1);
}

// The strip turners and row flippers of every instruction set this machine
// has (the portable ones are what other machines use) agree bit for bit
// with a plain transpose and a plain flip.
TEST(CanvasRegion, StripTurnersTransposeBitByBit) {
    std::vector<TurnStripFunction> turners{TurnStrip_Scalar};
    if (CpuHasSse2()) turners.push_back(TurnStrip_Sse2);
    if (CpuHasAvx2()) turners.push_back(TurnStrip_Avx2);
    // The band loops of the same instruction sets, in the same order.
    std::vector<TurnBandsFunction> banders{TurnBands_Scalar};
    if (CpuHasSse2()) banders.push_back(TurnBands_Sse2);
    if (CpuHasAvx2()) banders.push_back(TurnBands_Avx2);
    std::mt19937 random(10);
    std::vector<uint8_t> rows(32 * 16);
    for (int trial = 0; trial < 50; ++trial) {
        for (uint8_t& byte : rows) byte = static_cast<uint8_t>(random());
        const uint8_t* fed[32];
        for (int q = 0; q < 32; ++q) fed[q] = rows.data() + 16 * ((q * 7 + trial) % 32);
        const ptrdiff_t byteColumn = trial % 9;
        uint32_t expected[64];
        for (int column = 0; column < 64; ++column) {
            uint32_t word = 0;
            for (int q = 0; q < 32; ++q) {
                uint8_t byte = fed[q][byteColumn + column / 8];
                word |= static_cast<uint32_t>((byte >> (7 - column % 8)) & 1) << q;
            }
            expected[column] = word;
        }
        for (size_t which = 0; which < turners.size(); ++which) {
            uint32_t words[64];
            // Stored backwards with a negative step, as the mirrored turns do.
            turners[which](fed, byteColumn, reinterpret_cast<uint8_t*>(words + 63), -4);
            for (int column = 0; column < 64; ++column) {
                ASSERT_EQ(words[63 - column], expected[column]) << which << " " << column;
            }
            // The same strip down two bands (the second fed the rows the
            // other way round), the later band's words first as at angle 270.
            const uint8_t* bands[2][32];
            for (int q = 0; q < 32; ++q) {
                bands[0][q] = fed[q];
                bands[1][q] = fed[31 - q];
            }
            uint32_t second[64], pairs[64][2];
            TurnStrip_Scalar(bands[1], byteColumn, reinterpret_cast<uint8_t*>(second), 4);
            banders[which](bands, 2, byteColumn, reinterpret_cast<uint8_t*>(&pairs[0][1]), -4, 8);
            for (int column = 0; column < 64; ++column) {
                ASSERT_TRUE(pairs[column][1] == expected[column] &&
                            pairs[column][0] == second[column])
                    << which << " bands " << column;
            }
        }
    }
}

TEST(CanvasRegion, RowFlippersReverseBitByBit) {
    std::vector<FlipRowBytesFunction> flippers{FlipRowBytes_Scalar};
    if (CpuHasAvx2()) flippers.push_back(FlipRowBytes_Avx2);
    if (CpuHasSsse3()) flippers.push_back(FlipRowBytesStreaming_Ssse3);
    std::mt19937 random(11);
    for (int32_t count = 0; count <= 140; count += 1 + count / 16) {
        std::vector<uint8_t> source(static_cast<size_t>(count));
        for (uint8_t& byte : source) byte = static_cast<uint8_t>(random());
        for (size_t which = 0; which < flippers.size(); ++which) {
            // One guard byte either side shows stores outside the run.
            std::vector<uint8_t> target(static_cast<size_t>(count) + 2, 0xA5);
            flippers[which](source.data(), target.data() + 1 + count, count);
            EXPECT_EQ(target.front(), 0xA5);
            EXPECT_EQ(target.back(), 0xA5);
            for (int32_t x = 0; x < 8 * count; ++x) {
                int from = (source[x / 8] >> (7 - x % 8)) & 1;
                int mirrored = 8 * count - 1 - x;
                int to = (target[1 + mirrored / 8] >> (7 - mirrored % 8)) & 1;
                ASSERT_EQ(to, from) << which << " count " << count << " x " << x;
            }
        }
    }
}
