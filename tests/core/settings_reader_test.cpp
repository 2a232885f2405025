// Reading "pindora.ini": numbers as the C runtime parses them, key matching,
// the section rules, key rows, and files that are broken on purpose.
#include <gtest/gtest.h>

#include <string>

#include "settings/crt_numbers.h"
#include "settings/settings.h"

namespace {

const std::string kBom = "\xEF\xBB\xBF";

struct ReadSettings {
    Settings s{};
    explicit ReadSettings(const std::string& file) {
        ApplySettingsDefaults(&s, nullptr);
        ReadSettingsText(&s, file);
    }
    ~ReadSettings() { FreeKeyTables(&s); }
    int32_t penSize() const { return s.brushParams[0].penSize; }
};

int32_t PenSizeOf(const std::string& value) {
    return ReadSettings(kBom + "[config]\nPenSize=" + value + "\n").penSize();
}

uint32_t OpacityOf(const std::string& value) {
    return static_cast<uint32_t>(
        ReadSettings(kBom + "[config]\nopacity=" + value + "\n").s.opacity);
}

} // namespace

TEST(SettingsNumbers, BaseDetectionAndStops) {
    EXPECT_EQ(PenSizeOf("0x20"), 32);
    EXPECT_EQ(PenSizeOf("0X1f"), 31);
    EXPECT_EQ(PenSizeOf("010"), 8);
    EXPECT_EQ(PenSizeOf("09"), 0); // octal stops at 9
    EXPECT_EQ(PenSizeOf("12px"), 12);
    EXPECT_EQ(PenSizeOf("0x"), 0);
    EXPECT_EQ(PenSizeOf("0xg"), 0);
    EXPECT_EQ(PenSizeOf(""), 0);
    EXPECT_EQ(PenSizeOf("abc"), 0);
    EXPECT_EQ(PenSizeOf(" \t 5"), 5);
    EXPECT_EQ(PenSizeOf("+7"), 7);
    EXPECT_EQ(PenSizeOf("-0x10"), -16);
    EXPECT_EQ(PenSizeOf("- 5"), 0);          // no space after the sign
    EXPECT_EQ(PenSizeOf("\xEF\xBC\x95"), 0); // a full-width digit is no digit
}

TEST(SettingsNumbers, OverflowSaturatesLikeA32BitLong) {
    EXPECT_EQ(PenSizeOf("2147483647"), INT32_MAX);
    EXPECT_EQ(PenSizeOf("2147483648"), INT32_MAX);
    EXPECT_EQ(PenSizeOf("99999999999999999999999"), INT32_MAX);
    EXPECT_EQ(PenSizeOf("-2147483648"), INT32_MIN);
    EXPECT_EQ(PenSizeOf("-2147483649"), INT32_MIN);
    EXPECT_EQ(PenSizeOf("0xffffffff"), INT32_MAX);

    EXPECT_EQ(OpacityOf("4294967295"), UINT32_MAX);
    EXPECT_EQ(OpacityOf("4294967296"), UINT32_MAX);
    EXPECT_EQ(OpacityOf("-1"), UINT32_MAX);          // negated modulo 2^32
    EXPECT_EQ(OpacityOf("-4294967296"), UINT32_MAX); // too large whatever the sign
    EXPECT_EQ(OpacityOf("-2147483648"), 0x80000000u);

    EXPECT_EQ(HexToULong("09004E"), 0x09004Eu);
    EXPECT_EQ(HexToULong("0x1F=2"), 0x1Fu);
    EXPECT_EQ(HexToULong("123456789"), UINT32_MAX);
    EXPECT_EQ(HexToULong("  -1"), UINT32_MAX);
    EXPECT_EQ(HexToULong("\xC3\xA9"), 0u);
    EXPECT_EQ(WideToULong(u"\u00A0 5"), 0u); // only ASCII white space is skipped
}

