// Free-rotation transforms: any angle, about the canvas centre, with the
// rotated canvas placed in its bounding box. The angle is taken in single
// precision and its sine and cosine in double; sums are rounded to single
// precision where the renderers expect the same values.
#include <algorithm>

#include "view/view_transforms.h"
#include "view/view_transforms_math.h"

namespace {

struct FreeFrame {
    double cosT, sinT;    // of θ: bitmap to canvas
    double cosN, sinN;    // of −θ: canvas to bitmap
    float width, height;  // W, H of the canvas
    float halfW, halfH;   // half extents of the turned box, canvas side
    float halfWb, halfHb; // the same from the canvas size in bitmap pixels
};

float HalfExtent(double along, double across, double cosT, double sinT) {
    return static_cast<float>((std::fabs(along * cosT) + std::fabs(across * sinT)) * 0.5);
}

FreeFrame MakeFrame(int32_t width, int32_t height, const ViewState* view) {
    FreeFrame f;
    float theta = DegreesToRadians(view->rotation);
    f.cosT = std::cos(static_cast<double>(theta));
    f.sinT = std::sin(static_cast<double>(theta));
    f.cosN = std::cos(-static_cast<double>(theta));
    f.sinN = std::sin(-static_cast<double>(theta));
    f.width = static_cast<float>(width);
    f.height = static_cast<float>(height);
    f.halfW = HalfExtent(f.width, f.height, f.cosT, f.sinT);
    f.halfH = HalfExtent(f.height, f.width, f.cosT, f.sinT);
    double wb = std::ceil(f.width / view->scale), hb = std::ceil(f.height / view->scale);
    f.halfWb = HalfExtent(wb, hb, f.cosT, f.sinT);
    f.halfHb = HalfExtent(hb, wb, f.cosT, f.sinT);
    return f;
}

// Canvas point to the turned box, in canvas units (before the division by
// the scale); mirror first.
void TurnToBox(const FreeFrame& f, const ViewState* view, float* x, float* y) {
    float px = *x;
    if (view->mirror) px = f.width - px - 1.0f;
    float r = px - f.width * 0.5f, t = *y - f.height * 0.5f;
    *x = static_cast<float>(r * f.cosN - t * f.sinN + f.halfW);
    *y = static_cast<float>(r * f.sinN + t * f.cosN + f.halfH);
}

void BitmapToCanvasFloat(const FreeFrame& f, const ViewState* view, float* x, float* y) {
    float l = *x - f.halfWb, m = *y - f.halfHb;
    float cx = static_cast<float>(l * f.cosT - m * f.sinT) * view->scale + f.width * 0.5f;
    float cy = static_cast<float>(m * f.cosT + l * f.sinT) * view->scale + f.height * 0.5f;
    if (view->mirror) cx = f.width - 1.0f - cx;
    *x = cx;
    *y = cy;
}

FloatRect CornerBox(const Canvas* canvas, const ViewState* view, Rect rect, float dx, float dy) {
    FreeFrame f = MakeFrame(CanvasWidthOf(canvas), CanvasHeightOf(canvas), view);
    const float xs[4] = {static_cast<float>(rect.left), static_cast<float>(rect.left),
                         static_cast<float>(rect.right), static_cast<float>(rect.right)};
    const float ys[4] = {static_cast<float>(rect.top), static_cast<float>(rect.bottom),
                         static_cast<float>(rect.bottom), static_cast<float>(rect.top)};
    FloatRect box{0, 0, 0, 0};
    for (int i = 0; i < 4; ++i) {
        float x = xs[i], y = ys[i];
        TurnToBox(f, view, &x, &y);
        x = x / view->scale + dx;
        y = y / view->scale + dy;
        if (i == 0) {
            box = FloatRect{x, y, x, y};
            continue;
        }
        box.left = std::min(box.left, x), box.top = std::min(box.top, y);
        box.right = std::max(box.right, x), box.bottom = std::max(box.bottom, y);
    }
    return box;
}

} // namespace

