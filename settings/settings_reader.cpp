// Reads "pindora.ini" the way the C runtime line reader sees it, so a file
// gives the same values here as in every earlier build of the program:
//  - a text-mode stream: CR LF arrives as LF; a lone CR stays a CR (Ctrl+Z
//    is an ordinary byte);
//  - fgets-style lines: at most 255 bytes (outer scan, key section) or 1023
//    bytes (config section), cut after a line feed; a longer line arrives in
//    pieces and each piece counts as a line; a NUL byte ends the line's text;
//  - the line that ends a section (a line starting with "[") is used up by
//    that section, so the outer scan never sees it.
// Config lines are decoded from UTF-8 (invalid sequences become U+FFFD) and
// kept to 259 UTF-16 units, never splitting a surrogate pair.
#include <algorithm>
#include <vector>

#include "settings/config_keys.h"
#include "settings/crt_numbers.h"
#include "settings/key_tables.h"

namespace {

constexpr size_t kScanLineBytes = 255;
constexpr size_t kConfigLineBytes = 1023;
constexpr size_t kKeyLineBytes = 255;
constexpr size_t kConfigLineUnits = kPathUnits - 1;

std::string TextModeBytes(const std::string& raw) {
    std::string bytes;
    bytes.reserve(raw.size());
    for (size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n') continue;
        bytes.push_back(raw[i]);
    }
    return bytes;
}

class LineReader {
  public:
    LineReader(const std::string& bytes, size_t start) : bytes_(bytes), pos_(start) {}

    // False at the end of the stream, like fgets returning null.
    bool Next(size_t maxBytes, std::string* line) {
        if (pos_ >= bytes_.size()) return false;
        size_t limit = std::min(bytes_.size(), pos_ + maxBytes);
        size_t end = pos_;
        while (end < limit) {
            if (bytes_[end++] == '\n') break;
        }
        line->assign(bytes_, pos_, end - pos_);
        pos_ = end;
        size_t nul = line->find('\0');
        if (nul != std::string::npos) line->resize(nul);
        return true;
    }

  private:
    const std::string& bytes_;
    size_t pos_;
};

void ReadKeySection(Settings* settings, LineReader* reader) {
    std::vector<Accel> keyboard;
    std::vector<Accel> gamepad;
    std::string line;
    while (keyboard.size() < kMaxKeyRows && reader->Next(kKeyLineBytes, &line)) {
        if (!line.empty() && line[0] == '[') break;
        size_t equals = line.find('=');
        if (equals == std::string::npos) continue;
        uint32_t code = HexToULong(line.c_str());
        Accel row{};
        row.fVirt = static_cast<uint8_t>(code >> 16);
        row.key = static_cast<uint16_t>(code);
        row.cmd = static_cast<uint16_t>(HexToULong(line.c_str() + equals + 1));
        // Key code 0 is no key: such a row (a bare "=", say) binds nothing,
        // and must not stand in for the built-in keyboard rows.
        if (row.key == 0) continue;
        if (row.key < 0x100) {
            keyboard.push_back(row);
        } else if (gamepad.size() < kMaxKeyRows) {
            gamepad.push_back(row);
        }
        // Game pad rows beyond the cap are dropped; the section goes on.
    }
    ReplaceKeyEntries(&settings->keyboardKeys, keyboard.data(),
                      static_cast<int32_t>(keyboard.size()));
    ReplaceKeyEntries(&settings->gamepadKeys, gamepad.data(), static_cast<int32_t>(gamepad.size()));
}

bool StartsWithKey(const std::u16string& line, const char* name) {
    size_t i = 0;
    for (; name[i]; ++i) {
        if (i >= line.size() || line[i] != static_cast<char16_t>(name[i])) return false;
    }
    return true;
}

void StoreValue(Settings* settings, int index, const char16_t* value) {
    switch (ConfigKeyKind(index)) {
    case ConfigKind::HexSigned:
    case ConfigKind::DecimalSigned:
        SetConfigNumber(settings, index, static_cast<uint32_t>(WideToLong(value)));
        break;
    case ConfigKind::HexUnsigned:
    case ConfigKind::DecimalUnsigned:
        SetConfigNumber(settings, index, WideToULong(value));
        break;
    case ConfigKind::Text:
        CopyUtf16(ConfigText(settings, index), kPathUnits, value);
        break;
    }
}

void ReadConfigSection(Settings* settings, LineReader* reader) {
    std::string bytes;
    while (reader->Next(kConfigLineBytes, &bytes)) {
        std::u16string line = Utf8ToUtf16(bytes);
        if (line.size() > kConfigLineUnits) {
            line.resize(kConfigLineUnits);
            if (line.back() >= 0xD800 && line.back() <= 0xDBFF) line.pop_back();
        }
        if (!line.empty() && line[0] == u'[') {
            if (line == u"[key]\n") ReadKeySection(settings, reader);
            return;
        }
        size_t feed = line.find(u'\n');
        if (feed != std::u16string::npos) line.resize(feed);
        for (int index = 0; index < kConfigKeyCount; ++index) {
            const char* name = ConfigKeyName(index);
            if (!StartsWithKey(line, name)) continue;
            StoreValue(settings, index, line.c_str() + std::char_traits<char>::length(name));
            break;
        }
    }
}

} // namespace

void ReadSettingsText(Settings* settings, const std::string& fileBytes) {
    const std::string bytes = TextModeBytes(fileBytes);
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") != 0) return;
    LineReader reader(bytes, 3);
    std::string line;
    while (reader.Next(kScanLineBytes, &line)) {
        if (line == "[config]\n") ReadConfigSection(settings, &reader);
    }
}
