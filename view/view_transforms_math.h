// Number conversions shared by the two transform sets. Every float-to-integer
// step saturates (NaN gives 0), so a zero scale or absurd coordinates give
// defined, clamped results instead of undefined behaviour.
#pragma once

#include <cmath>
#include <cstdint>

#include "base/numeric.h"
#include "view/view_state.h"

inline int32_t CanvasWidthOf(const Canvas* canvas) {
    return canvas ? canvas->image.width : 0;
}
inline int32_t CanvasHeightOf(const Canvas* canvas) {
    return canvas ? canvas->image.height : 0;
}