void FreeCanvasToBitmapFloat(const Canvas* canvas, const ViewState* view, float* x, float* y) {
    if (!view || !x || !y) return;
    FreeFrame f = MakeFrame(CanvasWidthOf(canvas), CanvasHeightOf(canvas), view);
    TurnToBox(f, view, x, y);
    *x = *x / view->scale;
    *y = *y / view->scale;
}

void FreeBitmapToCanvasFloat(const ViewState* view, float* x, float* y) {
    if (!view || !x || !y) return;
    FreeFrame f = MakeFrame(CanvasWidthOf(view->canvas), CanvasHeightOf(view->canvas), view);
    BitmapToCanvasFloat(f, view, x, y);
}

FloatRect FreeCanvasRectToBitmapFloat(const Canvas* canvas, const ViewState* view, Rect rect) {
    if (!view) return FloatRect{0, 0, 0, 0};
    return CornerBox(canvas, view, rect, 0.0f, 0.0f);
}

void FreeCanvasToClient(const Canvas* canvas, const ViewState* view, int32_t* x, int32_t* y) {
    if (!view || !x || !y) return;
    FreeFrame f = MakeFrame(CanvasWidthOf(canvas), CanvasHeightOf(canvas), view);
    float px = static_cast<float>(*x), py = static_cast<float>(*y);
    TurnToBox(f, view, &px, &py);
    *x = SaturateToInt32(px / view->scale + static_cast<float>(view->originX) + 0.5f);
    *y = SaturateToInt32(py / view->scale + static_cast<float>(view->originY) + 0.5f);
}

void FreeCanvasToBitmap(const Canvas* canvas, const ViewState* view, int32_t* x, int32_t* y) {
    if (!view || !x || !y) return;
    float px = static_cast<float>(*x), py = static_cast<float>(*y);
    FreeCanvasToBitmapFloat(canvas, view, &px, &py);
    *x = FloorToInt32(px + 0.5f);
    *y = FloorToInt32(py + 0.5f);
}

void FreeCanvasRectToClient(const Canvas* canvas, const ViewState* view, Rect* rect) {
    if (!view || !rect) return;
    FloatRect box = CornerBox(canvas, view, *rect, static_cast<float>(view->originX),
                              static_cast<float>(view->originY));
    *rect = Rect{FloorToInt32(box.left), FloorToInt32(box.top), CeilToInt32(box.right),
                 CeilToInt32(box.bottom)};
}

void FreeCanvasRectToBitmap(const Canvas* canvas, const ViewState* view, Rect* rect) {
    if (!view || !rect) return;
    FloatRect box = CornerBox(canvas, view, *rect, 0.0f, 0.0f);
    *rect = Rect{FloorToInt32(box.left), FloorToInt32(box.top), CeilToInt32(box.right),
                 CeilToInt32(box.bottom)};
}

void FreeBitmapToCanvas(const ViewState* view, int32_t* x, int32_t* y) {
    if (!view || !x || !y) return;
    float px = static_cast<float>(*x), py = static_cast<float>(*y);
    FreeBitmapToCanvasFloat(view, &px, &py);
    *x = FloorToInt32(px + 0.5f);
    *y = FloorToInt32(py + 0.5f);
}

void FreeBitmapRectToCanvas(const ViewState* view, Rect* rect) {
    if (!view || !rect) return;
    const int32_t xs[4] = {rect->left, rect->left, rect->right, rect->right};
    const int32_t ys[4] = {rect->top, rect->bottom, rect->bottom, rect->top};
    Rect box{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
    for (int i = 0; i < 4; ++i) {
        int32_t x = xs[i], y = ys[i];
        FreeBitmapToCanvas(view, &x, &y);
        box.left = std::min(box.left, x), box.top = std::min(box.top, y);
        box.right = std::max(box.right, x), box.bottom = std::max(box.bottom, y);
    }
    *rect = box;
}
