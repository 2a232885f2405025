// Right-angle transforms: rotation in 90° steps and mirror, mapping pixel
// grids exactly. Canvas-side inputs use the canvas size rounded up to whole
// scale steps, so that a zoomed-out block never straddles the canvas edge.
// Integer steps run in 64 bits so that no input can overflow them; the
// divisions by the scale are in single precision and truncate toward zero.
#include "view/view_transforms.h"
#include "view/view_transforms_math.h"

namespace {

struct Extent {
    int64_t width;
    int64_t height;
};

// The canvas size rounded up to whole scale steps when zoomed out, so that
// every display pixel covers a whole block of canvas pixels.
Extent CanvasGrid(const Canvas* canvas, float scale) {
    int64_t w = CanvasWidthOf(canvas), h = CanvasHeightOf(canvas);
    if (!(scale > 1.0f)) return {w, h};
    int64_t k = scale >= 2147483647.0f ? INT32_MAX : static_cast<int64_t>(scale);
    if (w > 0) w = k * ((w + k - 1) / k);
    if (h > 0) h = k * ((h + k - 1) / k);
    return {w, h};
}

// The canvas size in bitmap pixels (single-precision quotient, ceiling).
Extent BitmapGrid(const ViewState* view) {
    float w = static_cast<float>(CanvasWidthOf(view->canvas));
    float h = static_cast<float>(CanvasHeightOf(view->canvas));
    return {CeilToInt32(w / view->scale), CeilToInt32(h / view->scale)};
}

int32_t DivideByScale(int64_t value, float scale) {
    return SaturateToInt32(static_cast<float>(value) / scale);
}

int32_t MultiplyByScale(int64_t value, float scale) {
    return SaturateToInt32(static_cast<float>(value) * scale);
}

// Mirror first, then rotate; the result is still in canvas units.
void TurnCanvasPoint(const Canvas* canvas, const ViewState* view, int64_t* x, int64_t* y) {
    Extent k = CanvasGrid(canvas, view->scale);
    if (view->mirror) *x = k.width - *x - 1;
    int64_t px = *x, py = *y;
    if (view->rotation == 90.0f) {
        *x = py;
        *y = k.width - px - 1;
    } else if (view->rotation == 180.0f) {
        *x = k.width - px - 1;
        *y = k.height - py - 1;
    } else if (view->rotation == 270.0f) {
        *x = k.height - py - 1;
        *y = px;
    }
}

void TurnCanvasRect(const Canvas* canvas, const ViewState* view, int64_t r[4]) {
    Extent k = CanvasGrid(canvas, view->scale);
    int64_t l = r[0], t = r[1], rt = r[2], b = r[3];
    if (view->mirror) {
        l = k.width - r[2];
        rt = k.width - r[0];
    }
    if (view->rotation == 90.0f) {
        r[0] = t, r[1] = k.width - rt, r[2] = b, r[3] = k.width - l;
    } else if (view->rotation == 180.0f) {
        r[0] = k.width - rt, r[1] = k.height - b, r[2] = k.width - l, r[3] = k.height - t;
    } else if (view->rotation == 270.0f) {
        r[0] = k.height - b, r[1] = l, r[2] = k.height - t, r[3] = rt;
    } else {
        r[0] = l, r[1] = t, r[2] = rt, r[3] = b;
    }
}

void MapCanvasPoint(const Canvas* canvas, const ViewState* view, int32_t* x, int32_t* y, int64_t dx,
                    int64_t dy) {
    if (!view || !x || !y) return;
    int64_t px = *x, py = *y;
    TurnCanvasPoint(canvas, view, &px, &py);
    *x = SaturateToInt32(static_cast<int64_t>(DivideByScale(px, view->scale)) + dx);
    *y = SaturateToInt32(static_cast<int64_t>(DivideByScale(py, view->scale)) + dy);
}

void MapCanvasRect(const Canvas* canvas, const ViewState* view, Rect* rect, int64_t dx,
                   int64_t dy) {
    if (!view || !rect) return;
    int64_t r[4] = {rect->left, rect->top, rect->right, rect->bottom};
    TurnCanvasRect(canvas, view, r);
    float s = view->scale;
    // Right and bottom round up, so a partly covered bitmap pixel is included.
    // Below scale 1 a canvas pixel covers whole bitmap pixels and the edge
    // maps exactly: adding s − 1 there would drop the last column and row.
    int64_t l = DivideByScale(r[0], s), t = DivideByScale(r[1], s);
    const float up = s < 1.0f ? 0.0f : s - 1.0f;
    int64_t rt = SaturateToInt32((static_cast<float>(r[2]) + up) / s);
    int64_t b = SaturateToInt32((static_cast<float>(r[3]) + up) / s);
    *rect = Rect{SaturateToInt32(l + dx), SaturateToInt32(t + dy), SaturateToInt32(rt + dx),
                 SaturateToInt32(b + dy)};
}

} // namespace

