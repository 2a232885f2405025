// Practice sessions: the order and the progress, the names of the saved
// drawings, the thumbnails, and the sheet written and read back as a PNG.
#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <filesystem>

#include "base/report.h"
#include "canvas/png_file.h"
#include "practice/practice_names.h"
#include "practice/session_sheet.h"
#include "practice/sheet_digits.h"
#include "settings/settings.h"
#include "tests/core/test_support.h"

namespace {

std::vector<std::u16string> Pictures(int count) {
    std::vector<std::u16string> pictures;
    for (int i = 0; i < count; ++i)
        pictures.push_back(u"C:\\refs\\p" + AsciiToUtf16(std::to_string(i).c_str()) + u".jpg");
    return pictures;
}

RgbImage Solid(int32_t width, int32_t height, uint8_t r, uint8_t g, uint8_t b) {
    RgbImage image;
    image.width = width;
    image.height = height;
    for (int32_t i = 0; i < width * height; ++i) image.rgb.insert(image.rgb.end(), {r, g, b});
    return image;
}

} // namespace

TEST(PracticeSession, ShufflesEveryPictureOnceAndCountsThroughThem) {
    PracticeSession session;
    EXPECT_FALSE(session.Start({}, 1, 30));
    EXPECT_FALSE(session.active());
    EXPECT_EQ(session.Progress(), u"");

    ASSERT_TRUE(session.Start(Pictures(12), 7, 0));
    EXPECT_EQ(session.secondsPerPicture(), kDefaultPracticeSeconds);
    std::vector<std::u16string> seen;
    do seen.push_back(session.current());
    while (session.Next());
    EXPECT_EQ(session.Progress(), u"12/12");
    EXPECT_NE(seen, Pictures(12)) << "the order is shuffled";
    std::vector<std::u16string> sorted = seen;
    std::sort(sorted.begin(), sorted.end());
    std::vector<std::u16string> all = Pictures(12);
    std::sort(all.begin(), all.end());
    EXPECT_EQ(sorted, all);

    PracticeSession again;
    again.Start(Pictures(12), 7, 30);
    EXPECT_EQ(again.current(), seen[0]) << "one seed, one order";
    again.setPaused(true);
    EXPECT_EQ(again.Progress(), u"1/12 paused");
    again.End();
    EXPECT_FALSE(again.paused());
    EXPECT_TRUE(again.current().empty());
    EXPECT_EQ(PracticeSecondsFor(0), 60);
    EXPECT_EQ(PracticeSecondsFor(180), 180);
}

TEST(PracticeNames, PicturesByExtensionAndDrawingNamesSafeForTheFileSystem) {
    for (const char16_t* path :
         {u"a.JPG", u"x\\b.jpeg", u"c.png", u"d.Bmp", u"e.gif", u"f.tif", u"g.TIFF", u"h.webp"})
        EXPECT_TRUE(IsPracticePicture(path)) << path[0];
    for (const char16_t* path :
         {u"notes.txt", u"jpg", u"a.png.bak", u"D:\\p\\20261208101010_practice-sheet.png"})
        EXPECT_FALSE(IsPracticePicture(path));

    EXPECT_EQ(FileStem(u"C:\\refs\\pose.01.jpg"), u"pose.01");
    EXPECT_EQ(PracticeDrawingName(u"20261208153000", u"C:\\refs\\pose 1.jpg"),
              u"20261208153000_pose 1");
    EXPECT_EQ(PracticeDrawingName(u"S", u"C:\\r\\a<b>c|d?e*f\"g. .png"), u"S_a_b_c_d_e_f_g");
    EXPECT_EQ(PracticeDrawingName(u"S", u"C:\\r\\....png"), u"S");
    const std::u16string longName = PracticeDrawingName(u"S", std::u16string(300, u'x') + u".png");
    EXPECT_EQ(longName.size(), 2u + 64u);
    EXPECT_EQ(PracticeSheetName(u"S"), u"S_practice-sheet");
}

