// The sizes that picture headers declare, read before any codec sees a file.
#include <gtest/gtest.h>

#include <string>

#include "reference/decoded_picture.h"
#include "reference/picture_header.h"

namespace {

// The declared size as "WxH", or "none".
std::string Declared(const std::string& bytes) {
    uint32_t width = 0, height = 0;
    if (!DeclaredPictureSize(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), width,
                             height))
        return "none";
    return std::to_string(width) + "x" + std::to_string(height);
}

std::string Bytes(std::initializer_list<int> values) {
    std::string bytes;
    for (int value : values) bytes.push_back(static_cast<char>(value));
    return bytes;
}

} // namespace

TEST(PictureHeader, DeclaredSizesOfEveryKnownFormat) {
    const std::string png = std::string("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16) +
                            Bytes({0, 1, 0x86, 0xA0, 0, 1, 0x86, 0xA0, 8, 0, 0, 0, 0});
    EXPECT_EQ(Declared(png), "100000x100000");
    EXPECT_FALSE(ReferenceSizeAccepted(100000, 100000));
    EXPECT_EQ(Declared(png.substr(0, 20)), "none"); // cut before the height

    // A JPEG whose frame follows an application segment, a fill byte and a
    // restart marker; the frame kinds that are not frames are walked past.
    const std::string app1 = Bytes({0xFF, 0xE1, 0, 6, 'E', 'x', 'i', 'f'});
    const std::string tables = Bytes({0xFF, 0xC4, 0, 3, 0, 0xFF, 0xD0});
    const std::string frame = Bytes({0xFF, 0xC2, 0, 11, 8, 0x0B, 0xB8, 0x0F, 0xA0, 3});
    const std::string jpeg = Bytes({0xFF, 0xD8}) + app1 + Bytes({0xFF}) + tables + frame;
    EXPECT_EQ(Declared(jpeg), "4000x3000");
    EXPECT_EQ(Declared(jpeg.substr(0, jpeg.size() - 4)), "none");
    EXPECT_EQ(Declared(Bytes({0xFF, 0xD8, 0xFF, 0xDA, 0, 2}) + frame), "none"); // data first
    EXPECT_EQ(Declared(Bytes({0xFF, 0xD8, 0xFF, 0xE0, 0, 0})), "none");         // bad length

    EXPECT_EQ(Declared("GIF89a" + Bytes({0xFF, 0xFF, 2, 0, 0})), "65535x2");
    // BMP: a bottom-up and a top-down info header, and the old core header.
    const std::string bmp = "BM" + std::string(12, '\0');
    EXPECT_EQ(Declared(bmp + Bytes({40, 0, 0, 0, 0x40, 0, 0, 0, 0x30, 0, 0, 0})), "64x48");
    EXPECT_EQ(Declared(bmp + Bytes({40, 0, 0, 0, 0x40, 0, 0, 0, 0xD0, 0xFF, 0xFF, 0xFF})), "64x48");
    EXPECT_EQ(Declared(bmp + Bytes({12, 0, 0, 0, 0x40, 0, 0x30, 0, 0, 0, 0, 0})), "64x48");
    EXPECT_EQ(Declared(bmp + Bytes({40, 0, 0, 0, 0, 0, 0, 0x80, 1, 0, 0, 0})), "none");
    // WebP: extended, lossy and lossless headers.
    const std::string riff = "RIFF" + std::string(4, '\0') + "WEBP";
    EXPECT_EQ(Declared(riff + "VP8X" + std::string(8, '\0') + Bytes({0x3F, 0, 0, 0x2F, 0, 0})),
              "64x48");
    EXPECT_EQ(
        Declared(riff + "VP8 " + std::string(7, '\0') + Bytes({0x9D, 1, 0x2A, 0x40, 0, 0x30, 0})),
        "64x48");
    EXPECT_EQ(Declared(riff + "VP8L" + std::string(4, '\0') + Bytes({0x2F, 0x3F, 0xC0, 0x0B, 0})),
              "64x48");
    // Formats without a readable size here: the codec's frame size decides.
    EXPECT_EQ(Declared("II*\0"), "none");
    EXPECT_EQ(Declared("This is a letter."), "none");
    EXPECT_EQ(Declared(""), "none");
}