TEST(SettingsConfig, KeysMatchOverTheirFullName) {
    ReadSettings r(kBom + "[config]\n"
                          "opacityx=5\n"
                          "WindowOpacity= 5\n"
                          "opacity= 9\n"
                          "pensize=3\n"
                          "PenSize=12 \n"
                          "PenHardness\n"
                          "bgcolor=0x123456\n"
                          "RefColor0=-1\n"
                          "defaultpath=C:\\絵 \n"
                          "ResourceFile=\n"
                          "TimeLimit=3\n"
                          "RecordStep=1\n"
                          "showCmd=3\n"
                          "rcNormalPosition_left=-20\n");
    EXPECT_EQ(r.s.opacity, 9);
    EXPECT_EQ(r.s.windowOpacity, 5);
    EXPECT_EQ(r.penSize(), 12);
    EXPECT_EQ(r.s.brushParams[0].penHardness, 50);
    EXPECT_EQ(r.s.bgColour, 0x123456u);
    EXPECT_EQ(r.s.refColour0, 0xFFFFFFFFu);
    EXPECT_EQ(std::u16string(r.s.defaultPath), u"C:\\絵 "); // texts are taken unchanged
    EXPECT_EQ(std::u16string(r.s.resourceFile), u"");
    EXPECT_EQ(r.s.timeLimitIndex, 3);
    EXPECT_EQ(r.s.recordStep, 1);
    EXPECT_EQ(r.s.placement.showCmd, 3u);
    EXPECT_EQ(r.s.placement.rcNormalPosition.left, -20);
}

TEST(SettingsConfig, LaterLinesOverrideEarlierOnes) {
    ReadSettings r(kBom + "[config]\nPenSize=1\nPenSize=2\n[config]\nx\n[other]\n[config]\n"
                          "PenHardness=4\n");
    EXPECT_EQ(r.penSize(), 2);
    EXPECT_EQ(r.s.brushParams[0].penHardness, 4);
}

TEST(SettingsSections, ReadingStartsOnlyAtAConfigLine) {
    EXPECT_EQ(ReadSettings(kBom + "PenSize=5\n").penSize(), 50);
    EXPECT_EQ(ReadSettings(kBom + "[Config]\nPenSize=5\n").penSize(), 50);
    EXPECT_EQ(ReadSettings(kBom + " [config]\nPenSize=5\n").penSize(), 50);
    EXPECT_EQ(ReadSettings(kBom + "[config] \nPenSize=5\n").penSize(), 50);
    EXPECT_EQ(ReadSettings(kBom + "junk\n[config]\nPenSize=5\n").penSize(), 5);
    // Without the byte-order mark nothing is read.
    EXPECT_EQ(ReadSettings("[config]\nPenSize=5\n").penSize(), 50);
    EXPECT_EQ(ReadSettings("\xEF\xBB[config]\nPenSize=5\n").penSize(), 50);
}

TEST(SettingsSections, OtherSectionEndsConfigUntilALaterConfigLine) {
    ReadSettings r(kBom + "[config]\nPenSize=5\n[view]\nPenHardness=9\nopacity=1\n"
                          "[config]\nopacity=2\n");
    EXPECT_EQ(r.penSize(), 5);
    EXPECT_EQ(r.s.brushParams[0].penHardness, 50);
    EXPECT_EQ(r.s.opacity, 2);

    // The line that ends a section belongs to it: a "[config]" line inside
    // a config section ends it and does not start a new one.
    ReadSettings twice(kBom + "[config]\n[config]\nPenSize=5\n");
    EXPECT_EQ(twice.penSize(), 50);
}

