// The view paint and the operations that move, scale, turn and mirror the
// view: each adjusts the record and repaints what changed.
#include "view/view_paint.h"

#include <algorithm>
#include <cmath>

#include "base/report.h"
#include "view/block_reducers.h"
#include "view/render_region.h"
#include "view/screen_compose.h"
#include "view/view_transforms.h"

namespace {

void PlaceCentre(ViewState* view) {
    view->originX = view->clientWidth / 2 - view->centreX;
    view->originY = view->clientHeight / 2 - view->centreY;
}

bool NearOneToOneFree(const ViewState* view) {
    return view->freeRotation && view->scale <= 1.5f;
}

// The centre point's canvas position through the free-rotation form, which
// serves every angle, and back.
void CentreToCanvas(const ViewState* view, float* x, float* y) {
    *x = static_cast<float>(view->centreX);
    *y = static_cast<float>(view->centreY);
    FreeBitmapToCanvasFloat(view, x, y);
}

void CentreFromCanvas(ViewState* view, float x, float y) {
    FreeCanvasToBitmapFloat(view->canvas, view, &x, &y);
    view->centreX = static_cast<int32_t>(std::floor(x + 0.5f));
    view->centreY = static_cast<int32_t>(std::floor(y + 0.5f));
    PlaceCentre(view);
}

} // namespace

void PaintViewRect(ViewState* view, Rect r) {
    const int32_t w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0 || !view->screen) return;
    int32_t sx = r.left - view->originX, sy = r.top - view->originY;
    int32_t tx = r.left, ty = r.top, sw = w, sh = h, factor = 1;
    if (view->scale < 1.0f) {
        // The view bitmap holds the canvas at one pixel per canvas pixel;
        // each of its pixels covers e × e screen pixels.
        const int32_t e = std::max(1, static_cast<int32_t>(1.0f / view->scale));
        tx = r.left - sx % e;
        ty = r.top - sy % e;
        const int32_t wide = ((sx + w - 1 + e) & ~(e - 1)) - (sx & ~(e - 1));
        const int32_t high = ((sy + h - 1 + e) & ~(e - 1)) - (sy & ~(e - 1));
        sx /= e;
        sy /= e;
        sw = wide / e + 1;
        sh = high / e + 1;
        factor = e;
    }
    FillScreenRect(view->screen, r, kViewBackground);
    if (!view->viewBitmap) return;
    if (NearOneToOneFree(view) && view->maskBitmap)
        ComposeOntoScreen(view->screen, r, tx, ty, view->viewBitmap, view->maskBitmap, sx, sy, sw,
                          sh, factor, kComposeMaskedCopy);
    else
        ComposeOntoScreen(view->screen, r, tx, ty, view->viewBitmap, nullptr, sx, sy, sw, sh,
                          factor, kComposeCopy);
}

void RepaintView(ViewState* view) {
    PaintViewRect(view, Rect{0, 0, view->clientWidth, view->clientHeight});
}

void RefreshView(ViewState* view) {
    RebuildViewBitmap(view);
    RepaintView(view);
}

void ScrollView(ViewState* view, int32_t dx, int32_t dy) {
    ShiftScreen(view->screen, -dx, -dy);
    view->originX -= dx;
    view->originY -= dy;
    view->centreX += dx;
    view->centreY += dy;
    const int32_t cw = view->clientWidth, ch = view->clientHeight;
    if (dy < 0) PaintViewRect(view, Rect{0, 0, cw, -dy});
    if (dy > 0) PaintViewRect(view, Rect{0, ch - dy, cw, ch});
    if (dx < 0) PaintViewRect(view, Rect{0, 0, -dx, ch});
    if (dx > 0) PaintViewRect(view, Rect{cw - dx, 0, cw, ch});
}

void ResizeView(ViewState* view, int32_t width, int32_t height) {
    if (width == view->clientWidth && height == view->clientHeight) return;
    // A minimised window has no client area: keep the old screen bitmap.
    if (width <= 0 || height <= 0) return;
    DibSurface* screen = CreateDibSurface(32, nullptr, 0, width, height);
    if (!screen) return;
    FillScreenRect(screen, Rect{0, 0, width, height}, kViewBackground);
    const int32_t oldWidth = view->clientWidth, oldHeight = view->clientHeight;
    const int32_t originX = width / 2 - view->centreX, originY = height / 2 - view->centreY;
    const int64_t grownWidth = std::max(width - oldWidth, 0),
                  grownHeight = std::max(height - oldHeight, 0);
    const bool repaintAll =
        !view->screen || 4 * grownWidth * grownHeight > static_cast<int64_t>(oldWidth) * oldHeight;
    const int32_t shiftX = originX - view->originX, shiftY = originY - view->originY;
    if (!repaintAll) CopyScreen(screen, view->screen, shiftX, shiftY);
    ReleaseDibSurface(&view->screen);
    view->screen = screen;
    view->clientWidth = width;
    view->clientHeight = height;
    view->originX = originX;
    view->originY = originY;
    if (repaintAll) {
        RepaintView(view);
        return;
    }
    // Repaint only what the old content does not cover.
    if (shiftY > 0) PaintViewRect(view, Rect{0, 0, width, shiftY});
    if (shiftY + oldHeight < height)
        PaintViewRect(view, Rect{0, shiftY + oldHeight, width, height});
    if (shiftX > 0) PaintViewRect(view, Rect{0, 0, shiftX, height});
    if (shiftX + oldWidth < width) PaintViewRect(view, Rect{shiftX + oldWidth, 0, width, height});
}

