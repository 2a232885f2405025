// Screen sixteenths of a pixel to canvas pixels, through either transform set.
#include "engine/screen_to_canvas.h"
#include "base/numeric.h"

#include <cmath>

void ScreenToCanvasRightAngle(const ViewState* view, Point origin, int32_t* x, int32_t* y) {
    const float s = view->scale, k = 16.0f / s;
    const int32_t W = view->canvas->image.width, H = view->canvas->image.height;
    int32_t px = SaturateToInt32(static_cast<float>(*x) / k - static_cast<float>(origin.x) * s -
                                 static_cast<float>(view->originX) * s);
    int32_t py = SaturateToInt32(static_cast<float>(*y) / k - static_cast<float>(origin.y) * s -
                                 static_cast<float>(view->originY) * s);
    int32_t cx = px, cy = py;
    if (view->rotation == 90.0f) {
        cx = W - py - 1;
        cy = px;
    } else if (view->rotation == 180.0f) {
        cx = W - px - 1;
        cy = H - py - 1;
    } else if (view->rotation == 270.0f) {
        cx = py;
        cy = H - px - 1;
    }
    if (view->mirror) cx = W - cx - 1;
    *x = cx;
    *y = cy;
}

void ScreenToCanvasFree(const ViewState* view, Point origin, int32_t* x, int32_t* y) {
    const float s = view->scale, k = 16.0f / s;
    const int32_t W = view->canvas->image.width, H = view->canvas->image.height;
    const float theta = DegreesToRadians(view->rotation);
    const double sine = std::sin(static_cast<double>(theta)),
                 cosine = std::cos(static_cast<double>(theta));
    const int32_t x1 =
        SaturateToInt32(static_cast<float>(*x) / k - static_cast<float>(origin.x) * s);
    const int32_t y1 =
        SaturateToInt32(static_cast<float>(*y) / k - static_cast<float>(origin.y) * s);
    const int32_t x2 =
        SaturateToInt32(static_cast<float>(x1) - static_cast<float>(view->originX) * s);
    const int32_t y2 =
        SaturateToInt32(static_cast<float>(y1) - static_cast<float>(view->originY) * s);
    const int32_t hw = SaturateToInt32((std::fabs(W * cosine) + std::fabs(H * sine)) * 0.5);
    const int32_t hh = SaturateToInt32((std::fabs(H * cosine) + std::fabs(W * sine)) * 0.5);
    const double dx = static_cast<double>(x2) - hw, dy = static_cast<double>(y2) - hh;
    int32_t cx = SaturateToInt32(static_cast<float>(dx * cosine - dy * sine + W / 2));
    int32_t cy = SaturateToInt32(static_cast<float>(dy * cosine + dx * sine + H / 2));
    if (view->mirror) cx = W - cx - 1;
    *x = cx;
    *y = cy;
}