TEST(SettingsSections, KeyLineEndsConfigAndStartsKeys) {
    ReadSettings r(kBom + "[config]\nPenSize=5\n[key]\nPenHardness=9\n09004E=9C41\n"
                          "[x]\n09004F=9C42\n[config]\nopacity=3\n");
    EXPECT_EQ(r.penSize(), 5);
    EXPECT_EQ(r.s.brushParams[0].penHardness, 50);
    // In the key section "PenHardness=9" is a row without hex digits (key
    // 0), which binds nothing. "[x]" ends the section, so 09004F is never read.
    ASSERT_EQ(r.s.keyboardKeys->count, 1);
    EXPECT_EQ(r.s.keyboardKeys->entries[0].key, 0x4E);
    EXPECT_EQ(r.s.opacity, 3);

    // A "[key]" section outside "[config]" is not read.
    ReadSettings outside(kBom + "[key]\n09004E=9C41\n");
    EXPECT_EQ(outside.s.keyboardKeys->count, 0);
}

TEST(SettingsKeys, RowsGoToTheirTablesInOrder) {
    ReadSettings r(kBom + "[config]\n[key]\n"
                          "09004E=9C41\n"
                          "000100=AFC9\n"
                          "010024=AFC9\n"
                          "no equals sign\n"
                          "000124=1AFCA\n" // command keeps its low 16 bits
                          "1F00FF=0\n"
                          "0x100041 = 0x10\n"
                          "=0001\n"        // key 0: binds nothing
                          "ABCDEF01=2\n"); // flags keep bits 16 to 23
    const KeyTable* keyboard = r.s.keyboardKeys;
    ASSERT_EQ(keyboard->count, 4);
    EXPECT_EQ(keyboard->entries[0].fVirt, kFVirtKey | kFControl);
    EXPECT_EQ(keyboard->entries[0].key, 0x4E);
    EXPECT_EQ(keyboard->entries[0].cmd, 40001);
    EXPECT_EQ(keyboard->entries[1].key, 0x24);
    EXPECT_EQ(keyboard->entries[2].fVirt, 0x1F);
    EXPECT_EQ(keyboard->entries[2].key, 0xFF);
    EXPECT_EQ(keyboard->entries[3].fVirt, kFAlt);
    EXPECT_EQ(keyboard->entries[3].key, 0x41);
    EXPECT_EQ(keyboard->entries[3].cmd, 0x10);

    const KeyTable* gamepad = r.s.gamepadKeys;
    ASSERT_EQ(gamepad->count, 3);
    EXPECT_EQ(gamepad->entries[0].key, 0x100);
    EXPECT_EQ(gamepad->entries[0].cmd, 45001);
    EXPECT_EQ(gamepad->entries[1].key, 0x124);
    EXPECT_EQ(gamepad->entries[1].cmd, 0xAFCA);
    EXPECT_EQ(gamepad->entries[2].fVirt, 0xCD);
    EXPECT_EQ(gamepad->entries[2].key, 0xEF01);
}

TEST(SettingsKeys, GamepadOnlySectionStillGetsTheBuiltInKeyboard) {
    ReadSettings r(kBom + "[config]\n[key]\n000100=AFC9\n000101=AFCA\n");
    EXPECT_EQ(r.s.keyboardKeys->count, 0);
    SupplyBuiltInKeys(&r.s);
    ASSERT_EQ(r.s.keyboardKeys->count, kBuiltInKeyCount);
    EXPECT_EQ(r.s.keyboardKeys->entries[0].key, 0x4E);
    EXPECT_EQ(r.s.keyboardKeys->entries[12].cmd, 40410);
    ASSERT_EQ(r.s.gamepadKeys->count, 2);
    EXPECT_EQ(r.s.gamepadKeys->entries[1].cmd, 0xAFCA);
}

TEST(SettingsKeys, ARowWithoutAKeyCodeBindsNothing) {
    // A bare "=" (or any row whose key code reads as 0) must not become a
    // keyboard row that stands in for the 13 built-in ones.
    ReadSettings r(kBom + "[config]\n[key]\n=\n=9C41\nxyz=1\n000100=AFC9\n");
    EXPECT_EQ(r.s.keyboardKeys->count, 0);
    SupplyBuiltInKeys(&r.s);
    EXPECT_EQ(r.s.keyboardKeys->count, kBuiltInKeyCount);
    EXPECT_EQ(r.s.gamepadKeys->count, 1);
}

