#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "canvas/dib_surface.h"

namespace {

std::vector<RgbQuad> Ramp(int count) {
    std::vector<RgbQuad> entries(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        entries[i] = RgbQuad{static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i),
                             static_cast<uint8_t>(i * 7), 0};
    }
    return entries;
}

bool SameEntry(const RgbQuad& a, const RgbQuad& b) {
    return a.rgbBlue == b.rgbBlue && a.rgbGreen == b.rgbGreen && a.rgbRed == b.rgbRed &&
           a.rgbReserved == b.rgbReserved;
}

} // namespace

TEST(DibSurface, RefusesBadBitCountsAndSizes) {
    for (int32_t bitCount : {0, 2, 16, 24, 64, -1}) {
        EXPECT_EQ(CreateDibSurface(bitCount, nullptr, 0, 10, 10), nullptr) << bitCount;
    }
    const int32_t sizes[][2] = {{0, 10},  {10, 0},        {-1, 10},
                                {10, -5}, {INT32_MIN, 1}, {1, INT32_MIN}};
    for (const auto& size : sizes) {
        EXPECT_EQ(CreateDibSurface(8, nullptr, 0, size[0], size[1]), nullptr);
    }
    // Pixel counts whose byte size passes any addressable block.
    EXPECT_EQ(CreateDibSurface(32, nullptr, 0, INT32_MAX, INT32_MAX), nullptr);
    EXPECT_EQ(CreateDibSurface(32, nullptr, 0, 1 << 20, 1 << 20), nullptr);
    EXPECT_EQ(CreateDibSurface(1, nullptr, 0, INT32_MAX, 64), nullptr);
}

TEST(DibSurface, HeaderAndRowsForEachBitCount) {
    for (int32_t bitCount : {1, 4, 8, 32}) {
        SCOPED_TRACE(bitCount);
        DibSurface* surface = CreateDibSurface(bitCount, nullptr, 0, 37, 5);
        ASSERT_NE(surface, nullptr);
        const BitmapInfoHeader& header = surface->header;
        EXPECT_EQ(header.biSize, 40u);
        EXPECT_EQ(header.biWidth, 37);
        EXPECT_EQ(header.biHeight, 5);
        EXPECT_EQ(header.biPlanes, 1);
        EXPECT_EQ(header.biBitCount, bitCount);
        EXPECT_EQ(header.biCompression, 0u);
        EXPECT_EQ(header.biSizeImage, 0u);
        EXPECT_EQ(header.biXPelsPerMeter, 0);
        EXPECT_EQ(header.biYPelsPerMeter, 0);
        EXPECT_EQ(header.biClrUsed, 0u);
        EXPECT_EQ(header.biClrImportant, 0u);
        const int32_t stride = (37 * bitCount + 31) / 32 * 4;
        EXPECT_EQ(DibSurfaceStride(surface), stride);
        ASSERT_NE(surface->bits, nullptr);
        // Fresh pixel memory is zero, and all of stride × height is usable.
        int nonZero = 0;
        for (int32_t i = 0; i < stride * 5; ++i) nonZero += surface->bits[i] != 0;
        EXPECT_EQ(nonZero, 0);
        for (int32_t i = 0; i < stride * 5; ++i) surface->bits[i] = static_cast<uint8_t>(i);
#ifdef _WIN32
        EXPECT_NE(surface->bitmap, nullptr);
        EXPECT_NE(surface->dc, nullptr);
#else
        EXPECT_EQ(surface->bitmap, nullptr);
        EXPECT_EQ(surface->dc, nullptr);
#endif
        EXPECT_EQ(ReleaseDibSurface(&surface), 0);
    }
}

TEST(DibSurface, ColourTableTakesOnlyTheGivenEntries) {
    const std::vector<RgbQuad> ramp = Ramp(256);
    DibSurface* none = CreateDibSurface(8, nullptr, 200, 4, 4);
    ASSERT_NE(none, nullptr);
    for (const RgbQuad& entry : none->palette) EXPECT_TRUE(SameEntry(entry, RgbQuad{0, 0, 0, 0}));
    ReleaseDibSurface(&none);

    DibSurface* two = CreateDibSurface(1, ramp.data(), 2, 4, 4);
    ASSERT_NE(two, nullptr);
    EXPECT_TRUE(SameEntry(two->palette[0], ramp[0]));
    EXPECT_TRUE(SameEntry(two->palette[1], ramp[1]));
    int set = 0;
    for (int i = 2; i < 256; ++i) set += !SameEntry(two->palette[i], RgbQuad{0, 0, 0, 0});
    EXPECT_EQ(set, 0);
    ReleaseDibSurface(&two);

    DibSurface* full = CreateDibSurface(8, ramp.data(), 256, 4, 4);
    ASSERT_NE(full, nullptr);
    int wrong = 0;
    for (int i = 0; i < 256; ++i) wrong += !SameEntry(full->palette[i], ramp[i]);
    EXPECT_EQ(wrong, 0);
    ReleaseDibSurface(&full);

    // Counts outside 0..256 are held to the table: nothing for negative ones,
    // at most 256 entries read.
    DibSurface* negative = CreateDibSurface(8, ramp.data(), -3, 4, 4);
    ASSERT_NE(negative, nullptr);
    EXPECT_TRUE(SameEntry(negative->palette[0], RgbQuad{0, 0, 0, 0}));
    ReleaseDibSurface(&negative);
    DibSurface* tooMany = CreateDibSurface(8, ramp.data(), 1000, 4, 4);
    ASSERT_NE(tooMany, nullptr);
    EXPECT_TRUE(SameEntry(tooMany->palette[255], ramp[255]));
    ReleaseDibSurface(&tooMany);
}

TEST(DibSurface, ReleaseClearsTheSlotOnce) {
    EXPECT_EQ(ReleaseDibSurface(nullptr), 1);
    DibSurface* slot = nullptr;
    EXPECT_EQ(ReleaseDibSurface(&slot), 1);
    slot = CreateDibSurface(32, nullptr, 0, 3, 3);
    ASSERT_NE(slot, nullptr);
    EXPECT_EQ(ReleaseDibSurface(&slot), 0);
    EXPECT_EQ(slot, nullptr);
    EXPECT_EQ(ReleaseDibSurface(&slot), 1);
}
