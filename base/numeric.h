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

// Narrows [*lo, *hi) to the t with 0 <= start + t * step < limit: the part of
// a fixed-point walk that stays inside a range.
inline void NarrowToRange(int64_t start, int64_t step, int64_t limit, int64_t* lo, int64_t* hi) {
    if (step > 0) {
        const int64_t from = CeilDivide(-start, step),
                      to = FloorDivide(limit - 1 - start, step) + 1;
        if (from > *lo) *lo = from;
        if (to < *hi) *hi = to;
    } else if (step < 0) {
        const int64_t from = CeilDivide(start - (limit - 1), -step);
        const int64_t to = FloorDivide(start, -step) + 1;
        if (from > *lo) *lo = from;
        if (to < *hi) *hi = to;
    } else if (start < 0 || start >= limit) {
        *hi = *lo;
    }
}
