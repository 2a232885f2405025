// The row-band passes against a plain pixel-by-pixel model of the pass, on
// random rotations, scales, mirrors, sub-rectangles and band splits.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <memory>
#include <random>
#include <thread>
#include <vector>

#include "canvas/canvas.h"
#include "canvas/dib_surface.h"
#include "worker/count_reciprocals.h"
#include "worker/crossing_masks.h"
#include "worker/row_band.h"
#include "worker/seam_margin.h"
#include "worker/walk_choice.h"

namespace {

// A source canvas, an 8-bit output and the count cells, wired into a band.
struct Scene {
    CanvasImage source{};
    std::vector<uint8_t> sourceBits;
    DibSurface output{};
    std::vector<uint8_t> outputBits;
    std::vector<uint8_t> counts;
    RowBand band{};
};

std::unique_ptr<Scene> MakeScene(int32_t width, int32_t height, std::mt19937& random) {
    auto scene = std::make_unique<Scene>();
    scene->source.width = width;
    scene->source.height = height;
    scene->source.header = BitmapInfoHeader{40, width, height, 1, 1, 0, 0, 0, 0, 0, 0};
    scene->sourceBits.resize(static_cast<size_t>(DibStride(width, 1)) * height);
    // Blocks of paper, of ink and of every density between, so that sums
    // take every value and whole stretches of one colour are common.
    std::uniform_int_distribution<int> percent(0, 99), kind(0, 2);
    int density = 0;
    for (size_t k = 0; k < scene->sourceBits.size(); ++k) {
        if (k % 37 == 0)
            density = kind(random) == 0 ? 0 : kind(random) == 0 ? 100 : percent(random);
        uint8_t byte = 0;
        for (int bit = 0; bit < 8; ++bit)
            byte = static_cast<uint8_t>(byte << 1 | (percent(random) < density));
        scene->sourceBits[k] = byte;
    }
    scene->source.bits = scene->sourceBits.data();
    scene->band.source = &scene->source;
    scene->band.output = &scene->output;
    scene->band.columnEnd = width;
    scene->band.rowEnd = height;
    return scene;
}

// Output of W x H cells whose header may be wider than W (padding).
void SizeOutput(Scene* scene, int32_t W, int32_t H, int32_t headerWidth) {
    scene->band.outWidth = W;
    scene->band.outHeight = H;
    scene->output.header = BitmapInfoHeader{40, headerWidth, H, 1, 8, 0, 0, 0, 0, 0, 0};
    scene->outputBits.assign(static_cast<size_t>(DibStride(headerWidth, 8)) * H, 0);
    scene->output.bits = scene->outputBits.data();
    scene->counts.assign(static_cast<size_t>(W) * H, 0);
    scene->band.counts = scene->counts.data();
}

void ClearCells(Scene* scene) {
    std::fill(scene->outputBits.begin(), scene->outputBits.end(), 0);
    std::fill(scene->counts.begin(), scene->counts.end(), 0);
}

// The steps a renderer derives for a view at this angle and scale.
void SetRotation(RowBand* band, double degrees, double scale, bool mirror) {
    double theta = degrees / 180 * 3.14159265358979;
    band->xPerColumn = static_cast<int32_t>(std::floor(65536 * std::cos(theta) / scale));
    band->yPerColumn = static_cast<int32_t>(std::floor(-65536 * std::sin(theta) / scale));
    band->xPerRow = static_cast<int32_t>(std::floor(65536 * std::sin(theta) / scale));
    band->yPerRow = static_cast<int32_t>(std::floor(65536 * std::cos(theta) / scale));
    if (mirror) {
        band->xPerColumn = -band->xPerColumn;
        band->yPerColumn = -band->yPerColumn;
    }
}

// Sizes the output to hold the band's canvas rectangle and sets the origin so
// it fits, then shifts it by (shiftX, shiftY) cells to push parts outside.
void FitOutput(Scene* scene, int32_t shiftX, int32_t shiftY, int32_t padding) {
    RowBand& b = scene->band;
    int64_t minX = INT64_MAX, maxX = INT64_MIN, minY = INT64_MAX, maxY = INT64_MIN;
    for (int64_t c : {0, b.columnEnd - b.columnBegin - 1}) {
        for (int64_t r : {b.rowBegin - static_cast<int64_t>(b.rowOrigin),
                          b.rowEnd - 1 - static_cast<int64_t>(b.rowOrigin)}) {
            int64_t x = c * b.xPerColumn + r * b.xPerRow, y = c * b.yPerColumn + r * b.yPerRow;
            minX = std::min(minX, x), maxX = std::max(maxX, x);
            minY = std::min(minY, y), maxY = std::max(maxY, y);
        }
    }
    b.xOrigin = static_cast<int32_t>(-minX + shiftX * 65536 + 300);
    b.yOrigin = static_cast<int32_t>(-minY + shiftY * 65536 + 300);
    int32_t W = static_cast<int32_t>((maxX - minX + 300) >> 16) + 1;
    int32_t H = static_cast<int32_t>((maxY - minY + 300) >> 16) + 1;
    SizeOutput(scene, W, H, W + padding);
}

// The pass exactly as defined: pixel by pixel, runs flushed on every change of
// cell, wrapping 16.16 arithmetic, the row start truncated from a double.
int32_t ModelTruncate(double value) {
    if (std::isnan(value) || value <= -2147483649.0 || value >= 2147483648.0) return INT32_MIN;
    return static_cast<int32_t>(value);
}

void ModelAccumulate(const RowBand& b) {
    const BandImage* source = static_cast<const BandImage*>(b.source);
    const BandImage* output = static_cast<const BandImage*>(b.output);
    const int32_t W = b.outWidth, H = b.outHeight;
    const int32_t stride = (output->header.biWidth + 3) & ~3;
    const int32_t words = (source->header.biWidth + 31) >> 5;
    auto inside = [&](int32_t cx, int32_t cy) { return cx >= 0 && cy >= 0 && cx < W && cy < H; };
    auto flush = [&](int32_t cx, int32_t cy, uint32_t count, uint32_t sum) {
        b.counts[cy * W + cx] = static_cast<uint8_t>(b.counts[cy * W + cx] + count);
        uint8_t* cell = output->bits + (H - 1 - cy) * stride + cx;
        *cell = static_cast<uint8_t>(*cell + sum);
    };
    for (int32_t i = b.rowBegin; i < b.rowEnd; ++i) {
        double offset = static_cast<double>(i) - static_cast<double>(b.rowOrigin);
        uint32_t X = static_cast<uint32_t>(ModelTruncate(b.xPerRow * offset + b.xOrigin));
        uint32_t Y = static_cast<uint32_t>(ModelTruncate(b.yPerRow * offset + b.yOrigin));
        int32_t cx = static_cast<int32_t>(X) >> 16, cy = static_cast<int32_t>(Y) >> 16;
        uint32_t count = 0, sum = 0;
        for (int32_t j = b.columnBegin; j < b.columnEnd; ++j) {
            int32_t nx = static_cast<int32_t>(X) >> 16, ny = static_cast<int32_t>(Y) >> 16;
            if (nx != cx || ny != cy) {
                if (inside(cx, cy)) flush(cx, cy, count, sum);
                cx = nx, cy = ny, count = sum = 0;
            }
            if (inside(nx, ny)) {
                uint32_t word;
                std::memcpy(
                    &word,
                    source->bits + 4 * ((source->header.biHeight - 1 - i) * words + (j >> 5)), 4);
                count += 1;
                sum += ((word >> (j & 24)) >> (7 - (j & 7))) & 1;
            }
            X += static_cast<uint32_t>(b.xPerColumn);
            Y += static_cast<uint32_t>(b.yPerColumn);
        }
        if (inside(cx, cy)) flush(cx, cy, count, sum);
    }
}

void ModelNormalise(const RowBand& b) {
    const BandImage* output = static_cast<const BandImage*>(b.output);
    const int32_t stride = (output->header.biWidth + 3) & ~3;
    for (int32_t y = b.rowBegin; y < b.rowEnd; ++y) {
        for (int32_t x = 0; x < b.outWidth; ++x) {
            uint32_t c = b.counts[y * b.outWidth + x];
            uint8_t* s = output->bits + (b.outHeight - 1 - y) * stride + x;
            *s = c == 0 ? 255 : static_cast<uint8_t>((*s * 65024u / c + 128) >> 8);
        }
    }
}

// Runs `pass` on each band of the split at once, one thread per band.
template <typename Pass> void RunBands(const std::vector<RowBand>& bands, Pass pass) {
    std::vector<std::thread> threads;
    for (const RowBand& band : bands) threads.emplace_back([&band, pass] { pass(&band); });
    for (std::thread& thread : threads) thread.join();
}

// Every walk on every instruction set must give the model's cells exactly.
struct WalkCase {
    RowWalk walk;
    BitInstructions instructions;
    const char* name;
};
constexpr WalkCase kWalks[] = {
    {RowWalk::Automatic, BitInstructions::Automatic, "automatic"},
    {RowWalk::Runs, BitInstructions::Automatic, "runs"},
    {RowWalk::Stretches, BitInstructions::Automatic, "stretches"},
    {RowWalk::Runs, BitInstructions::Portable, "portable runs"},
    {RowWalk::Stretches, BitInstructions::Portable, "portable stretches"},
    {RowWalk::Boxes, BitInstructions::Automatic, "boxes"},
};

::testing::AssertionResult EveryWalkMatchesModel(Scene* scene) {
    ClearCells(scene);
    ModelAccumulate(scene->band);
    const std::vector<uint8_t> counts = scene->counts, sums = scene->outputBits;
    for (const WalkCase& c : kWalks) {
        ClearCells(scene);
        AccumulateBandWith(&scene->band, c.walk, c.instructions);
        if (scene->counts != counts)
            return ::testing::AssertionFailure() << c.name << ": counts differ";
        if (scene->outputBits != sums)
            return ::testing::AssertionFailure() << c.name << ": sums differ";
    }
    return ::testing::AssertionSuccess();
}

// A random renderer-like scene: canvas, rotation, sub-rectangle, origin shift.
std::unique_ptr<Scene> RandomRotatedScene(std::mt19937& random, int32_t maxSide) {
    std::uniform_int_distribution<int32_t> side(1, maxSide);
    std::uniform_real_distribution<double> angle(0, 360), scale(1.5, 15), unit(0, 1);
    auto scene = MakeScene(side(random), side(random), random);
    RowBand& b = scene->band;
    // Sometimes only part of the canvas, as for an update rectangle.
    if (unit(random) < 0.5) {
        std::uniform_int_distribution<int32_t> column(0, scene->source.width - 1),
            row(0, scene->source.height - 1);
        int32_t c0 = column(random), c1 = column(random), r0 = row(random), r1 = row(random);
        b.columnBegin = std::min(c0, c1), b.columnEnd = std::max(c0, c1) + 1;
        b.rowBegin = std::min(r0, r1), b.rowEnd = std::max(r0, r1) + 1;
        b.rowOrigin = static_cast<float>(b.rowBegin);
    }
    SetRotation(&b, angle(random), scale(random), unit(random) < 0.5);
    std::uniform_int_distribution<int32_t> shift(-6, 6), padding(0, 5);
    bool shifted = unit(random) < 0.4;
    FitOutput(scene.get(), shifted ? shift(random) : 0, shifted ? shift(random) : 0,
              padding(random));
    return scene;
}

TEST(RowBandAccumulate, MatchesModelOnRandomRotations) {
    std::mt19937 random(71);
    for (int trial = 0; trial < 300; ++trial) {
        auto scene = RandomRotatedScene(random, 260);
        ASSERT_TRUE(EveryWalkMatchesModel(scene.get())) << "trial " << trial;
    }
}

// Canvases tall enough for rows far from the band's edges, where stretches of
// one colour take the box step, at scales where it fits; split bands run at once.
TEST(RowBandAccumulate, BoxStepMatchesModelOnLargeCanvases) {
    std::mt19937 random(73);
    std::uniform_real_distribution<double> angle(0, 360), scale(8.5, 15), unit(0, 1);
    for (int trial = 0; trial < 6; ++trial) {
        auto scene = MakeScene(1300, 900, random);
        SetRotation(&scene->band, angle(random), scale(random), unit(random) < 0.5);
        FitOutput(scene.get(), 0, 0, trial % 4);
        ClearCells(scene.get());
        ModelAccumulate(scene->band);
        const std::vector<uint8_t> counts = scene->counts, sums = scene->outputBits;
        ClearCells(scene.get());
        std::vector<RowBand> bands(2, scene->band);
        bands[0].rowEnd = bands[1].rowBegin = 400 + trial * 17;
        RunBands(bands, [](const RowBand* band) {
            AccumulateBandWith(band, RowWalk::Boxes, BitInstructions::Automatic);
        });
        ASSERT_EQ(scene->counts, counts) << "trial " << trial;
        ASSERT_EQ(scene->outputBits, sums) << "trial " << trial;
    }
}

// Near an axis one step is too short for the box step's entry tables, and
// those boxes find their entry columns by division; either side, mirrored.
TEST(RowBandAccumulate, BoxStepMatchesModelNearTheAxes) {
    std::mt19937 random(77);
    for (double degrees : {0.5, 89.3, 181.0, 270.8}) {
        auto scene = MakeScene(1300, 900, random);
        SetRotation(&scene->band, degrees, 9.5, degrees > 100);
        FitOutput(scene.get(), 0, 0, 1);
        ClearCells(scene.get());
        ModelAccumulate(scene->band);
        const std::vector<uint8_t> counts = scene->counts, sums = scene->outputBits;
        ClearCells(scene.get());
        AccumulateBandWith(&scene->band, RowWalk::Boxes, BitInstructions::Automatic);
        ASSERT_EQ(scene->counts, counts) << degrees;
        ASSERT_EQ(scene->outputBits, sums) << degrees;
    }
}

// Steps no view produces: zero, tiny, larger than a cell, skewed, so that runs
// end on either axis, cross several cells per column or never end.
TEST(RowBandAccumulate, MatchesModelOnArbitrarySteps) {
    std::mt19937 random(72);
    std::uniform_int_distribution<int32_t> step(-150000, 150000), pick(0, 5), side(1, 120);
    for (int trial = 0; trial < 400; ++trial) {
        auto scene = MakeScene(side(random), side(random), random);
        RowBand& b = scene->band;
        int32_t* steps[] = {&b.xPerRow, &b.yPerRow, &b.xPerColumn, &b.yPerColumn};
        for (int32_t* value : steps) {
            int kind = pick(random);
            *value = kind == 0 ? 0 : kind == 1 ? step(random) / 1000 : step(random);
        }
        FitOutput(scene.get(), pick(random) - 2, pick(random) - 2, pick(random));
        // Whole cells may be much smaller than the canvas: keep outputs modest.
        if (static_cast<int64_t>(b.outWidth) * b.outHeight > 4000000) continue;
        ASSERT_TRUE(EveryWalkMatchesModel(scene.get())) << "trial " << trial;
    }
}

// Positions beyond the 16.16 range wrap around exactly as 32-bit adds do, and
// the row start saturates to INT32_MIN like the x86 conversion.
TEST(RowBandAccumulate, MatchesModelWhenPositionsWrap) {
    std::mt19937 random(73);
    std::uniform_int_distribution<int32_t> big(INT32_MIN, INT32_MAX), side(1, 90);
    for (int trial = 0; trial < 200; ++trial) {
        auto scene = MakeScene(side(random), side(random), random);
        RowBand& b = scene->band;
        b.xPerColumn = big(random) / (1 + trial % 7);
        b.yPerColumn = big(random) / (1 + trial % 5);
        b.xPerRow = big(random) / 3;
        b.yPerRow = big(random) / 3;
        b.xOrigin = big(random);
        b.yOrigin = big(random);
        b.rowOrigin = trial % 9 == 0 ? 1e12f : static_cast<float>(side(random));
        SizeOutput(scene.get(), 1 + trial % 40, 1 + trial % 30, 1 + trial % 40);
        ASSERT_TRUE(EveryWalkMatchesModel(scene.get())) << "trial " << trial;
    }
}

// Up to 16 x 16 pixels per cell (scale 15.9): cells wrap modulo 256 alike.
TEST(RowBandAccumulate, CellsAddModulo256) {
    std::mt19937 random(74);
    auto scene = MakeScene(400, 300, random);
    std::fill(scene->sourceBits.begin(), scene->sourceBits.end(), 0xFF);
    SetRotation(&scene->band, 0, 16, false);
    FitOutput(scene.get(), 0, 0, 0);
    EXPECT_TRUE(EveryWalkMatchesModel(scene.get()));
    EXPECT_EQ(scene->counts[0], 0); // 256 samples
    EXPECT_EQ(scene->outputBits[(scene->band.outHeight - 1) * DibStride(scene->band.outWidth, 8)],
              0);
}

TEST(RowBandAccumulate, EmptyBandAndOutsideRowsWriteNothing) {
    std::mt19937 random(75);
    auto scene = MakeScene(200, 100, random);
    SetRotation(&scene->band, 30, 4, false);
    FitOutput(scene.get(), 0, 0, 3);
    const std::vector<uint8_t> canary(scene->outputBits.size(), 0xA5),
        canaryCounts(scene->counts.size(), 0x5A);
    scene->outputBits = canary;
    scene->counts = canaryCounts;
    scene->output.bits = scene->outputBits.data();
    scene->band.counts = scene->counts.data();

    RowBand empty = scene->band;
    empty.rowBegin = empty.rowEnd = 40;
    // The whole canvas lies beyond the right edge, then above the top.
    RowBand right = scene->band, above = scene->band;
    right.xOrigin += (right.outWidth + 60) * 65536;
    above.yOrigin -= (above.outHeight + 60) * 65536;
    for (const WalkCase& c : kWalks) {
        for (const RowBand* band : {&empty, &right, &above})
            AccumulateBandWith(band, c.walk, c.instructions);
        NormaliseBand(&empty);
        EXPECT_EQ(scene->outputBits, canary) << c.name;
        EXPECT_EQ(scene->counts, canaryCounts) << c.name;
    }
}

// Records that contradict their images are refused or clipped, never followed
// out of bounds (the sanitizer build watches this).
TEST(RowBandAccumulate, InconsistentRecordsStayInBounds) {
    std::mt19937 random(76);
    auto scene = MakeScene(64, 48, random);
    SetRotation(&scene->band, 20, 2, false);
    FitOutput(scene.get(), 0, 0, 0);
    const RowBand valid = scene->band;
    RowBand cases[9];
    for (RowBand& c : cases) c = valid;
    cases[0].source = nullptr;
    cases[1].counts = nullptr;
    cases[2].outWidth = valid.outWidth + 8; // wider than the output rows
    cases[3].outHeight = valid.outHeight + 1;
    cases[4].rowBegin = -1000, cases[4].rowEnd = 1000; // rows beyond the canvas
    cases[5].columnBegin = -77, cases[5].columnEnd = 5000;
    cases[6].outWidth = -3;
    cases[7].rowOrigin = NAN;
    cases[8].output = nullptr;
    for (const WalkCase& walk : kWalks) {
        for (const RowBand& c : cases) {
            AccumulateBandWith(&c, walk.walk, walk.instructions);
            NormaliseBand(&c);
        }
    }
    AccumulateBand(nullptr);
    NormaliseBand(nullptr);

    // Clipping rows to the canvas keeps exactly the pixels that exist.
    ClearCells(scene.get());
    RowBand clipped = valid;
    clipped.rowBegin = -5, clipped.rowEnd = valid.rowEnd + 9;
    AccumulateBand(&clipped);
    const std::vector<uint8_t> counts = scene->counts, sums = scene->outputBits;
    ClearCells(scene.get());
    ModelAccumulate(valid);
    EXPECT_EQ(counts, scene->counts);
    EXPECT_EQ(sums, scene->outputBits);
}

// The crossing masks against stepping the position column by column, for
// steps with every number of trailing zero bits and both directions.
TEST(CrossingMasks, MarkEveryNewCell) {
    std::mt19937 random(81);
    std::uniform_int_distribution<uint32_t> any;
    static CrossingMasks masks;
    std::vector<int32_t> steps = {0, 1, -1, 65536, -65536, 65535, -65535, 32768, 4096, -4096, 7094};
    for (int trial = 0; trial < 200; ++trial) {
        int32_t size = static_cast<int32_t>(any(random) % 65536 + 1) >> (trial % 17);
        steps.push_back(trial % 2 ? size : -size);
    }
    for (int32_t step : steps) {
        ASSERT_TRUE(BuildCrossingMasks(step, &masks)) << step;
        for (int sample = 0; sample < 40; ++sample) {
            uint32_t position = any(random);
            uint64_t mask = CrossingMask(masks, position), expected = 0;
            for (uint32_t k = 0; k < 57; ++k) {
                uint32_t here = position + k * static_cast<uint32_t>(step);
                uint32_t before = here - static_cast<uint32_t>(step);
                if ((static_cast<int32_t>(here) >> 16) != (static_cast<int32_t>(before) >> 16))
                    expected |= uint64_t{1} << k;
            }
            ASSERT_EQ(mask & ((uint64_t{1} << 57) - 1), expected)
                << "step " << step << " at " << position;
        }
    }
    EXPECT_FALSE(BuildCrossingMasks(65537, &masks));
    EXPECT_FALSE(BuildCrossingMasks(INT32_MIN, &masks));
}

TEST(RowBandNormalise, ReciprocalsDivideExactly) {
    for (uint64_t c = 1; c < 256; ++c) {
        for (uint64_t s = 0; s < 256; ++s) {
            uint64_t n = s * 65024;
            ASSERT_EQ((n * kCountReciprocals.of[c]) >> 32, n / c) << s << "/" << c;
            ASSERT_EQ(kNormaliseTable.index[c][s], static_cast<uint8_t>((n / c + 128) >> 8));
        }
    }
    for (uint32_t s = 0; s < 256; ++s) ASSERT_EQ(kNormaliseTable.index[0][s], 255);
}

TEST(RowBandNormalise, KnownCellsAndBandRows) {
    std::mt19937 random(77);
    auto scene = MakeScene(8, 8, random);
    SizeOutput(scene.get(), 5, 4, 5); // stride 8
    const int32_t stride = 8;
    auto sum = [&](int32_t x, int32_t y) -> uint8_t& {
        return scene->outputBits[(4 - 1 - y) * stride + x];
    };
    auto count = [&](int32_t x, int32_t y) -> uint8_t& { return scene->counts[y * 5 + x]; };
    count(0, 0) = 4, sum(0, 0) = 1;
    count(1, 0) = 1, sum(1, 0) = 1;
    count(2, 0) = 9, sum(2, 0) = 0;
    count(3, 0) = 0, sum(3, 0) = 7;
    count(4, 0) = 64, sum(4, 0) = 32; // exactly half: 127
    std::uniform_int_distribution<int> byte(0, 255);
    for (int32_t y = 1; y < 4; ++y) {
        for (int32_t x = 0; x < 5; ++x) {
            count(x, y) = static_cast<uint8_t>(byte(random));
            sum(x, y) = static_cast<uint8_t>(std::min<int>(byte(random), count(x, y)));
        }
    }
    std::vector<uint8_t> before = scene->outputBits;
    scene->band.rowBegin = 0, scene->band.rowEnd = 3;
    NormaliseBand(&scene->band);
    EXPECT_EQ(sum(0, 0), 64);
    EXPECT_EQ(sum(1, 0), 254);
    EXPECT_EQ(sum(2, 0), 0);
    EXPECT_EQ(sum(3, 0), 255);
    EXPECT_EQ(sum(4, 0), 127);
    std::vector<uint8_t> normalised = scene->outputBits;
    scene->outputBits = before;
    ModelNormalise(scene->band);
    EXPECT_EQ(normalised, scene->outputBits); // row 3, outside the band, kept its sums
}

// Every (count, sum) pair, in rows wide enough for whole vectors and a tail.
TEST(RowBandNormalise, EveryCellPairMatchesTheModel) {
    std::mt19937 random(5);
    auto scene = MakeScene(8, 8, random);
    const int32_t W = 259, H = 256, stride = 260;
    SizeOutput(scene.get(), W, H, W);
    for (int32_t y = 0; y < H; ++y) {
        for (int32_t x = 0; x < W; ++x) {
            scene->counts[y * W + x] = static_cast<uint8_t>(y);
            scene->outputBits[(H - 1 - y) * stride + x] = static_cast<uint8_t>(x * 7);
        }
    }
    const std::vector<uint8_t> sums = scene->outputBits;
    scene->band.rowBegin = 0, scene->band.rowEnd = H;
    ModelNormalise(scene->band);
    const std::vector<uint8_t> expected = scene->outputBits;
    std::copy(sums.begin(), sums.end(), scene->outputBits.begin());
    NormaliseBand(&scene->band);
    EXPECT_EQ(expected, scene->outputBits);
}

// Rows that reach one cell are never further apart than the seam margin, and
// the margin stays near scale * sqrt(2) for views.
TEST(SeamMargin, BoundsTheRowsThatShareACell) {
    std::mt19937 random(78);
    std::uniform_real_distribution<double> angle(0, 360), scale(1.5, 15), unit(0, 1);
    for (int trial = 0; trial < 120; ++trial) {
        auto scene = MakeScene(150, 150, random);
        double z = scale(random);
        SetRotation(&scene->band, angle(random), z, unit(random) < 0.5);
        if (trial % 3 == 0)
            scene->band.xPerRow += static_cast<int32_t>((unit(random) - 0.5) * 8000); // skewed
        FitOutput(scene.get(), 0, 0, 0);
        const RowBand& b = scene->band;
        int64_t margin = SeamMargin(b.xPerRow, b.yPerRow, b.xPerColumn, b.yPerColumn);
        if (trial % 3 != 0) {
            EXPECT_LE(margin, static_cast<int64_t>(z * std::sqrt(2.0)) + 3);
        }
        std::vector<int32_t> first(static_cast<size_t>(b.outWidth) * b.outHeight, INT32_MAX),
            last(first.size(), INT32_MIN);
        for (int32_t i = b.rowBegin; i < b.rowEnd; ++i) {
            int32_t X =
                ModelTruncate(b.xPerRow * (i - static_cast<double>(b.rowOrigin)) + b.xOrigin);
            int32_t Y =
                ModelTruncate(b.yPerRow * (i - static_cast<double>(b.rowOrigin)) + b.yOrigin);
            for (int32_t j = b.columnBegin; j < b.columnEnd;
                 ++j, X += b.xPerColumn, Y += b.yPerColumn) {
                size_t cell = static_cast<size_t>(Y >> 16) * b.outWidth + (X >> 16);
                first[cell] = std::min(first[cell], i);
                last[cell] = std::max(last[cell], i);
            }
        }
        for (size_t cell = 0; cell < first.size(); ++cell) {
            if (first[cell] == INT32_MAX) continue;
            ASSERT_LT(last[cell] - first[cell], margin) << "trial " << trial;
        }
    }
    EXPECT_EQ(SeamMargin(0, 0, 0, 0), kEveryRowShared);
    EXPECT_EQ(SeamMargin(100, 200, 50, 100), kEveryRowShared); // parallel steps
    EXPECT_EQ(SeamMargin(8192, 0, 0, 0), kEveryRowShared);
    EXPECT_GT(SeamMargin(INT32_MIN, INT32_MAX, INT32_MAX, INT32_MIN), 0);
}

// Bands on real threads, split anywhere (empty and one-row bands included),
// give the single-band result bit for bit, seams and all.
TEST(RowBandThreads, SplitBandsEqualOneBand) {
    std::mt19937 random(79);
    std::uniform_real_distribution<double> angle(0, 360), scale(1.5, 15), unit(0, 1);
    std::uniform_int_distribution<int> bandCount(2, 6);
    for (int trial = 0; trial < 24; ++trial) {
        auto scene = MakeScene(500 + trial * 7, 380 + trial * 3, random);
        SetRotation(&scene->band, angle(random), scale(random), unit(random) < 0.5);
        FitOutput(scene.get(), 0, 0, trial % 4);
        const RowBand whole = scene->band;
        AccumulateBand(&whole);
        RowBand outputRows = whole;
        outputRows.rowBegin = 0, outputRows.rowEnd = whole.outHeight;
        NormaliseBand(&outputRows);
        std::vector<uint8_t> expected = scene->outputBits;

        for (int round = 0; round < 3; ++round) {
            ClearCells(scene.get());
            int n = bandCount(random);
            std::vector<int32_t> cuts{whole.rowBegin, whole.rowEnd};
            std::uniform_int_distribution<int32_t> cut(whole.rowBegin, whole.rowEnd);
            for (int k = 1; k < n; ++k) cuts.push_back(cut(random));
            if (round == 0) { // the renderer's split k * N / n
                cuts.clear();
                for (int k = 0; k <= n; ++k)
                    cuts.push_back(whole.rowBegin + k * (whole.rowEnd - whole.rowBegin) / n);
            }
            std::sort(cuts.begin(), cuts.end());
            std::vector<RowBand> bands(cuts.size() - 1, whole);
            for (size_t k = 0; k + 1 < cuts.size(); ++k)
                bands[k].rowBegin = cuts[k], bands[k].rowEnd = cuts[k + 1];
            const WalkCase& walk = kWalks[round % 3]; // automatic, runs, stretches
            RunBands(bands, [walk](const RowBand* band) {
                AccumulateBandWith(band, walk.walk, walk.instructions);
            });
            for (size_t k = 0; k < bands.size(); ++k) {
                bands[k].rowBegin = static_cast<int32_t>(k * whole.outHeight / bands.size());
                bands[k].rowEnd = static_cast<int32_t>((k + 1) * whole.outHeight / bands.size());
            }
            RunBands(bands, NormaliseBand);
            ASSERT_EQ(scene->outputBits, expected) << "trial " << trial << " round " << round;
        }
    }
}

// Thin bands dealt alternately to two threads that start them strictly in
// order keep both threads on neighbouring rows, in step, the whole time, so
// seam cells see truly concurrent adds. Bands from one to three margins high
// also put rows just outside the margin next to the other thread's rows.
TEST(RowBandThreads, LockStepThinBandsLoseNoAdds) {
    std::mt19937 random(80);
    for (double degrees : {0.0, 30.0, 131.0, 250.0}) {
        const RowWalk walk = degrees > 200 ? RowWalk::Runs : RowWalk::Stretches;
        auto scene = MakeScene(1200, 700, random);
        SetRotation(&scene->band, degrees, 4, degrees > 100);
        FitOutput(scene.get(), 0, 0, 1);
        const RowBand whole = scene->band;
        AccumulateBand(&whole);
        const std::vector<uint8_t> counts = scene->counts, sums = scene->outputBits;
        const int64_t margin =
            SeamMargin(whole.xPerRow, whole.yPerRow, whole.xPerColumn, whole.yPerColumn);
        std::uniform_int_distribution<int32_t> height(1, static_cast<int32_t>(3 * margin));
        for (int round = 0; round < 2; ++round) {
            ClearCells(scene.get());
            std::vector<RowBand> bands;
            for (int32_t row = whole.rowBegin; row < whole.rowEnd;) {
                RowBand band = whole;
                band.rowBegin = row;
                band.rowEnd = row = std::min(whole.rowEnd, row + height(random));
                bands.push_back(band);
            }
            std::atomic<size_t> started{0};
            auto every_other = [&bands, &started, walk](size_t first) {
                for (size_t k = first; k < bands.size(); k += 2) {
                    while (started.load() < k) std::this_thread::yield();
                    started.store(k + 1);
                    AccumulateBandWith(&bands[k], walk, BitInstructions::Automatic);
                }
            };
            std::thread even(every_other, 0), odd(every_other, 1);
            even.join();
            odd.join();
            EXPECT_EQ(counts, scene->counts) << degrees;
            EXPECT_EQ(sums, scene->outputBits) << degrees;
        }
    }
}

} // namespace
