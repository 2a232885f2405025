// Number conversions shared by every floor, one meaning per name. Float to
// integer conversions are defined for every input: beyond the int32 range
// they saturate (or give the x86 indefinite value where the name says so).
#pragma once

#include <cmath>
#include <cstdint>

// Truncation toward zero, saturating at the int32 limits; not a number gives 0.
inline int32_t SaturateToInt32(double value) {
    if (!(value == value)) return 0;
    if (value >= 2147483647.0) return INT32_MAX;
    if (value <= -2147483648.0) return INT32_MIN;
    return static_cast<int32_t>(value);
}
inline int32_t FloorToInt32(double value) {
    return SaturateToInt32(std::floor(value));
}
inline int32_t CeilToInt32(double value) {
    return SaturateToInt32(std::ceil(value));
}

// Truncation toward zero as the x86 conversion instruction does it: out of
// range or not a number gives the "integer indefinite" INT32_MIN.
inline int32_t TruncateOrIndefinite(double value) {
    if (value > -2147483649.0 && value < 2147483648.0) return static_cast<int32_t>(value);
    return INT32_MIN;
}

// floor(value) as a 16.16 step or origin, when it fits an int32.
inline bool FloorToInt32Step(double value, int32_t* step) {
    const double floored = std::floor(value);
    if (!(floored > -2147483648.0 && floored < 2147483647.0)) return false;
    *step = static_cast<int32_t>(floored);
    return true;
}

// Integer division rounding toward minus and plus infinity (b > 0).
inline int64_t FloorDivide(int64_t a, int64_t b) {
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}
inline int64_t CeilDivide(int64_t a, int64_t b) {
    return -FloorDivide(-a, b);
}

// Degrees and radians in single precision, with the π the view's angles use.
constexpr float kViewPi = 3.1415927f;
inline float DegreesToRadians(float degrees) {
    return degrees / 180.0f * kViewPi;
}
inline float RadiansToDegrees(float radians) {
    return radians * 180.0f / kViewPi;
}
