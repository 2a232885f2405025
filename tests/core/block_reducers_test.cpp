#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <thread>
#include <vector>

#include "view/block_reducer_sub_pixel_wide.h"
#include "view/block_reducer_wide.h"
#include "view/block_reducers.h"

namespace {

const RgbQuad kInk{30, 60, 200, 0};
const RgbQuad kPaper{250, 245, 230, 0};

// A 1-bit region on the test's own heap, laid out as ExtractCanvasRegion
// makes them (rows padded to 32 bits, most significant bit leftmost).
struct TestRegion {
    std::vector<uint8_t> bits;
    CanvasRegion region{};
    int32_t stride = 0;

    TestRegion(int32_t width, int32_t height, RgbQuad colour0, RgbQuad colour1) {
        stride = DibStride(width, 1);
        bits.assign(static_cast<size_t>(stride) * height, 0);
        region.bits = bits.data();
        region.header = BitmapInfoHeader{40, width, height, 1, 1, 0, 0, 0, 0, 0, 0};
        region.palette[0] = colour0;
        region.palette[1] = colour1;
    }
    int32_t width() const { return region.header.biWidth; }
    int32_t height() const { return region.header.biHeight; }
    // Row in memory order; columns outside the row repeat its edge column.
    int Bit(int32_t row, int32_t x) const {
        x = std::clamp(x, 0, width() - 1);
        return (bits[static_cast<size_t>(row) * stride + (x >> 3)] >> (7 - (x & 7))) & 1;
    }
    void Set(int32_t row, int32_t x, int value) {
        uint8_t& byte = bits[static_cast<size_t>(row) * stride + (x >> 3)];
        uint8_t mask = static_cast<uint8_t>(0x80 >> (x & 7));
        byte = static_cast<uint8_t>(value ? byte | mask : byte & ~mask);
    }
};

// Random content whose density changes from 8 × 8 cell to cell (empty, full,
// sparse, dense), so block counts cover their whole range; the row padding
// gets random bits too, which no reducer may count.
void FillRandom(TestRegion* r, uint32_t seed) {
    std::mt19937 random(seed);
    for (uint8_t& byte : r->bits) byte = static_cast<uint8_t>(random());
    const double densities[] = {0.0, 1.0, 0.5, 0.1, 0.9, -1.0};
    for (int32_t cy = 0; cy < r->height(); cy += 8)
        for (int32_t cx = 0; cx < r->width(); cx += 8) {
            double p = densities[random() % 6];
            if (p < 0) p = (random() % 1000) / 1000.0;
            for (int32_t y = cy; y < std::min(cy + 8, r->height()); ++y)
                for (int32_t x = cx; x < std::min(cx + 8, r->width()); ++x)
                    r->Set(y, x, (random() % 1000) < p * 1000 ? 1 : 0);
        }
}

int CountWindow(const TestRegion& r, int32_t blockRow, int32_t left, int32_t size) {
    int n = 0;
    for (int32_t y = blockRow * size; y < blockRow * size + size; ++y)
        for (int32_t x = left; x < left + size; ++x) n += r.Bit(y, x);
    return n;
}

int Squeeze(int count) {
    return count >= 128 ? count - 1 : count;
}

std::vector<RgbQuad> Ramp(int32_t n, RgbQuad a, RgbQuad b) {
    std::vector<RgbQuad> table(static_cast<size_t>(n), RgbQuad{0, 0, 0, 0});
    BuildColourRamp(table.data(), n, a, b, 2.2f);
    return table;
}

bool SameColour(RgbQuad a, RgbQuad b) {
    return a.rgbBlue == b.rgbBlue && a.rgbGreen == b.rgbGreen && a.rgbRed == b.rgbRed;
}

uint32_t LevelOf(int32_t block) {
    return block == 16 ? 0 : block == 8 ? 1 : block == 4 ? 2 : 3;
}

int32_t RampLength(int32_t block) {
    return block == 16 ? 256 : block * block + 1;
}

const int32_t kSizes[][2] = {{32, 32}, {96, 48}, {160, 16}, {40, 35}, {72, 64}, {100, 20}};

TEST(ColourRamp, InterpolatesInLinearLight) {
    RgbQuad table[3];
    BuildColourRamp(table, 3, RgbQuad{0, 0, 0, 0}, RgbQuad{255, 255, 255, 0}, 2.2f);
    EXPECT_EQ(table[1].rgbBlue, 186);
    EXPECT_EQ(table[1].rgbGreen, 186);
    EXPECT_EQ(table[1].rgbRed, 186);
}

TEST(ColourRamp, RunsFromATobAndTouchesOnlyItsEntriesColours) {
    std::mt19937 random(11);
    for (int trial = 0; trial < 50; ++trial) {
        RgbQuad a{static_cast<uint8_t>(random()), static_cast<uint8_t>(random()),
                  static_cast<uint8_t>(random()), 0};
        RgbQuad b{static_cast<uint8_t>(random()), static_cast<uint8_t>(random()),
                  static_cast<uint8_t>(random()), 0};
        int32_t n = 2 + static_cast<int32_t>(random() % 255);
        std::vector<RgbQuad> table(260, RgbQuad{1, 2, 3, 0xAB});
        EXPECT_EQ(BuildColourRamp(table.data(), n, a, b, 2.2f), 0);
        EXPECT_TRUE(SameColour(table[0], a));
        EXPECT_TRUE(SameColour(table[static_cast<size_t>(n) - 1], b));
        for (int32_t i = 0; i < 260; ++i) EXPECT_EQ(table[i].rgbReserved, 0xAB);
        EXPECT_TRUE(SameColour(table[static_cast<size_t>(n)], RgbQuad{1, 2, 3, 0}));
        // Each channel moves monotonically from A to B.
        for (int32_t i = 1; i < n; ++i) {
            const RgbQuad &p = table[i - 1], &q = table[i];
            EXPECT_TRUE(a.rgbRed <= b.rgbRed ? p.rgbRed <= q.rgbRed : p.rgbRed >= q.rgbRed);
            EXPECT_TRUE(a.rgbGreen <= b.rgbGreen ? p.rgbGreen <= q.rgbGreen
                                                 : p.rgbGreen >= q.rgbGreen);
            EXPECT_TRUE(a.rgbBlue <= b.rgbBlue ? p.rgbBlue <= q.rgbBlue : p.rgbBlue >= q.rgbBlue);
        }
    }
    RgbQuad one{9, 9, 9, 9};
    BuildColourRamp(&one, 1, kInk, kPaper, 2.2f); // a single entry is colour A
    EXPECT_TRUE(SameColour(one, kInk));
    BuildColourRamp(nullptr, 5, kInk, kPaper, 2.2f);
    BuildColourRamp(&one, -3, kInk, kPaper, 2.2f);
    BuildColourRamp(&one, 1, kInk, kPaper, 0.0f); // nonsense gamma: any colour, no fault
}

TEST(BlockReducers, SelectionByLevel) {
    EXPECT_EQ(SelectBlockReducer(8, 0), nullptr);
    EXPECT_EQ(SelectBlockReducer(8, 1), nullptr);
    EXPECT_EQ(SelectBlockReducer(0xFFFFFFFFu, 0), nullptr);
    const float scales[] = {16, 8, 4, 2, 1, 0.5f, 0.25f, 0.125f};
    for (int32_t i = 0; i < 8; ++i) EXPECT_EQ(ZoomLevelIndex(scales[i]), i);
    EXPECT_EQ(ZoomLevelIndex(3.0f), -1);
    EXPECT_EQ(ZoomLevelIndex(32.0f), -1);
    EXPECT_EQ(ZoomLevelIndex(NAN), -1);
    for (uint32_t level = 0; level < 8; ++level)
        for (int32_t sub = 0; sub < 2; ++sub) ASSERT_NE(SelectBlockReducer(level, sub), nullptr);
    // Sub-pixel output only where blocks are 4 wide or more.
    EXPECT_NE(SelectBlockReducer(2, 1), SelectBlockReducer(2, 0));
    EXPECT_EQ(SelectBlockReducer(3, 1), SelectBlockReducer(3, 0));
    EXPECT_EQ(SelectBlockReducer(4, 1), SelectBlockReducer(7, 0));
}

// Every plain reducer against a pixel-by-pixel count of each block, with and
// without the wide counting loop (where the processor has it). The widths
// cover whole and partial runs of the wide and narrow loops.
TEST(BlockReducers, PlainCountsMatchPixelCounts) {
    uint32_t seed = 100;
    const int32_t sizes[][2] = {{32, 32},  {96, 48},  {160, 16},  {40, 35},
                                {72, 64},  {100, 20}, {512, 32},  {1024, 16},
                                {736, 48}, {800, 16}, {1056, 32}, {1000, 17}};
    for (bool wide : {true, false})
        for (int32_t block : {16, 8, 4, 2})
            for (auto& size : sizes) {
                AllowWideBlockCounts(wide);
                TestRegion r(size[0], size[1], kInk, kPaper);
                FillRandom(&r, ++seed);
                DibSurface* out = SelectBlockReducer(LevelOf(block), 0)(&r.region);
                SCOPED_TRACE(testing::Message() << block << " on " << size[0] << "x" << size[1]
                                                << (wide ? " wide" : " narrow"));
                ASSERT_NE(out, nullptr);
                ASSERT_EQ(out->header.biBitCount, 8);
                ASSERT_EQ(out->header.biWidth, size[0] / block);
                ASSERT_EQ(out->header.biHeight, size[1] / block);
                std::vector<RgbQuad> ramp = Ramp(RampLength(block), kInk, kPaper);
                for (size_t i = 0; i < ramp.size(); ++i)
                    ASSERT_TRUE(SameColour(out->palette[i], ramp[i])) << i;
                int32_t stride = DibSurfaceStride(out);
                for (int32_t k = 0; k < out->header.biHeight; ++k)
                    for (int32_t c = 0; c < out->header.biWidth; ++c) {
                        int count = CountWindow(r, k, c * block, block);
                        int expected = block == 16 ? Squeeze(count) : count;
                        ASSERT_EQ(out->bits[k * stride + c], expected) << "block " << c << "," << k;
                    }
                ReleaseDibSurface(&out);
            }
    AllowWideBlockCounts(true);
}

// Past the ramp the table repeats colour 1, except at 2 × 2 where it is black.
TEST(BlockReducers, ColourTableIsCompletePastTheRamp) {
    for (int32_t block : {8, 4, 2}) {
        TestRegion r(64, 64, kInk, kPaper);
        DibSurface* out = SelectBlockReducer(LevelOf(block), 0)(&r.region);
        ASSERT_NE(out, nullptr);
        RgbQuad fill = block == 2 ? RgbQuad{0, 0, 0, 0} : kPaper;
        for (int32_t i = RampLength(block); i < 256; ++i)
            EXPECT_TRUE(SameColour(out->palette[i], fill)) << block << " entry " << i;
        ReleaseDibSurface(&out);
    }
}

DibSurface* ReduceUniformBlock(int32_t block, int32_t setPixels, uint32_t seed) {
    TestRegion r(32, 32, kInk, kPaper);
    std::vector<int32_t> order(static_cast<size_t>(block * block));
    for (size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int32_t>(i);
    std::shuffle(order.begin(), order.end(), std::mt19937(seed));
    for (int32_t i = 0; i < setPixels; ++i) r.Set(order[i] / block, order[i] % block, 1);
    return SelectBlockReducer(LevelOf(block), 0)(&r.region);
}

TEST(BlockReducers, CountsAtTheLimits) {
    DibSurface* out = ReduceUniformBlock(8, 32, 1);
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(out->bits[0], 32); // entry 32 of 65
    ReleaseDibSurface(&out);
    out = ReduceUniformBlock(16, 256, 2);
    EXPECT_EQ(out->bits[0], 255);
    ReleaseDibSurface(&out);
    out = ReduceUniformBlock(16, 128, 3);
    EXPECT_EQ(out->bits[0], 127);
    ReleaseDibSurface(&out);
    out = ReduceUniformBlock(16, 127, 4);
    EXPECT_EQ(out->bits[0], 127);
    ReleaseDibSurface(&out);
    out = ReduceUniformBlock(2, 4, 5);
    EXPECT_EQ(out->bits[0], 4);
    ReleaseDibSurface(&out);
}

// Sub-pixel reducers against per-pixel counts of the three windows, including
// the row ends, where the edge column stands in for the columns outside.
TEST(BlockReducers, SubPixelCountsMatchPixelCounts) {
    uint32_t seed = 200;
    const int32_t shifts[] = {5, 2, 1};
    const int32_t blocks[] = {16, 8, 4};
    for (int b = 0; b < 3; ++b)
        for (auto& size : kSizes) {
            int32_t block = blocks[b], shift = shifts[b];
            TestRegion r(size[0], size[1], RgbQuad{0, 0, 0, 0}, RgbQuad{255, 255, 255, 0});
            FillRandom(&r, ++seed);
            DibSurface* out = SelectBlockReducer(LevelOf(block), 1)(&r.region);
            SCOPED_TRACE(testing::Message() << block << " on " << size[0] << "x" << size[1]);
            ASSERT_NE(out, nullptr);
            ASSERT_EQ(out->header.biBitCount, 32);
            ASSERT_EQ(out->header.biWidth, size[0] / block);
            ASSERT_EQ(out->header.biHeight, size[1] / block);
            std::vector<RgbQuad> ramp =
                Ramp(RampLength(block), RgbQuad{0, 0, 0, 0}, RgbQuad{255, 255, 255, 0});
            int32_t stride = DibSurfaceStride(out);
            for (int32_t k = 0; k < out->header.biHeight; ++k)
                for (int32_t c = 0; c < out->header.biWidth; ++c) {
                    int counts[3];
                    for (int w = 0; w < 3; ++w) {
                        int n = CountWindow(r, k, c * block + (w - 1) * shift, block);
                        counts[w] = block == 16 ? Squeeze(n) : n;
                    }
                    const uint8_t* pixel = out->bits + k * stride + 4 * c;
                    ASSERT_EQ(pixel[2], ramp[counts[0]].rgbRed) << "block " << c << "," << k;
                    ASSERT_EQ(pixel[1], ramp[counts[1]].rgbGreen) << "block " << c << "," << k;
                    ASSERT_EQ(pixel[0], ramp[counts[2]].rgbBlue) << "block " << c << "," << k;
                    ASSERT_EQ(pixel[3], 0);
                }
            ReleaseDibSurface(&out);
        }
}

// An empty block whose left neighbour is full: red counts the s columns it
// borrows, green and blue nothing — also across a word boundary.
TEST(BlockReducers, SubPixelRedWindowReachesIntoTheLeftNeighbour) {
    const int32_t shifts[] = {5, 2, 1};
    const int32_t blocks[] = {16, 8, 4};
    for (int b = 0; b < 3; ++b) {
        int32_t block = blocks[b], shift = shifts[b];
        for (int32_t left : {0, 32 - block}) { // inside a word, and the word's last block
            TestRegion r(96, 32, RgbQuad{0, 0, 0, 0}, RgbQuad{255, 255, 255, 0});
            for (int32_t y = 0; y < block; ++y)
                for (int32_t x = left; x < left + block; ++x) r.Set(y, x, 1);
            DibSurface* out = SelectBlockReducer(LevelOf(block), 1)(&r.region);
            ASSERT_NE(out, nullptr);
            std::vector<RgbQuad> ramp =
                Ramp(RampLength(block), RgbQuad{0, 0, 0, 0}, RgbQuad{255, 255, 255, 0});
            const uint8_t* pixel = out->bits + 4 * (left / block + 1);
            int red = shift * block;
            EXPECT_EQ(pixel[2], ramp[block == 16 ? Squeeze(red) : red].rgbRed) << block;
            EXPECT_EQ(pixel[1], 0) << block;
            EXPECT_EQ(pixel[0], 0) << block;
            ReleaseDibSurface(&out);
        }
    }
}

TEST(BlockReducers, HighLevelsCopyTheRegion) {
    TestRegion r(72, 40, kInk, kPaper);
    FillRandom(&r, 300);
    for (uint32_t level = 4; level < 8; ++level) {
        DibSurface* out = SelectBlockReducer(level, level % 2)(&r.region);
        ASSERT_NE(out, nullptr);
        EXPECT_EQ(out->header.biBitCount, 1);
        EXPECT_EQ(out->header.biWidth, 72);
        EXPECT_EQ(out->header.biHeight, 40);
        EXPECT_TRUE(SameColour(out->palette[0], kInk));
        EXPECT_TRUE(SameColour(out->palette[1], kPaper));
        EXPECT_EQ(std::memcmp(out->bits, r.bits.data(), r.bits.size()), 0);
        ReleaseDibSurface(&out);
    }
}

// Two threads run the same reducer on regions of different colours; each
// output's table must be the complete ramp of its own region's colours.
TEST(BlockReducers, ConcurrentCallsNeverSeeAHalfBuiltRamp) {
    for (int32_t sub = 0; sub < 2; ++sub) {
        const RgbQuad pairs[2][2] = {{kInk, kPaper}, {RgbQuad{0, 0, 0, 0}, RgbQuad{9, 99, 199, 0}}};
        std::vector<RgbQuad> ramps[2] = {Ramp(65, pairs[0][0], pairs[0][1]),
                                         Ramp(65, pairs[1][0], pairs[1][1])};
        int failures[2] = {0, 0};
        auto run = [&](int which) {
            TestRegion r(64, 32, pairs[which][0], pairs[which][1]);
            for (int32_t x = 0; x < 64; ++x) r.Set(0, x, x % 3 == 0);
            PixelRenderer reduce = SelectBlockReducer(1, sub);
            for (int i = 0; i < 300; ++i) {
                DibSurface* out = reduce(&r.region);
                if (!out) {
                    ++failures[which];
                    continue;
                }
                if (!sub) {
                    for (int e = 0; e < 65; ++e)
                        if (!SameColour(out->palette[e], ramps[which][e])) ++failures[which];
                } else {
                    // Block 0 holds 3 set pixels in its first row: ramp entry 3.
                    if (out->bits[1] != ramps[which][3].rgbGreen) ++failures[which];
                }
                ReleaseDibSurface(&out);
            }
        };
        std::thread other(run, 1);
        run(0);
        other.join();
        EXPECT_EQ(failures[0], 0);
        EXPECT_EQ(failures[1], 0);
    }
}

TEST(BlockReducers, BadRegionsGiveNothing) {
    TestRegion r(32, 32, kInk, kPaper);
    CanvasRegion bad = r.region;
    for (uint32_t level = 0; level < 8; ++level)
        for (int32_t sub = 0; sub < 2; ++sub) {
            PixelRenderer reduce = SelectBlockReducer(level, sub);
            EXPECT_EQ(reduce(nullptr), nullptr);
            bad = r.region;
            bad.bits = nullptr;
            EXPECT_EQ(reduce(&bad), nullptr);
            bad = r.region;
            bad.header.biBitCount = 8;
            EXPECT_EQ(reduce(&bad), nullptr);
            bad = r.region;
            bad.header.biHeight = -32;
            EXPECT_EQ(reduce(&bad), nullptr);
            bad = r.region;
            bad.header.biWidth = 0;
            EXPECT_EQ(reduce(&bad), nullptr);
        }
    // Narrower or lower than one block: no pixels to make.
    TestRegion small(32, 8, kInk, kPaper);
    EXPECT_EQ(SelectBlockReducer(0, 0)(&small.region), nullptr);
    EXPECT_EQ(SelectBlockReducer(0, 1)(&small.region), nullptr);
    DibSurface* out = SelectBlockReducer(1, 0)(&small.region);
    EXPECT_NE(out, nullptr);
    ReleaseDibSurface(&out);
}

} // namespace

// The byte-shuffle kernels of the sub-pixel reducers against their
// word-at-a-time reference, on rows long enough for many kernel steps and a
// ragged rest, with random padding bits.
TEST(BlockReducers, SubPixelKernelsMatchTheWordCounts) {
    uint32_t seed = 900;
    for (int32_t block : {16, 8})
        for (int32_t width : {1024, 1000, 2200 + 13}) {
            TestRegion r(width, 3 * block, kInk, kPaper);
            FillRandom(&r, ++seed);
            AllowWideSubPixelKernels(0);
            DibSurface* reference = SelectBlockReducer(LevelOf(block), 1)(&r.region);
            for (int widest : {1, 2}) {
                AllowWideSubPixelKernels(widest);
                DibSurface* out = SelectBlockReducer(LevelOf(block), 1)(&r.region);
                ASSERT_TRUE(out && reference);
                const size_t bytes =
                    static_cast<size_t>(DibSurfaceStride(out)) * out->header.biHeight;
                EXPECT_EQ(std::memcmp(out->bits, reference->bits, bytes), 0)
                    << block << " on " << width << ", kernels up to " << widest;
                ReleaseDibSurface(&out);
            }
            ReleaseDibSurface(&reference);
        }
}
