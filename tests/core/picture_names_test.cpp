#include <gtest/gtest.h>

#include "canvas/picture_names.h"

TEST(PictureNames, TimeStampsAndQuickSavePaths) {
    std::tm local{};
    local.tm_year = 2024 - 1900;
    local.tm_mon = 0;
    local.tm_mday = 31;
    local.tm_hour = 23;
    local.tm_min = 59;
    local.tm_sec = 59;
    const std::u16string stamp = TimeStampName(local);
    EXPECT_EQ(stamp, u"20240131235959");
    EXPECT_EQ(QuickSavePath(u"D:\\pics\\", stamp), u"D:\\pics\\20240131235959.png");
    EXPECT_EQ(QuickSavePath(u"", stamp), u"20240131235959.png");
    local.tm_mon = 8;
    local.tm_mday = 5;
    local.tm_hour = local.tm_min = local.tm_sec = 0;
    EXPECT_EQ(TimeStampName(local), u"20240905000000");
}

TEST(PictureNames, TheTemporaryFileSitsBesideTheTarget) {
    const std::u16string temporary = TemporarySavePath(u"C:\\a\\b.png");
    EXPECT_EQ(temporary.compare(0, 9, u"C:\\a\\b.pn"), 0);
    EXPECT_NE(temporary, u"C:\\a\\b.png");
    EXPECT_EQ(temporary.find(u'\\', 5), std::u16string::npos); // same folder
}

TEST(PictureNames, OnlyAnExactPngExtensionIsTaken) {
    EXPECT_TRUE(HasPngExtension(u"C:\\x\\drawing.png"));
    EXPECT_TRUE(HasPngExtension(u"a.b.png"));
    EXPECT_FALSE(HasPngExtension(u"C:\\x\\drawing.PNG"));
    EXPECT_FALSE(HasPngExtension(u"C:\\x\\drawing.Png"));
    EXPECT_FALSE(HasPngExtension(u"C:\\x\\drawing.png.txt"));
    EXPECT_FALSE(HasPngExtension(u"C:\\x.png\\drawing"));
    EXPECT_FALSE(HasPngExtension(u"png"));
    EXPECT_FALSE(HasPngExtension(u""));
}
