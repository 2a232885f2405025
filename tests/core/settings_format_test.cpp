// The settings file as written: exact bytes of a default file, reading back
// what was written, and saving through the file system.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "settings/key_tables.h"
#include "settings/settings.h"
#include "tests/core/test_support.h"

namespace {

struct DefaultSettings {
    Settings s{};
    DefaultSettings() {
        ApplySettingsDefaults(&s, nullptr);
        s.placement.length = 44;
        s.placement.showCmd = 1; // a normal window
        s.placement.rcNormalPosition = Rect{10, 20, 810, 620};
        CopyUtf16(s.resourceFile, kPathUnits, u"English.dll");
    }
    ~DefaultSettings() { FreeKeyTables(&s); }
};

void ExpectSameFileValues(const Settings& a, const Settings& b) {
    EXPECT_EQ(a.placement.showCmd, b.placement.showCmd);
    EXPECT_EQ(
        0, std::memcmp(&a.placement.rcNormalPosition, &b.placement.rcNormalPosition, sizeof(Rect)));
    EXPECT_EQ(a.brushParams[0].penSize, b.brushParams[0].penSize);
    EXPECT_EQ(a.brushParams[0].penHardness, b.brushParams[0].penHardness);
    EXPECT_EQ(a.bgColour, b.bgColour);
    EXPECT_EQ(a.drawingColour, b.drawingColour);
    EXPECT_EQ(a.refColour0, b.refColour0);
    EXPECT_EQ(a.refColour1, b.refColour1);
    EXPECT_EQ(a.adjustRefSize, b.adjustRefSize);
    EXPECT_EQ(a.changeRefColours, b.changeRefColours);
    EXPECT_EQ(a.opacity, b.opacity);
    EXPECT_EQ(a.windowOpacity, b.windowOpacity);
    EXPECT_EQ(std::u16string(a.defaultPath), std::u16string(b.defaultPath));
    EXPECT_EQ(std::u16string(a.resourceFile), std::u16string(b.resourceFile));
    EXPECT_EQ(a.timeLimitIndex, b.timeLimitIndex);
    EXPECT_EQ(a.recordStep, b.recordStep);
    for (auto tables : {std::make_pair(a.keyboardKeys, b.keyboardKeys),
                        std::make_pair(a.gamepadKeys, b.gamepadKeys)}) {
        ASSERT_EQ(tables.first->count, tables.second->count);
        for (int i = 0; i < tables.first->count; ++i) {
            const Accel& x = tables.first->entries[i];
            const Accel& y = tables.second->entries[i];
            EXPECT_EQ(x.fVirt, y.fVirt) << "row " << i;
            EXPECT_EQ(x.key, y.key) << "row " << i;
            EXPECT_EQ(x.cmd, y.cmd) << "row " << i;
        }
    }
}

// A record with every file value away from its default.
void FillUnusualValues(Settings* s) {
    s->placement.showCmd = 3;
    s->placement.rcNormalPosition = Rect{-1200, -5, 2147483647, -2147483647 - 1};
    s->brushParams[0] = BrushParams{1000, -7};
    s->bgColour = 0xFEDCBA;
    s->drawingColour = 0xFFFFFFFF;
    s->refColour0 = 0x7FFFFFFF;
    s->refColour1 = 0;
    s->adjustRefSize = 0;
    s->changeRefColours = 0xFFFFFFFF; // written as -1, read back as all bits
    s->opacity = 255;
    s->windowOpacity = -1;
    CopyUtf16(s->defaultPath, kPathUnits, u"D:\\絵\\スケッチ 2024\\\U0001F58C\\");
    CopyUtf16(s->resourceFile, kPathUnits, u"Japanese.dll");
    s->timeLimitIndex = 7;
    s->recordStep = 1;
    const Accel keyboard[] = {{kFVirtKey | kFShift | kFAlt, 0, 0x70, 45009}, {0, 0, 0x41, 1}};
    const Accel gamepad[] = {{0, 0, 0x124, 45002}, {0xFF, 0, 0x100, 45001}, {0, 0, 0xFFFF, 0}};
    ReplaceKeyEntries(&s->keyboardKeys, keyboard, 2);
    ReplaceKeyEntries(&s->gamepadKeys, gamepad, 3);
}

} // namespace