TEST(PracticeThumbnails, AreaAveragesTheCanvasAndLaysPicturesOverPaper) {
    EXPECT_EQ(FitInBox(6400, 4800, 240, 240).x, 240);
    EXPECT_EQ(FitInBox(6400, 4800, 240, 240).y, 180);
    EXPECT_EQ(FitInBox(100, 400, 240, 240).x, 60);
    EXPECT_EQ(FitInBox(50, 40, 240, 240).x, 50) << "never enlarged";
    EXPECT_EQ(FitInBox(100000, 1, 240, 240).y, 1);
    EXPECT_EQ(FitInBox(0, 10, 240, 240).x, 0);

    // 64 × 16 one-bit canvas, bottom-up: the top half of the picture inked
    // in its left half, so the reduced top-left quarter is ink, the rest paper.
    const int32_t width = 64, height = 16, stride = 8;
    std::vector<uint8_t> bits(static_cast<size_t>(stride * height), 0xFF);
    for (int32_t y = 0; y < height / 2; ++y)
        for (int32_t x = 0; x < width / 2 / 8; ++x)
            bits[static_cast<size_t>((height - 1 - y) * stride + x)] = 0x00;
    const RgbQuad palette[2] = {{0, 0, 0, 0}, {255, 255, 255, 0}};
    RgbImage small = ReduceOneBitImage(bits.data(), stride, width, height, palette, 4, 4);
    ASSERT_EQ(small.width, 4);
    ASSERT_EQ(small.height, 1);
    EXPECT_EQ(small.rgb[0], 128) << "half ink, half paper";
    EXPECT_EQ(small.rgb[3 * 3], 255);

    const uint32_t pixels[4] = {0xFFFF0000u, 0xFFFF0000u, 0x00000000u, 0x800000FFu};
    RgbImage picture = ReducePicture(pixels, 2, 2, 1, 1);
    ASSERT_EQ(picture.rgb.size(), 3u);
    EXPECT_EQ(picture.rgb[0], (255 + 255 + 255 + 127 + 2) / 4) << "transparent is paper";
    EXPECT_EQ(picture.rgb[2], (0 + 0 + 255 + 255 + 2) / 4);
}

TEST(PracticeSheet, PairsInOrderWithTheirTimesWrittenAsAnRgbPng) {
    std::vector<PracticeResult> results(5);
    for (size_t i = 0; i < results.size(); ++i) {
        results[i].seconds = 60 + static_cast<int64_t>(i);
        results[i].referenceThumb = Solid(200, 120, static_cast<uint8_t>(10 * i), 0, 200);
        results[i].drawingThumb = Solid(240, 180, 90, 90, static_cast<uint8_t>(10 * i));
    }
    results[3].referenceThumb = RgbImage(); // a picture that could not be read
    const RgbImage sheet = ComposeSheet(results);
    const SheetLayout layout = LayOutSheet(results.size());
    EXPECT_EQ(layout.columns, 3);
    EXPECT_EQ(layout.rows, 2);
    ASSERT_EQ(sheet.width, layout.width);
    EXPECT_EQ(LayOutSheet(200).columns, 10) << "long sessions grow wider";
    EXPECT_TRUE(ComposeSheet({}).empty());

    const std::string dir = MakeTempDir();
    const std::u16string path = Utf8ToUtf16((std::filesystem::path(dir) / "sheet.png").u8string());
    ASSERT_EQ(WriteRgbPngFile(path.c_str(), sheet.width, sheet.height, sheet.rgb.data()),
              kPngWritten);
    EXPECT_EQ(WriteRgbPngFile(path.c_str(), 0, 5, sheet.rgb.data()), kPngWriteFailed);

    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(
        &image, (std::filesystem::path(dir) / "sheet.png").u8string().c_str()));
    image.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> read(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, read.data(), 0, nullptr));
    RemoveTree(dir);
    ASSERT_EQ(read, sheet.rgb);

    auto at = [&](Point p) { return &read[(static_cast<size_t>(p.y) * sheet.width + p.x) * 3]; };
    for (size_t i = 0; i < results.size(); ++i) {
        const Point cell = layout.Cell(i);
        const int32_t middle = cell.y + kSheetLabelHeight + kSheetThumbSide / 2;
        const uint8_t* reference = at(Point{cell.x + kSheetThumbSide / 2, middle});
        const uint8_t* drawing =
            at(Point{cell.x + kSheetThumbSide + kSheetBoxGap + kSheetThumbSide / 2, middle});
        EXPECT_EQ(drawing[2], 10 * i) << "pair " << i << " in order";
        if (i == 3)
            EXPECT_EQ(reference[1], 200) << "unreadable: crossed-out grey box";
        else
            EXPECT_EQ(reference[0], 10 * i);
        EXPECT_EQ(at(Point{cell.x + 2, middle})[0], 236) << "the box behind a narrow picture";
        // The label's first digit is the pair's number: some dark dots in it.
        int dark = 0;
        for (int32_t y = cell.y; y < cell.y + kSheetLabelHeight; ++y)
            for (int32_t x = cell.x; x < cell.x + DigitTextWidth("1", 3); ++x)
                dark += at(Point{x, y})[0] < 100;
        EXPECT_GT(dark, 20) << "pair " << i;
    }
    EXPECT_EQ(MinutesAndSeconds(65), "1:05");
    EXPECT_EQ(MinutesAndSeconds(6000), "100:00");
}
