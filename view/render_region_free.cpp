// The dirty updates of free-rotation mode: the stroke's rectangle alone is
// rendered, off the lock, and copied into the view bitmap at the place its
// float bounding box gives.
#include "base/report.h"
#include "view/render_region_internal.h"
#include "view/scaled_renderers.h"
#include "view/surface_blit.h"

// The float box of a rectangle maps its corners, and in a mirrored view the
// corner of the first column lands on the box's far edge, so the display
// pixel holding that column falls just outside. One canvas pixel more on
// every side keeps every changed pixel's cell inside the rendered box; the
// repaint after the update must cover the same widened rectangle.
Rect UpdatedCanvasRect(const ViewState* view, Rect rect) {
    if (!view->freeRotation) return rect;
    return Rect{rect.left > INT32_MIN ? rect.left - 1 : rect.left,
                rect.top > INT32_MIN ? rect.top - 1 : rect.top,
                rect.right < INT32_MAX ? rect.right + 1 : rect.right,
                rect.bottom < INT32_MAX ? rect.bottom + 1 : rect.bottom};
}

Rect UpdatedClientRect(const ViewState* view, Rect rect) {
    Rect client = UpdatedCanvasRect(view, rect);
    view->transforms.canvasRectToClient(view->canvas, view, &client);
    return client;
}

int32_t RenderRegionZoomedOut(ViewState* view, const Canvas* canvas, Rect rect,
                              int32_t threadsAllowed) {
    if (!view || !canvas || MissesCanvas(rect, canvas)) return 0;
    rect = UpdatedCanvasRect(view, rect);
    DibSurface* rendered = ZoomedOutUpdateRenderer(view->scale) == FreeRenderer::kAccumulate16
                               ? RenderAccumulate16(&canvas->image, view, rect, 0, threadsAllowed)
                               : RenderAccumulate8(&canvas->image, view, rect, 0, threadsAllowed);
    if (!rendered) return 0;
    const FloatRect d = FreeCanvasRectToBitmapFloat(canvas, view, rect);
    const int32_t x = SaturateToInt32(d.left), y = SaturateToInt32(d.top);
    {
        ViewLockGuard hold(&view->lock);
        BlitSurface(view->viewBitmap, x, y, rendered, 0, 0, rendered->header.biWidth,
                    rendered->header.biHeight);
    }
    ReleaseDibSurface(&rendered);
    return 0;
}

int32_t RenderRegionZoomedIn(ViewState* view, const Canvas* canvas, Rect rect,
                             int32_t threadsAllowed) {
    if (!view || !canvas || MissesCanvas(rect, canvas)) return 0;
    rect = UpdatedCanvasRect(view, rect);
    DibSurface* rendered = nullptr;
    DibSurface* mask = nullptr;
    RenderNearest(&canvas->image, view, rect, &rendered, &mask, threadsAllowed);
    if (!rendered || !mask) {
        ReleaseDibSurface(&rendered);
        ReleaseDibSurface(&mask);
        ShowErrorMessage(u"failed");
        return 0;
    }
    // The renderer placed its output the same way: the float box, scaled
    // down below scale 1, truncated toward zero.
    const FloatRect d = FreeCanvasRectToBitmapFloat(canvas, view, rect);
    float left = d.left, top = d.top;
    if (view->scale < 1.0f) left *= view->scale, top *= view->scale;
    const int32_t x = SaturateToInt32(left), y = SaturateToInt32(top);
    const int32_t width = rendered->header.biWidth, height = rendered->header.biHeight;
    {
        ViewLockGuard hold(&view->lock);
        BlitSurface(view->viewBitmap, x, y, rendered, 0, 0, width, height);
        BlitSurface(view->maskBitmap, x, y, mask, 0, 0, width, height);
    }
    ReleaseDibSurface(&rendered);
    ReleaseDibSurface(&mask);
    return 0;
}