void RightCanvasToClient(const Canvas* canvas, const ViewState* view, int32_t* x, int32_t* y) {
    if (!view) return;
    MapCanvasPoint(canvas, view, x, y, view->originX, view->originY);
}

void RightCanvasToBitmap(const Canvas* canvas, const ViewState* view, int32_t* x, int32_t* y) {
    MapCanvasPoint(canvas, view, x, y, 0, 0);
}

void RightCanvasRectToClient(const Canvas* canvas, const ViewState* view, Rect* rect) {
    if (!view) return;
    MapCanvasRect(canvas, view, rect, view->originX, view->originY);
}

void RightCanvasRectToBitmap(const Canvas* canvas, const ViewState* view, Rect* rect) {
    MapCanvasRect(canvas, view, rect, 0, 0);
}

// Rotate back first, then mirror. A bitmap turned by 90 or 270 degrees is as
// wide as the canvas is high in bitmap pixels, and as high as it is wide, so
// the rotation undoes canvasToBitmap exactly.
void RightBitmapToCanvas(const ViewState* view, int32_t* x, int32_t* y) {
    if (!view || !x || !y) return;
    Extent b = BitmapGrid(view);
    int64_t px = *x, py = *y, cx = px, cy = py;
    if (view->rotation == 90.0f) {
        cx = b.width - py - 1;
        cy = px;
    } else if (view->rotation == 180.0f) {
        cx = b.width - px - 1;
        cy = b.height - py - 1;
    } else if (view->rotation == 270.0f) {
        cx = py;
        cy = b.height - px - 1;
    }
    if (view->mirror) {
        float s = view->scale;
        float w = static_cast<float>(CanvasWidthOf(view->canvas));
        int32_t steps = SaturateToInt32(s + w - 1.0f);
        cx = static_cast<int64_t>(SaturateToInt32(static_cast<float>(steps) / s)) - cx - 1;
    }
    *x = MultiplyByScale(cx, view->scale);
    *y = MultiplyByScale(cy, view->scale);
}

void RightBitmapRectToCanvas(const ViewState* view, Rect* rect) {
    if (!view || !rect) return;
    Extent b = BitmapGrid(view);
    int64_t l = rect->left, t = rect->top, r = rect->right, bm = rect->bottom;
    int64_t c[4] = {l, t, r, bm};
    if (view->rotation == 90.0f) {
        c[0] = b.width - bm, c[1] = l, c[2] = b.width - t, c[3] = r;
    } else if (view->rotation == 180.0f) {
        c[0] = b.width - r, c[1] = b.height - bm, c[2] = b.width - l, c[3] = b.height - t;
    } else if (view->rotation == 270.0f) {
        c[0] = t, c[1] = b.height - r, c[2] = bm, c[3] = b.height - l;
    }
    if (view->mirror) {
        int64_t left = c[0];
        c[0] = b.width - c[2];
        c[2] = b.width - left;
    }
    float s = view->scale;
    *rect = Rect{MultiplyByScale(c[0], s), MultiplyByScale(c[1], s), MultiplyByScale(c[2], s),
                 MultiplyByScale(c[3], s)};
}
