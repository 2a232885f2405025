// The colour ramp: n colours from A to B, evenly spaced in linear light, so
// that a half-covered block looks half as bright rather than too dark.
#include <cmath>

#include "view/block_reducers.h"

namespace {

float Linear(uint8_t channel, float gamma) {
    return static_cast<float>(std::pow(channel / 255.0, static_cast<double>(gamma)));
}

uint8_t Encode(float linear, float gamma) {
    double value = std::pow(static_cast<double>(linear), 1.0 / gamma) * 255.0 + 0.5;
    if (!(value > 0.0)) return 0; // also NaN from a nonsense gamma
    if (value >= 255.0) return 255;
    return static_cast<uint8_t>(value);
}

} // namespace

int32_t BuildColourRamp(RgbQuad* table, int32_t n, RgbQuad colourA, RgbQuad colourB, float gamma) {
    if (!table || n <= 0) return 0;
    const uint8_t a[3] = {colourA.rgbBlue, colourA.rgbGreen, colourA.rgbRed};
    const uint8_t b[3] = {colourB.rgbBlue, colourB.rgbGreen, colourB.rgbRed};
    float linA[3], linB[3];
    for (int c = 0; c < 3; ++c) linA[c] = Linear(a[c], gamma), linB[c] = Linear(b[c], gamma);
    // A single entry is colour A; it avoids dividing by n − 1 = 0.
    float steps = n > 1 ? static_cast<float>(n - 1) : 1.0f;
    for (int32_t i = 0; i < n; ++i) {
        uint8_t out[3];
        for (int c = 0; c < 3; ++c) {
            float v = linA[c] + (linB[c] - linA[c]) * static_cast<float>(i) / steps;
            out[c] = Encode(v, gamma);
        }
        table[i].rgbBlue = out[0];
        table[i].rgbGreen = out[1];
        table[i].rgbRed = out[2];
    }
    return 0;
}
