// The start values taken from the system: command line, program folder,
// language default; on Windows also the whole load and save.
#include <gtest/gtest.h>

#include "settings/settings.h"
#include "settings/startup_values.h"
#ifdef _WIN32
#include "settings/settings_win32.h"
#include "tests/core/test_support.h"
#endif

TEST(SettingsStartup, CommandLineFile) {
    char16_t file[kPathUnits] = u"stale";
    const char16_t* onlyProgram[] = {u"pindora.exe"};
    TakeCommandLineFile(file, 1, onlyProgram);
    EXPECT_EQ(std::u16string(file), u"");

    const char16_t* spaced[] = {u"pindora.exe", u"C:\\a b.png", u"ignored"};
    TakeCommandLineFile(file, 3, spaced);
    EXPECT_EQ(std::u16string(file), u"C:\\a b.png");

    // A leading quote the splitter left in place is dropped; others stay.
    const char16_t* quoted[] = {u"pindora.exe", u"\"C:\\絵.png\""};
    TakeCommandLineFile(file, 2, quoted);
    EXPECT_EQ(std::u16string(file), u"C:\\絵.png\"");

    const std::u16string longPath(400, u'x');
    const char16_t* overlong[] = {u"pindora.exe", longPath.c_str()};
    TakeCommandLineFile(file, 2, overlong);
    EXPECT_EQ(std::u16string(file), longPath.substr(0, 259));

    TakeCommandLineFile(file, 0, nullptr);
    EXPECT_EQ(std::u16string(file), u"");
}

TEST(SettingsStartup, ProgramFolderAndSettingsPath) {
    EXPECT_EQ(ProgramFolderOf(u"C:\\Program Files\\pindora\\pindora.exe"),
              u"C:\\Program Files\\pindora\\");
    EXPECT_EQ(ProgramFolderOf(u"\\\\server\\share\\pindora.exe"), u"\\\\server\\share\\");
    EXPECT_EQ(ProgramFolderOf(u"C:pindora.exe"), u"C:");
    EXPECT_EQ(ProgramFolderOf(u"/opt/pindora/bin/pindora"), u"/opt/pindora/bin/");
    EXPECT_EQ(ProgramFolderOf(u""), u"");

    Settings s{};
    SetProgramFolder(&s, u"D:\\絵\\pindora.exe");
    EXPECT_EQ(std::u16string(s.programFolder), u"D:\\絵\\");
    EXPECT_EQ(std::u16string(s.settingsPath), u"D:\\絵\\pindora.ini");

    // A folder with no room left for the file name gives no path at all.
    const std::u16string deep = u"C:\\" + std::u16string(250, u'd') + u"\\pindora.exe";
    SetProgramFolder(&s, deep.c_str());
    EXPECT_EQ(s.programFolder[0], 0);
    EXPECT_EQ(s.settingsPath[0], 0);
}

TEST(SettingsStartup, LanguageDefaultFollowsTheSystemLocale) {
    EXPECT_EQ(std::u16string(DefaultResourceFile(0x0411)), u"Japanese.dll");
    EXPECT_EQ(std::u16string(DefaultResourceFile(0x0409)), u"English.dll");
    EXPECT_EQ(std::u16string(DefaultResourceFile(0x0011)), u"English.dll");
}

#ifdef _WIN32
TEST(SettingsWindows, LoadFillsTheRecordAndSaveWritesIt) {
    Settings s{};
    LoadSettings(&s, nullptr);
    EXPECT_EQ(s.placement.length, 44u);
    EXPECT_EQ(s.placement.flags, 0u);
    const std::u16string folder = s.programFolder;
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), u'\\');
    EXPECT_EQ(std::u16string(s.settingsPath), folder + u"pindora.ini");
    const std::u16string resource = s.resourceFile;
    EXPECT_TRUE(resource == u"English.dll" || resource == u"Japanese.dll");
    ASSERT_NE(s.keyboardKeys, nullptr);
    EXPECT_GE(s.keyboardKeys->count, 1);

    // Saved somewhere harmless and loaded back into a fresh record.
    const std::string dir = MakeTempDir();
    const std::u16string path = Utf8ToUtf16(dir) + u"\\pindora.ini";
    CopyUtf16(s.settingsPath, kPathUnits, path.c_str());
    s.brushParams[0].penSize = 321;
    SaveSettings(&s);
    Settings back{};
    ApplySettingsDefaults(&back, nullptr);
    CopyUtf16(back.settingsPath, kPathUnits, path.c_str());
    ReadSettingsFile(&back);
    EXPECT_EQ(back.brushParams[0].penSize, 321);
    FreeKeyTables(&back);
    FreeKeyTables(&s);
    RemoveTree(dir);
}
#endif