void FitView(ViewState* view) {
    view->mirror = 0;
    view->rotation = 0.0f;
    const int32_t canvasWidth = view->canvas->image.width,
                  canvasHeight = view->canvas->image.height;
    const int32_t cw = std::max(1, view->clientWidth), ch = std::max(1, view->clientHeight);
    const int32_t c = std::max((canvasWidth + cw - 1) / cw, (canvasHeight + ch - 1) / ch);
    int32_t level = c <= 1 ? 4 : c <= 2 ? 3 : c <= 4 ? 2 : c <= 8 ? 1 : 0;
    view->scale = 16.0f / static_cast<float>(1 << level);
    view->pixelRenderer = SelectBlockReducer(static_cast<uint32_t>(level), *view->subPixel);
    view->centreX = static_cast<int32_t>(std::ceil(canvasWidth / view->scale) * 0.5f);
    view->centreY = static_cast<int32_t>(std::ceil(canvasHeight / view->scale) * 0.5f);
    PlaceCentre(view);
    RebuildViewBitmap(view);
    if (view->viewBitmap) {
        view->centreX = view->viewBitmap->header.biWidth / 2;
        view->centreY = view->viewBitmap->header.biHeight / 2;
        PlaceCentre(view);
    }
    RepaintView(view);
}

float NormaliseViewAngle(float angle) {
    float whole = std::trunc(angle);
    float fraction = angle - whole;
    int32_t degrees = static_cast<int32_t>(std::fmod(whole, 360.0f));
    if (degrees < 0)
        degrees += 360;
    else if (degrees == 0 && angle < 0.0f)
        degrees = 360; // -360 stays 360 and -360.5 becomes 359.5
    return static_cast<float>(degrees) + fraction;
}

void SetViewAngle(ViewState* view, float angle) {
    float x, y;
    CentreToCanvas(view, &x, &y);
    view->rotation = NormaliseViewAngle(angle);
    RebuildViewBitmap(view);
    CentreFromCanvas(view, x, y);
    RepaintView(view);
}

void ToggleViewMirror(ViewState* view) {
    int32_t x = view->centreX, y = view->centreY;
    view->transforms.bitmapToCanvas(view, &x, &y);
    view->mirror = view->mirror ? 0 : 1;
    RebuildViewBitmap(view);
    view->transforms.canvasToBitmap(view->canvas, view, &x, &y);
    view->centreX = x;
    view->centreY = y;
    PlaceCentre(view);
    RepaintView(view);
}

void SetViewScale(ViewState* view, float scale) {
    if (scale == view->scale || !(scale > 0.0f)) return;
    const float old = view->scale;
    view->centreX = static_cast<int32_t>(view->centreX * old / scale);
    view->centreY = static_cast<int32_t>(view->centreY * old / scale);
    PlaceCentre(view);
    view->scale = scale;
    SelectTransformSet(view, view->freeRotation);
    // Between scales of 1 or less the canvas-resolution bitmap stays valid;
    // only the magnification of the paint changes. Any other change (1.3 to
    // 1.0 too) needs the bitmap at the new scale.
    if (scale > 1.0f || old > 1.0f) RebuildViewBitmap(view);
    RepaintView(view);
}

void ReleaseViewBitmaps(ViewState* view) {
    ViewLockGuard guard(&view->lock);
    ReleaseDibSurface(&view->viewBitmap);
    ReleaseDibSurface(&view->maskBitmap);
}

void ReleaseView(ViewState* view) {
    ReleaseViewBitmaps(view);
    ReleaseDibSurface(&view->screen);
}

bool InitViewWithClientSize(ViewHost* host, Canvas* canvas, Settings* settings, int32_t clientWidth,
                            int32_t clientHeight) {
    ViewState* view = &host->view;
    view->window = host->window;
    view->scale = 8.0f;
    view->mirror = 0;
    view->rotation = 0.0f;
    view->freeRotation = 0;
    view->canvas = canvas;
    view->subPixel = &settings->subPixel;
    SelectTransformSet(view, 0);
    view->pixelRenderer = SelectBlockReducer(1, settings->subPixel);
    ReleaseViewBitmaps(view);
    ReleaseDibSurface(&view->screen);
    // A window that starts minimised still gets a one-pixel screen bitmap.
    view->clientWidth = std::max(1, clientWidth);
    view->clientHeight = std::max(1, clientHeight);
    view->screen = CreateDibSurface(32, nullptr, 0, view->clientWidth, view->clientHeight);
    if (!view->screen) {
        ShowErrorMessage(u"Can note create view.screen");
        return false;
    }
    FillScreenRect(view->screen, Rect{0, 0, view->clientWidth, view->clientHeight},
                   kViewBackground);
    FitView(view);
    return true;
}
