#include <gtest/gtest.h>

#include <cstring>

#include "canvas/canvas.h"
#include "canvas/canvas_region.h"
#include "tests/core/test_support.h"

namespace {

Settings ColourSettings(uint32_t ink, uint32_t paper) {
    Settings settings{};
    settings.drawingColour = ink;
    settings.bgColour = paper;
    return settings;
}

int CountInk(const CanvasImage& image) {
    int ink = 0;
    for (int32_t y = 0; y < image.height; ++y) {
        const uint8_t* row = CanvasRow(&image, y);
        for (int32_t x = 0; x < image.width; ++x) ink += !((row[x >> 3] >> (7 - (x & 7))) & 1);
    }
    return ink;
}

bool IsClear(const CanvasImage& image) {
    CanvasImage empty{};
    return std::memcmp(&image, &empty, sizeof image) == 0;
}

} // namespace

TEST(Canvas, NewCanvasIsAllPaperInTheSettingsColours) {
    const Settings settings = ColourSettings(0x00112233, 0x00A0B0C0);
    const int32_t sizes[][2] = {{1, 1}, {33, 7}, {100, 64}, {8008, 3}};
    for (const auto& size : sizes) {
        SCOPED_TRACE(size[0]);
        CapturedMessages messages;
        Canvas canvas{};
        EXPECT_EQ(CreateCanvas(&canvas, &settings, size[0], size[1]), 0);
        EXPECT_TRUE(messages.texts().empty());
        const CanvasImage& image = canvas.image;
        ASSERT_NE(image.bits, nullptr);
        EXPECT_EQ(image.width, size[0]);
        EXPECT_EQ(image.height, size[1]);
        EXPECT_EQ(image.header.biSize, 40u);
        EXPECT_EQ(image.header.biWidth, size[0]);
        EXPECT_EQ(image.header.biHeight, size[1]);
        EXPECT_EQ(image.header.biPlanes, 1);
        EXPECT_EQ(image.header.biBitCount, 1);
        EXPECT_EQ(image.header.biCompression, 0u);
        EXPECT_EQ(image.header.biClrUsed, 0u);
        // COLORREF 0x00BBGGRR: entry 0 ink, entry 1 paper.
        EXPECT_EQ(image.palette[0].rgbRed, 0x33);
        EXPECT_EQ(image.palette[0].rgbGreen, 0x22);
        EXPECT_EQ(image.palette[0].rgbBlue, 0x11);
        EXPECT_EQ(image.palette[1].rgbRed, 0xC0);
        EXPECT_EQ(image.palette[1].rgbGreen, 0xB0);
        EXPECT_EQ(image.palette[1].rgbBlue, 0xA0);
        EXPECT_EQ(image.palette[1].rgbReserved, 0);
        EXPECT_EQ(CountInk(image), 0);
#ifdef _WIN32
        EXPECT_NE(image.dc, nullptr);
        EXPECT_NE(canvas.prevImage.bitmap, nullptr);
        EXPECT_NE(canvas.prevImage.dc, nullptr);
#else
        EXPECT_EQ(canvas.prevImage.bitmap, nullptr);
#endif
        FreeCanvas(&canvas);
        EXPECT_TRUE(IsClear(canvas.image));
        EXPECT_TRUE(IsClear(canvas.prevImage));
    }
}

TEST(Canvas, SizesThatCannotBeMadeShowTheMessage) {
    const Settings settings = ColourSettings(0, 0xFFFFFF);
    const int32_t sizes[][2] = {{0, 10}, {10, 0}, {-8, 8}, {8, INT32_MIN}, {1 << 20, 1 << 20}};
    for (const auto& size : sizes) {
        CapturedMessages messages;
        Canvas canvas{};
        EXPECT_EQ(CreateCanvas(&canvas, &settings, size[0], size[1]), 0);
        ASSERT_EQ(messages.texts().size(), 1u);
        EXPECT_EQ(messages.texts()[0], u"Can not Create Canvas.");
        EXPECT_TRUE(IsClear(canvas.image));
        EXPECT_TRUE(IsClear(canvas.prevImage));
        FreeCanvas(&canvas);
    }
}

TEST(Canvas, FreeIsSafeOnEmptyAndFreedCanvases) {
    Canvas never{};
    FreeCanvas(&never);
    EXPECT_TRUE(IsClear(never.image));
    FreeCanvas(nullptr);
    EXPECT_EQ(CreateCanvas(nullptr, nullptr, 8, 8), 0);

    const Settings settings = ColourSettings(0, 0xFFFFFF);
    Canvas canvas{};
    canvas.window = &canvas; // fields outside the images are left alone
    CreateCanvas(&canvas, &settings, 64, 64);
    FreeCanvas(&canvas);
    FreeCanvas(&canvas);
    EXPECT_TRUE(IsClear(canvas.image));
    EXPECT_EQ(canvas.window, &canvas);
}

TEST(Canvas, RecreatingReplacesTheImages) {
    const Settings settings = ColourSettings(0, 0xFFFFFF);
    Canvas canvas{};
    CreateCanvas(&canvas, &settings, 64, 64);
    CanvasRow(&canvas.image, 3)[0] = 0; // some ink
    // Without a FreeCanvas in between: the first images are given back (the
    // leak checker of the sanitizer build would see them otherwise).
    CreateCanvas(&canvas, &settings, 40, 24);
    EXPECT_EQ(canvas.image.width, 40);
    EXPECT_EQ(canvas.image.height, 24);
    EXPECT_EQ(CountInk(canvas.image), 0);
    FreeCanvas(&canvas);
}

TEST(Canvas, MissingSettingsGiveBlackOnWhite) {
    Canvas canvas{};
    CreateCanvas(&canvas, nullptr, 8, 8);
    EXPECT_EQ(canvas.image.palette[0].rgbRed, 0);
    EXPECT_EQ(canvas.image.palette[1].rgbRed, 255);
    EXPECT_EQ(canvas.image.palette[1].rgbBlue, 255);
    FreeCanvas(&canvas);
}

// A blank canvas gives blank regions in every turn, even where the rectangle
// reaches past its edges.
TEST(Canvas, RegionsOfANewCanvasAreAllPaper) {
    const Settings settings = ColourSettings(0, 0xFFFFFF);
    Canvas canvas{};
    CreateCanvas(&canvas, &settings, 70, 50);
    for (int32_t mirror = 0; mirror <= 1; ++mirror) {
        for (int32_t angle : {0, 90, 180, 270}) {
            CanvasRegion* region =
                ExtractCanvasRegion(&canvas.image, Rect{-32, -32, 128, 96}, mirror, angle);
            ASSERT_NE(region, nullptr);
            int ink = 0;
            for (int32_t i = 0; i < 160 / 8 * 128; ++i) ink += region->bits[i] != 0xFF;
            EXPECT_EQ(ink, 0) << mirror << " " << angle;
            ReleaseCanvasRegion(region);
        }
    }
    FreeCanvas(&canvas);
}
