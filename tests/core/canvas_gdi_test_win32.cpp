// What only the GDI back ends can show: the surfaces and the canvas are real
// DIB sections whose DCs draw into the same memory the pixel code reads.
#include <gtest/gtest.h>

#include <windows.h>

#include "canvas/canvas.h"
#include "canvas/dib_surface.h"

TEST(DibSurfaceGdi, TopRowIsStoredLast) {
    DibSurface* surface = CreateDibSurface(32, nullptr, 0, 5, 3);
    ASSERT_NE(surface, nullptr);
    HDC dc = static_cast<HDC>(surface->dc);
    PatBlt(dc, 0, 0, 5, 3, WHITENESS);
    PatBlt(dc, 0, 0, 5, 1, BLACKNESS); // the picture's top row
    FlushDibSurfaceDrawing();
    const int32_t stride = DibSurfaceStride(surface);
    for (int32_t row = 0; row < 3; ++row) {
        const uint8_t* pixel = surface->bits + row * stride;
        uint8_t expected = row == 2 ? 0x00 : 0xFF;
        for (int32_t x = 0; x < 5; ++x) {
            EXPECT_EQ(pixel[4 * x], expected) << row;
            EXPECT_EQ(pixel[4 * x + 2], expected) << row;
        }
    }
    ReleaseDibSurface(&surface);
}

TEST(DibSurfaceGdi, ColourTableReachesGdi) {
    const RgbQuad two[2] = {{0, 0, 255, 0}, {0, 255, 0, 0}}; // red, green
    DibSurface* surface = CreateDibSurface(1, two, 2, 8, 1);
    ASSERT_NE(surface, nullptr);
    surface->bits[0] = 0x0F; // four pixels of entry 0, four of entry 1
    EXPECT_EQ(GetPixel(static_cast<HDC>(surface->dc), 0, 0), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(static_cast<HDC>(surface->dc), 7, 0), RGB(0, 255, 0));
    ReleaseDibSurface(&surface);
}

TEST(CanvasGdi, DrawingThroughTheDcReachesTheBits) {
    Settings settings{};
    settings.bgColour = 0xFFFFFF;
    Canvas canvas{};
    CreateCanvas(&canvas, &settings, 64, 16);
    ASSERT_NE(canvas.image.dc, nullptr);
    PatBlt(static_cast<HDC>(canvas.image.dc), 0, 0, 8, 1, BLACKNESS);
    GdiFlush();
    EXPECT_EQ(CanvasRow(&canvas.image, 0)[0], 0x00);
    EXPECT_EQ(CanvasRow(&canvas.image, 1)[0], 0xFF);
    // The previous canvas is white too.
    ASSERT_NE(canvas.prevImage.dc, nullptr);
    EXPECT_EQ(GetPixel(static_cast<HDC>(canvas.prevImage.dc), 63, 15), RGB(255, 255, 255));
    BITMAP info{};
    ASSERT_NE(GetObjectW(static_cast<HBITMAP>(canvas.prevImage.bitmap), sizeof info, &info), 0);
    EXPECT_EQ(info.bmWidth, 64);
    EXPECT_EQ(info.bmHeight, 16);
    EXPECT_EQ(info.bmBitsPixel, 1);

    HGDIOBJ dc = canvas.image.dc;
    FreeCanvas(&canvas);
    EXPECT_EQ(GetObjectType(dc), 0u); // deleted
}
