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
    EXPECT_EQ(QuickSavePath(u"D:\\pics\\", stamp, 2), u"D:\\pics\\20240131235959-2.png");
    local.tm_mon = 8;
    local.tm_mday = 5;
    local.tm_hour = local.tm_min = local.tm_sec = 0;
    EXPECT_EQ(TimeStampName(local), u"20240905000000");
}

TEST(PictureNames, TheTemporaryFileSitsBesideTheTargetAndFitsAPath) {
    EXPECT_EQ(TemporarySavePath(u"C:\\a\\b.png", 0x1a2b), u"C:\\a\\~pindora1a2b.saving");
    EXPECT_EQ(TemporarySavePath(u"b.png", 7), u"~pindora7.saving");
    // A target that just fits a path gets a temporary name that fits too.
    const std::u16string folder = u"C:\\" + std::u16string(230, u'f') + u"\\";
    const std::u16string target = folder + std::u16string(259 - folder.size() - 4, u'n') + u".png";
    ASSERT_EQ(target.size(), 259u);
    const std::u16string temporary = TemporarySavePath(target, 0xFFFFFFFFu);
    EXPECT_LT(temporary.size(), 260u);
    EXPECT_EQ(temporary.compare(0, folder.size(), folder), 0);
    // Past that, none: the save writes the target itself.
    EXPECT_EQ(TemporarySavePath(std::u16string(250, u'f') + u"\\b.png", 0xFFFFFFFFu), u"");
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
