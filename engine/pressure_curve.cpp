// The pressure curve: pen size and hardness to a diameter for each pressure.
#include "engine/pressure_curve.h"

#include <cmath>

float PressureExponent(int32_t hardness) {
    // Converted first so that extreme settings values cannot overflow.
    float h = static_cast<float>(hardness);
    if (h < 50.0f) return 1.0f / (((50.0f - h) / 50.0f) * 3.0f + 1.0f);
    return ((h - 50.0f) / 50.0f) * 3.0f + 1.0f;
}

float PressureDiameter(uint32_t pressure, uint32_t maxPressure, float exponent, int32_t penSize) {
    float ratio;
    if (maxPressure == 0) {
        ratio = pressure != 0 ? 1.0f : 0.0f;
    } else {
        ratio = static_cast<float>(pressure) / static_cast<float>(maxPressure);
        if (ratio > 1.0f) ratio = 1.0f;
    }
    double scaled = std::pow(static_cast<double>(ratio), static_cast<double>(exponent)) *
                    static_cast<double>(penSize);
    float d = static_cast<float>(scaled);
    if (!(d >= 0.0f)) return 0.0f; // negative sizes and NaN
    if (d > kMaxBrushDiameter) return kMaxBrushDiameter;
    return d;
}
