// UTF-8 and UTF-16 conversions for the settings texts and the fixed-size
// path buffers. Bad input never fails: every invalid UTF-8 sequence (the
// longest invalid part of it) and every lone surrogate becomes U+FFFD, the
// same substitution the Windows converters make.
#include "settings/settings.h"

namespace {

constexpr char16_t kReplacement = 0xFFFD;

bool IsHighSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool IsLowSurrogate(char16_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

void AppendUtf8(std::string* out, uint32_t code) {
    if (code < 0x80) {
        out->push_back(static_cast<char>(code));
    } else if (code < 0x800) {
        out->push_back(static_cast<char>(0xC0 | (code >> 6)));
        out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        out->push_back(static_cast<char>(0xE0 | (code >> 12)));
        out->push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
        out->push_back(static_cast<char>(0xF0 | (code >> 18)));
        out->push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
        out->push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
}

} // namespace

void CopyUtf16(char16_t* target, size_t capacity, const char16_t* source) {
    if (!target || capacity == 0) return;
    size_t length = 0;
    if (source) {
        while (source[length] && length + 1 < capacity) ++length;
        // Cutting between the halves of a pair would leave half a character.
        if (source[length] && length > 0 && IsHighSurrogate(source[length - 1])) --length;
        for (size_t i = 0; i < length; ++i) target[i] = source[i];
    }
    target[length] = 0;
}

std::string Utf16ToUtf8(const char16_t* text) {
    std::string out;
    if (!text) return out;
    for (size_t i = 0; text[i]; ++i) {
        char16_t unit = text[i];
        if (IsHighSurrogate(unit) && IsLowSurrogate(text[i + 1])) {
            uint32_t code = 0x10000 + ((uint32_t(unit) - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            AppendUtf8(&out, code);
            ++i;
        } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
            AppendUtf8(&out, kReplacement);
        } else {
            AppendUtf8(&out, unit);
        }
    }
    return out;
}

std::u16string Utf8ToUtf16(const std::string& text) {
    std::u16string out;
    out.reserve(text.size());
    size_t i = 0;
    const size_t size = text.size();
    while (i < size) {
        uint8_t lead = static_cast<uint8_t>(text[i++]);
        if (lead < 0x80) {
            out.push_back(lead);
            continue;
        }
        // Continuation count and the allowed range of the first continuation
        // byte, which rules out overlong forms, surrogates and codes above
        // U+10FFFF.
        int needed = 0;
        uint32_t code = 0;
        uint8_t low = 0x80, high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            needed = 1;
            code = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            needed = 2;
            code = lead & 0x0F;
            if (lead == 0xE0) low = 0xA0;
            if (lead == 0xED) high = 0x9F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            needed = 3;
            code = lead & 0x07;
            if (lead == 0xF0) low = 0x90;
            if (lead == 0xF4) high = 0x8F;
        } else {
            out.push_back(kReplacement);
            continue;
        }
        int taken = 0;
        while (taken < needed && i < size) {
            uint8_t next = static_cast<uint8_t>(text[i]);
            if (next < low || next > high) break;
            code = (code << 6) | (next & 0x3F);
            low = 0x80;
            high = 0xBF;
            ++i;
            ++taken;
        }
        if (taken < needed) {
            out.push_back(kReplacement);
        } else if (code >= 0x10000) {
            code -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(code));
        }
    }
    return out;
}
