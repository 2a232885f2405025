// The geometry of the rotate and zoom drags.
#include "view/view_gestures.h"
#include "base/numeric.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

float PointerAngle(int32_t clientWidth, int32_t clientHeight, int32_t x, int32_t y) {
    const int32_t dx = x - clientWidth / 2, dy = y - clientHeight / 2;
    if (dx == 0 && dy == 0) return 0.0f;
    return std::atan2(static_cast<float>(dx), static_cast<float>(dy));
}

float PointerDistance(int32_t clientWidth, int32_t clientHeight, int32_t x, int32_t y) {
    const int64_t dx = std::llabs(static_cast<int64_t>(x) - clientWidth / 2);
    const int64_t dy = std::llabs(static_cast<int64_t>(y) - clientHeight / 2);
    return static_cast<float>(std::max(dx, dy));
}

float ZoomStartDistance(float distance) {
    return std::max(distance, 100.0f);
}

float DragTurnDegrees(float startAngle, float angle) {
    return RadiansToDegrees(angle - startAngle);
}

float DragZoomScale(float scale, float distance, float startDistance) {
    const float ratio = startDistance > 0.0f ? distance / startDistance : 0.0f;
    const float zoomed = ratio > 0.0f ? scale / ratio : 16.0f;
    return std::min(16.0f, std::max(1.0f, zoomed));
}
