// The reference picture's look: the two-tone ramp, placement and area scaling.
#include <gtest/gtest.h>

#include "reference/reference_look.h"

namespace {

DecodedPicture Picture(uint32_t width, uint32_t height, std::vector<uint32_t> pixels) {
    DecodedPicture picture;
    picture.width = width;
    picture.height = height;
    picture.pixels = std::move(pixels);
    return picture;
}

uint32_t Grey(uint32_t level) {
    return 0xFF000000u | level << 16 | level << 8 | level;
}

} // namespace

TEST(ReferenceLook, TwoToneRampsLuminanceBetweenTheReferenceColours) {
    // Black to white: every grey keeps its value, colours become the grey
    // of their luminance (green is far lighter than blue of the same code).
    std::vector<uint32_t> greys;
    for (uint32_t level = 0; level < 256; ++level) greys.push_back(Grey(level));
    DecodedPicture picture = Picture(256, 1, greys);
    ApplyTwoTone(picture, 0x000000, 0xFFFFFF);
    EXPECT_EQ(picture.pixels, greys);
    picture = Picture(3, 1, {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu});
    ApplyTwoTone(picture, 0x000000, 0xFFFFFF);
    EXPECT_EQ(picture.pixels[0], Grey(127)); // red: luminance 0.2126
    EXPECT_EQ(picture.pixels[1], Grey(220)); // green: 0.7152
    EXPECT_EQ(picture.pixels[2], Grey(76));  // blue: 0.0722

    // The stored colours are COLORREF (red in the low byte): the default dark
    // end 0xFF8080 is a light blue, and the ends land exactly on them.
    picture = Picture(3, 1, {Grey(0), Grey(255), 0xFF808080u});
    ApplyTwoTone(picture, 0xFF8080, 0x00FFFF);
    EXPECT_EQ(picture.pixels[0], 0xFF8080FFu);
    EXPECT_EQ(picture.pixels[1], 0xFFFFFF00u);
    const uint32_t middle = picture.pixels[2]; // between both, in every channel
    EXPECT_GT((middle >> 16) & 255, 0x80u);
    EXPECT_LT((middle >> 16) & 255, 0xFFu);
    EXPECT_GT(middle & 255, 0x00u);
    EXPECT_LT(middle & 255, 0xFFu);
}

TEST(ReferenceLook, PicturesFitTheirWindowOrSitCentredAtFullSize) {
    auto place = [](uint32_t w, uint32_t h, int32_t cw, int32_t ch, bool fit) {
        const PictureRect r = PlacePicture(w, h, cw, ch, fit);
        return std::vector<int32_t>{r.x, r.y, r.width, r.height};
    };
    // A wide picture in a tall window, a tall one in a wide window, a small
    // one enlarged: the aspect is kept and the picture centred.
    EXPECT_EQ(place(4000, 2000, 300, 500, true), (std::vector<int32_t>{0, 175, 300, 150}));
    EXPECT_EQ(place(600, 900, 800, 300, true), (std::vector<int32_t>{300, 0, 200, 300}));
    EXPECT_EQ(place(10, 10, 200, 100, true), (std::vector<int32_t>{50, 0, 100, 100}));
    EXPECT_EQ(place(10000, 1, 100, 100, true), (std::vector<int32_t>{0, 49, 100, 1}));
    // 1:1: larger than the window shows its centre.
    EXPECT_EQ(place(400, 100, 200, 300, false), (std::vector<int32_t>{-100, 100, 400, 100}));
    // Nothing to place.
    EXPECT_EQ(place(0, 10, 200, 100, true), (std::vector<int32_t>{0, 0, 0, 0}));
    EXPECT_EQ(place(10, 10, 0, 100, true), (std::vector<int32_t>{0, 0, 0, 0}));
}

TEST(ReferenceLook, ScalingAveragesAreasInLinearLight) {
    // A black and white checkerboard shrinks to the grey of half the light
    // (188), not to code 128; a flat colour stays exactly itself.
    std::vector<uint32_t> checker(64 * 48);
    for (uint32_t y = 0; y < 48; ++y)
        for (uint32_t x = 0; x < 64; ++x) checker[y * 64 + x] = (x + y) % 2 ? Grey(255) : Grey(0);
    DecodedPicture small = ScalePicture(Picture(64, 48, checker), 5, 3);
    ASSERT_EQ(small.pixels.size(), 15u);
    for (uint32_t pixel : small.pixels) {
        EXPECT_NEAR(static_cast<int>(pixel & 255), 188, 2);
        EXPECT_EQ(pixel >> 24, 255u);
    }
    DecodedPicture flat = ScalePicture(Picture(7, 5, std::vector<uint32_t>(35, 0xFF336699u)), 3, 2);
    EXPECT_EQ(flat.pixels, std::vector<uint32_t>(6, 0xFF336699u));
    // Enlarging repeats pixels; the seam between them is blended.
    DecodedPicture large = ScalePicture(Picture(2, 1, {Grey(0), Grey(255)}), 5, 2);
    EXPECT_EQ(large.pixels[0], Grey(0));
    EXPECT_EQ(large.pixels[4], Grey(255));
    EXPECT_EQ(large.pixels[2], Grey(188));
    // Half-transparent red over paper, then an empty request.
    DecodedPicture glass = Picture(1, 1, {0x80FF0000u});
    FlattenOntoPaper(glass);
    EXPECT_EQ(glass.pixels[0], 0xFFFFBBBBu);
    EXPECT_TRUE(ScalePicture(glass, 0, 4).pixels.empty());
}