TEST(SettingsWrite, DefaultFileHasExactBytes) {
    DefaultSettings d;
    SupplyBuiltInKeys(&d.s);
    const std::string expected = "\xEF\xBB\xBF[config]\r\n"
                                 "showCmd=0x1\r\n"
                                 "rcNormalPosition_left=10\r\n"
                                 "rcNormalPosition_top=20\r\n"
                                 "rcNormalPosition_right=810\r\n"
                                 "rcNormalPosition_bottom=620\r\n"
                                 "PenSize=50\r\n"
                                 "PenHardness=50\r\n"
                                 "bgcolor=0xffffff\r\n"
                                 "drawingcolor=0x0\r\n"
                                 "RefColor0=0xff8080\r\n"
                                 "RefColor1=0xffffff\r\n"
                                 "AdjustRefSize=1\r\n"
                                 "ChangeRefColors=0\r\n"
                                 "opacity=64\r\n"
                                 "WindowOpacity=128\r\n"
                                 "defaultpath=\r\n"
                                 "ResourceFile=English.dll\r\n"
                                 "TimeLimit=0\r\n"
                                 "RecordStep=0\r\n"
                                 "[key]\r\n"
                                 "09004E=9C41\r\n09004F=9C42\r\n090053=9C44\r\n090044=9C46\r\n"
                                 "01000D=9C41\r\n010024=AFC9\r\n010021=AFCA\r\n010022=AFCB\r\n"
                                 "01002E=AFCC\r\n010023=AFCD\r\n010041=9DFA\r\n010048=9DE5\r\n"
                                 "010052=9DDA\r\n";
    EXPECT_EQ(WriteSettingsText(&d.s), expected);
}

TEST(SettingsWrite, KeyNamesAndBuiltInRows) {
    EXPECT_STREQ(ConfigKeyName(0), "showCmd=");
    EXPECT_STREQ(ConfigKeyName(15), "defaultpath=");
    EXPECT_STREQ(ConfigKeyName(18), "RecordStep=");
    EXPECT_EQ(ConfigKeyName(19), nullptr);
    EXPECT_EQ(ConfigKeyName(-1), nullptr);

    DefaultSettings d;
    SupplyBuiltInKeys(&d.s);
    ASSERT_EQ(d.s.keyboardKeys->count, 13);
    EXPECT_EQ(d.s.gamepadKeys->count, 0);
    // A table that already has rows keeps them.
    d.s.keyboardKeys->entries[0].cmd = 1;
    SupplyBuiltInKeys(&d.s);
    EXPECT_EQ(d.s.keyboardKeys->entries[0].cmd, 1);
}

TEST(SettingsWrite, WrittenFileReadsBackFieldForField) {
    DefaultSettings written;
    FillUnusualValues(&written.s);
    const std::string text = WriteSettingsText(&written.s);
    EXPECT_NE(text.find("rcNormalPosition_bottom=-2147483648\r\n"), std::string::npos);
    EXPECT_NE(text.find("drawingcolor=0xffffffff\r\n"), std::string::npos);
    EXPECT_NE(text.find("ChangeRefColors=-1\r\n"), std::string::npos);
    EXPECT_NE(text.find("[key]\r\n150070=AFD1\r\n000041=0001\r\n000124=AFCA\r\nFF0100=AFC9\r\n"
                        "00FFFF=0000\r\n"),
              std::string::npos);

    DefaultSettings read;
    ReadSettingsText(&read.s, text);
    ExpectSameFileValues(written.s, read.s);
}

TEST(SettingsWrite, NegativeRefColourSaturatesOnTheWayBack) {
    // RefColor is written as the hex of its bits but read as a signed long:
    // a value with the top bit set comes back as LONG_MAX, as it always has.
    DefaultSettings written;
    written.s.refColour0 = 0xFFFFFFFB;
    const std::string text = WriteSettingsText(&written.s);
    EXPECT_NE(text.find("RefColor0=0xfffffffb\r\n"), std::string::npos);
    DefaultSettings read;
    ReadSettingsText(&read.s, text);
    EXPECT_EQ(read.s.refColour0, 0x7FFFFFFFu);
}