TEST(SettingsKeys, ALaterKeySectionReplacesBothTables) {
    ReadSettings r(kBom + "[config]\n[key]\n09004E=9C41\n000100=AFC9\n[config]\n[config]\n"
                          "[key]\n000041=0001\n");
    ASSERT_EQ(r.s.keyboardKeys->count, 1);
    EXPECT_EQ(r.s.keyboardKeys->entries[0].key, 0x41);
    EXPECT_EQ(r.s.gamepadKeys->count, 0);
}

TEST(SettingsKeys, TablesStopAt1024Rows) {
    std::string file = kBom + "[config]\n[key]\n";
    for (int i = 0; i < 1100; ++i) file += "000200=0001\n"; // game pad
    for (int i = 0; i < 1024; ++i) file += "000041=0002\n"; // keyboard
    // After the 1024th keyboard row the section ends; the rest is only
    // scanned for "[config]".
    file += "000042=0003\n000201=0004\nPenSize=7\n[config]\nPenHardness=8\n";
    ReadSettings r(file);
    EXPECT_EQ(r.s.keyboardKeys->count, 1024);
    EXPECT_EQ(r.s.keyboardKeys->entries[1023].cmd, 2);
    EXPECT_EQ(r.s.gamepadKeys->count, 1024); // further game pad rows are dropped
    EXPECT_EQ(r.penSize(), 50);
    EXPECT_EQ(r.s.brushParams[0].penHardness, 8);
}

TEST(SettingsHostile, EmptyAndTruncatedFiles) {
    for (const std::string& file : {std::string(), kBom, kBom.substr(0, 2), std::string("\n"),
                                    kBom + "[config]", kBom + "[config]\n", kBom + "["}) {
        ReadSettings r(file);
        EXPECT_EQ(r.penSize(), 50);
        EXPECT_EQ(r.s.keyboardKeys->count, 0);
    }
    // The last line needs no line feed.
    EXPECT_EQ(ReadSettings(kBom + "[config]\nPenSize=7").penSize(), 7);
    ReadSettings last(kBom + "[config]\n[key]\n09004E=9C41");
    EXPECT_EQ(last.s.keyboardKeys->count, 1);
    // "[key]" without its line feed is not the key section.
    EXPECT_EQ(ReadSettings(kBom + "[config]\n[key]").s.keyboardKeys->count, 0);
}

TEST(SettingsHostile, LineEnds) {
    // CR LF is what the program writes.
    ReadSettings crlf(kBom + "[config]\r\nPenSize=7\r\ndefaultpath=x\r\n[key]\r\n09004E=9C41\r\n");
    EXPECT_EQ(crlf.penSize(), 7);
    EXPECT_EQ(std::u16string(crlf.s.defaultPath), u"x");
    EXPECT_EQ(crlf.s.keyboardKeys->count, 1);
    // Only CR: one long line, no "[config]" line, nothing read.
    EXPECT_EQ(ReadSettings(kBom + "[config]\rPenSize=7\r").penSize(), 50);
    // A lone CR stays in a text.
    ReadSettings cr(kBom + "[config]\ndefaultpath=a\rb\r\r\n");
    EXPECT_EQ(std::u16string(cr.s.defaultPath), u"a\rb\r");
}

