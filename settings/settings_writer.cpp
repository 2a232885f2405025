// Writes the whole settings file as the text-mode C runtime writer would:
// BOM, "[config]" with the nineteen keys in their fixed formats, "[key]"
// with the keyboard rows then the game pad rows, and every line feed
// (also one inside a text) turned into CR LF.
#include <cstdio>

#include "settings/config_keys.h"

namespace {

// Texts live in fixed buffers; never read past them.
std::string TextToUtf8(const char16_t* text) {
    char16_t bounded[kPathUnits];
    CopyUtf16(bounded, kPathUnits, text);
    return Utf16ToUtf8(bounded);
}

void AppendKeyRows(std::string* out, const KeyTable* table) {
    if (!table || !table->entries) return;
    char line[32];
    for (int32_t i = 0; i < table->count; ++i) {
        const Accel& row = table->entries[i];
        std::snprintf(line, sizeof line, "%02X%04X=%04X\n", unsigned{row.fVirt}, unsigned{row.key},
                      unsigned{row.cmd});
        *out += line;
    }
}

std::string WithCrLf(const std::string& text) {
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (char c : text) {
        if (c == '\n') out.push_back('\r');
        out.push_back(c);
    }
    return out;
}

} // namespace

std::string WriteSettingsText(const Settings* settings) {
    std::string text = "\xEF\xBB\xBF[config]\n";
    char line[64];
    for (int index = 0; index < kConfigKeyCount; ++index) {
        const char* name = ConfigKeyName(index);
        switch (ConfigKeyKind(index)) {
        case ConfigKind::HexUnsigned:
        case ConfigKind::HexSigned:
            std::snprintf(line, sizeof line, "%s0x%x\n", name,
                          static_cast<unsigned>(GetConfigNumber(settings, index)));
            text += line;
            break;
        case ConfigKind::DecimalSigned:
        case ConfigKind::DecimalUnsigned:
            std::snprintf(line, sizeof line, "%s%d\n", name,
                          static_cast<int>(static_cast<int32_t>(GetConfigNumber(settings, index))));
            text += line;
            break;
        case ConfigKind::Text:
            text += name;
            text += TextToUtf8(ConfigText(settings, index));
            text += '\n';
            break;
        }
    }
    text += "[key]\n";
    AppendKeyRows(&text, settings->keyboardKeys);
    AppendKeyRows(&text, settings->gamepadKeys);
    return WithCrLf(text);
}