TEST(SettingsWrite, LineFeedInsideATextBecomesCrLf) {
    DefaultSettings d;
    CopyUtf16(d.s.defaultPath, kPathUnits, u"a\nb\r");
    const std::string text = WriteSettingsText(&d.s);
    EXPECT_NE(text.find("defaultpath=a\r\nb\r\r\n"), std::string::npos);
    // Read back, the text ends at the line feed.
    DefaultSettings read;
    ReadSettingsText(&read.s, text);
    EXPECT_EQ(std::u16string(read.s.defaultPath), u"a");
}

class SettingsFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = MakeTempDir();
        // A folder name outside any ANSI code page: the wide path must work.
        folder_ = std::filesystem::path(dir_) / std::filesystem::path(u"設定 ✓");
        std::filesystem::create_directory(folder_);
        const std::u16string path = (folder_ / "pindora.ini").u16string();
        CopyUtf16(d_.s.settingsPath, kPathUnits, path.c_str());
    }
    void TearDown() override { RemoveTree(dir_); }

    std::string FileBytes(const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    std::string dir_;
    std::filesystem::path folder_;
    DefaultSettings d_;
};

TEST_F(SettingsFileTest, SaveThenReadRestoresTheRecord) {
    FillUnusualValues(&d_.s);
    ASSERT_EQ(SaveSettingsFile(&d_.s), 0);
    // Binary on every platform: the bytes are exactly what was formatted.
    EXPECT_EQ(FileBytes(folder_ / "pindora.ini"), WriteSettingsText(&d_.s));
    EXPECT_FALSE(std::filesystem::exists(folder_ / "pindora.ini.tmp"));

    DefaultSettings read;
    CopyUtf16(read.s.settingsPath, kPathUnits, d_.s.settingsPath);
    ReadSettingsFile(&read.s);
    ExpectSameFileValues(d_.s, read.s);

    // Saving again replaces the file rather than appending to it.
    d_.s.brushParams[0].penSize = 3;
    ASSERT_EQ(SaveSettingsFile(&d_.s), 0);
    EXPECT_EQ(FileBytes(folder_ / "pindora.ini"), WriteSettingsText(&d_.s));
}

TEST_F(SettingsFileTest, MissingOrUnreadableFileKeepsTheValues) {
    d_.s.brushParams[0].penSize = 77;
    ReadSettingsFile(&d_.s); // no file yet
    EXPECT_EQ(d_.s.brushParams[0].penSize, 77);

    std::filesystem::create_directory(folder_ / "pindora.ini"); // a folder, not a file
    ReadSettingsFile(&d_.s);
    EXPECT_EQ(d_.s.brushParams[0].penSize, 77);
    EXPECT_EQ(d_.s.keyboardKeys->count, 0);

    d_.s.settingsPath[0] = 0;
    ReadSettingsFile(&d_.s);
    EXPECT_EQ(d_.s.brushParams[0].penSize, 77);
}

TEST_F(SettingsFileTest, FailedSaveReportsAndLeavesNoTrace) {
    // The target is a folder: the move over it fails, nothing is left behind.
    std::filesystem::create_directory(folder_ / "pindora.ini");
    EXPECT_EQ(SaveSettingsFile(&d_.s), 1);
    EXPECT_TRUE(std::filesystem::is_directory(folder_ / "pindora.ini"));
    EXPECT_FALSE(std::filesystem::exists(folder_ / "pindora.ini.tmp"));

    // A folder that does not exist.
    const std::u16string missing = (folder_ / "missing" / "pindora.ini").u16string();
    CopyUtf16(d_.s.settingsPath, kPathUnits, missing.c_str());
    EXPECT_EQ(SaveSettingsFile(&d_.s), 1);

    d_.s.settingsPath[0] = 0;
    EXPECT_EQ(SaveSettingsFile(&d_.s), 1);
}