TEST(SettingsHostile, OverlongLinesArriveInPieces) {
    // The outer scan reads 255 bytes at a time: a "[config]" line that starts
    // at byte 255 of a long line is seen as a line of its own.
    ReadSettings scan(kBom + std::string(255, 'x') + "[config]\nPenSize=6\n");
    EXPECT_EQ(scan.penSize(), 6);

    // Config lines are read 1023 bytes at a time; the second piece of a long
    // line is read as a line of its own.
    ReadSettings config(kBom + "[config]\nopacity=" + std::string(1015, '1') + "PenSize=6\n");
    EXPECT_EQ(config.penSize(), 6);
    EXPECT_EQ(static_cast<uint32_t>(config.s.opacity), UINT32_MAX);

    // A text keeps the first 259 units of its line, key name included.
    ReadSettings text(kBom + "[config]\ndefaultpath=" + std::string(600, 'p') + "\n");
    EXPECT_EQ(std::u16string(text.s.defaultPath), std::u16string(259 - 12, u'p'));
    // ... and never half of a surrogate pair.
    std::string pairs;
    for (int i = 0; i < 200; ++i) pairs += "\xF0\x9F\x96\x8C"; // U+1F58C, two units each
    ReadSettings pairText(kBom + "[config]\ndefaultpath=" + pairs + "\n");
    std::u16string path(pairText.s.defaultPath);
    EXPECT_EQ(path.size(), 246u); // 247 units would end in a high surrogate
    EXPECT_EQ(path.back(), 0xDD8C);

    // Key lines are read 255 bytes at a time.
    ReadSettings keys(kBom + "[config]\n[key]\n" + std::string(255, '0') + "09004E=9C41\n");
    ASSERT_EQ(keys.s.keyboardKeys->count, 1);
    EXPECT_EQ(keys.s.keyboardKeys->entries[0].cmd, 40001);
}

TEST(SettingsHostile, InvalidUtf8BecomesReplacementCharacters) {
    ReadSettings r(kBom + "[config]\ndefaultpath=a\xFF\xC3(\xE2\x82\xED\xA0\x80z\n"
                          "ResourceFile=\xF4\x90\x80\x80.dll\n");
    EXPECT_EQ(std::u16string(r.s.defaultPath), u"a\uFFFD\uFFFD(\uFFFD\uFFFD\uFFFD\uFFFDz");
    EXPECT_EQ(std::u16string(r.s.resourceFile), u"\uFFFD\uFFFD\uFFFD\uFFFD.dll");
    // A broken byte before a key name hides the key; the line is ignored.
    EXPECT_EQ(ReadSettings(kBom + "[config]\n\x80PenSize=5\n").penSize(), 50);
}

TEST(SettingsHostile, NulBytesEndTheLineText) {
    using namespace std::string_literals;
    ReadSettings r(kBom +
                   "[config]\nPenSize=5\0"
                   "9\ndefaultpath=ab\0cd\n\0PenHardness=3\n"s +
                   "[key]\n09004E\0=9C41\n000041=9C\0"
                   "42\n"s);
    EXPECT_EQ(r.penSize(), 5);
    EXPECT_EQ(std::u16string(r.s.defaultPath), u"ab");
    EXPECT_EQ(r.s.brushParams[0].penHardness, 50);
    ASSERT_EQ(r.s.keyboardKeys->count, 1); // the first row lost its "="
    EXPECT_EQ(r.s.keyboardKeys->entries[0].cmd, 0x9C);
    EXPECT_EQ(ReadSettings("\xEF\xBB\xBF[config]\0\nPenSize=5\n"s).penSize(), 50);
}

TEST(SettingsHostile, RecordWithoutTablesGetsThem) {
    Settings s{};
    ReadSettingsText(&s, kBom + "[config]\n[key]\n09004E=9C41\n");
    ASSERT_NE(s.keyboardKeys, nullptr);
    ASSERT_NE(s.gamepadKeys, nullptr);
    EXPECT_EQ(s.keyboardKeys->count, 1);
    FreeKeyTables(&s);
    SupplyBuiltInKeys(&s);
    ASSERT_NE(s.keyboardKeys, nullptr);
    EXPECT_EQ(s.keyboardKeys->count, kBuiltInKeyCount);
    FreeKeyTables(&s);
    EXPECT_EQ(s.keyboardKeys, nullptr);
}
