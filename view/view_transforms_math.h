// Number conversions shared by the two transform sets. Every float-to-integer
// step saturates (NaN gives 0), so a zero scale or absurd coordinates give
// defined, clamped results instead of undefined behaviour.
#pragma once

#include <cmath>
#include <cstdint>

#include "view/view_state.h"

inline int32_t SaturateToInt32(double value) {
    if (!(value == value)) return 0;
    if (value >= 2147483647.0) return INT32_MAX;
    if (value <= -2147483648.0) return INT32_MIN;
    return static_cast<int32_t>(value); // C conversion: truncates toward zero
}

inline int32_t FloorToInt32(double value) {
    return SaturateToInt32(std::floor(value));
}
inline int32_t CeilToInt32(double value) {
    return SaturateToInt32(std::ceil(value));
}

inline int32_t CanvasWidthOf(const Canvas* canvas) {
    return canvas ? canvas->image.width : 0;
}
inline int32_t CanvasHeightOf(const Canvas* canvas) {
    return canvas ? canvas->image.height : 0;
}
