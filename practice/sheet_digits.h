// A tiny built-in font for the sheet's numbers: digits, ":" and "/", drawn
// as 5 × 7 blocks of square dots. No window code.
#pragma once

#include <cstdint>
#include <string>

#include "practice/thumbnails.h"

// Width in pixels of the text at that dot size (other characters are spaces).
int32_t DigitTextWidth(const std::string& text, int32_t dot);
constexpr int32_t DigitTextHeight(int32_t dot) {
    return 7 * dot;
}

// Draws the text with its top left corner at (x, y) in the grey level;
// whatever falls outside the image is left out.
void DrawDigitText(RgbImage& image, int32_t x, int32_t y, const std::string& text, int32_t dot,
                   uint8_t grey);

// "m:ss" (minutes not folded into hours).
std::string MinutesAndSeconds(int64_t seconds);
