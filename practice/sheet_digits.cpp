// The sheet's dot font: each glyph is seven rows of five bits, the most
// significant of the five leftmost.
#include "practice/sheet_digits.h"

namespace {

constexpr int32_t kGlyphColumns = 5;
constexpr int32_t kAdvance = kGlyphColumns + 1;

const uint8_t* Glyph(char c) {
    static const uint8_t kDigits[10][7] = {
        {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}, {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E},
        {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}, {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E},
        {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}, {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E},
        {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}, {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08},
        {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}, {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C}};
    static const uint8_t kColon[7] = {0x00, 0x0C, 0x0C, 0x00, 0x0C, 0x0C, 0x00};
    static const uint8_t kSlash[7] = {0x01, 0x01, 0x02, 0x04, 0x08, 0x10, 0x10};
    if (c >= '0' && c <= '9') return kDigits[c - '0'];
    if (c == ':') return kColon;
    if (c == '/') return kSlash;
    return nullptr;
}

} // namespace

int32_t DigitTextWidth(const std::string& text, int32_t dot) {
    return text.empty() ? 0 : (static_cast<int32_t>(text.size()) * kAdvance - 1) * dot;
}

void DrawDigitText(RgbImage& image, int32_t x, int32_t y, const std::string& text, int32_t dot,
                   uint8_t grey) {
    for (size_t i = 0; i < text.size(); ++i) {
        const uint8_t* glyph = Glyph(text[i]);
        if (!glyph) continue;
        const int32_t left = x + static_cast<int32_t>(i) * kAdvance * dot;
        for (int32_t row = 0; row < 7 * dot; ++row) {
            const int32_t py = y + row;
            if (py < 0 || py >= image.height) continue;
            for (int32_t column = 0; column < kGlyphColumns * dot; ++column) {
                const int32_t px = left + column;
                if (px < 0 || px >= image.width) continue;
                if (!((glyph[row / dot] >> (kGlyphColumns - 1 - column / dot)) & 1)) continue;
                uint8_t* pixel =
                    &image.rgb[(static_cast<size_t>(py) * static_cast<size_t>(image.width) +
                                static_cast<size_t>(px)) *
                               3];
                pixel[0] = pixel[1] = pixel[2] = grey;
            }
        }
    }
}

std::string MinutesAndSeconds(int64_t seconds) {
    if (seconds < 0) seconds = 0;
    const int64_t rest = seconds % 60;
    return std::to_string(seconds / 60) + (rest < 10 ? ":0" : ":") + std::to_string(rest);
}
