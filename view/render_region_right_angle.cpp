// RenderRegionRightAngle: the dirty update of right-angle mode. The stroke's
// rectangle is widened to whole 32-pixel blocks (plus the columns the
// sub-pixel reducers look at beside a block), extracted, reduced, and only
// the stroke's own part is copied into the view bitmap.
#include <algorithm>

#include "view/block_reducers.h"
#include "view/render_region_internal.h"
#include "view/surface_blit.h"

namespace {

// Rounding on two's-complement values, so E.left may become -32.
Rect ExpandToBlocks(Rect rect) {
    Rect e;
    e.left = (rect.left - 5) & ~31;
    e.top = rect.top & ~31;
    e.right = ((rect.right + 4) & ~31) + 32;
    e.bottom = (rect.bottom + 31) & ~31;
    return e;
}

int32_t RoundUp32(int32_t value) {
    return static_cast<int32_t>((static_cast<int64_t>(value) + 31) & ~int64_t{31});
}

// Whether the view's reducer is a sub-pixel one (the levels that have one).
bool SubPixelReducing(const ViewState* view) {
    if (!view->subPixel || !*view->subPixel) return false;
    int32_t level = ZoomLevelIndex(view->scale);
    if (level < 0) return false;
    PixelRenderer sub = SelectBlockReducer(static_cast<uint32_t>(level), 1);
    return view->pixelRenderer == sub && sub != SelectBlockReducer(static_cast<uint32_t>(level), 0);
}

// The sub-pixel reducers colour a block from windows up to 5 pixels beside
// it (display columns: canvas columns or rows, by the turn), and treat the
// first and last words of a region by rules of their own. So the stroke is
// widened by 5 pixels, which takes in the display pixels whose windows reach
// into it, and the region gets one more word on every side, kept within the
// rebuild's 32-aligned canvas: every copied block then sees the neighbours it
// sees in a full rebuild.
void WidenForSubPixel(const CanvasImage* image, Rect* rect, Rect* e) {
    rect->left = std::max(rect->left - 5, 0);
    rect->top = std::max(rect->top - 5, 0);
    rect->right = std::min(rect->right + 5, image->width);
    rect->bottom = std::min(rect->bottom + 5, image->height);
    *e = ExpandToBlocks(*rect);
    e->left = std::max(e->left - 32, 0);
    e->top = std::max(e->top - 32, 0);
    e->right = std::min(e->right + 32, RoundUp32(image->width));
    e->bottom = std::min(e->bottom + 32, RoundUp32(image->height));
}

} // namespace

int32_t RenderRegionRightAngle(ViewState* view, const Canvas* canvas, Rect rect,
                               int32_t /*threadsAllowed*/) {
    if (!view || !canvas || !canvas->image.bits || MissesCanvas(rect, canvas)) return 0;
    if (!view->pixelRenderer || !view->transforms.canvasRectToBitmap) return 0;
    // Parts beyond the canvas have no view pixels; trimming them first keeps
    // the block arithmetic far from overflow and copies the same pixels.
    rect.left = std::max(rect.left, 0);
    rect.top = std::max(rect.top, 0);
    rect.right = std::min(rect.right, canvas->image.width);
    rect.bottom = std::min(rect.bottom, canvas->image.height);

    Rect e = ExpandToBlocks(rect);
    if (SubPixelReducing(view)) WidenForSubPixel(&canvas->image, &rect, &e);
    CanvasRegion* region =
        ExtractCanvasRegion(&canvas->image, e, view->mirror, SaturateToInt32(view->rotation));
    if (!region) return 0;
    DibSurface* converted = view->pixelRenderer(region);
    ReleaseCanvasRegion(region);
    if (!converted) return 0;

    // Below scale 1 the view bitmap holds the canvas at one pixel per canvas
    // pixel, so both rectangles are mapped at scale 1 (on a copy: the view
    // itself is shared). Mapping at the real scale and multiplying back down
    // would lose the last column and row, which the transform rounds for
    // zooming out: (R + s - 1) / s * s is R - 1 at s = 0.5.
    ViewState atScale;
    CopyViewFields(&atScale, view);
    if (atScale.scale < 1.0f) atScale.scale = 1.0f;
    Rect o = rect;
    atScale.transforms.canvasRectToBitmap(canvas, &atScale, &e);
    atScale.transforms.canvasRectToBitmap(canvas, &atScale, &o);
    int32_t sx = o.left - e.left, sy = o.top - e.top;
    if (o.left < 0) sx -= o.left, o.left = 0;
    if (o.top < 0) sy -= o.top, o.top = 0;
    {
        ViewLockGuard hold(&view->lock);
        if (DibSurface* target = view->viewBitmap) {
            o.right = std::min(o.right, target->header.biWidth);
            o.bottom = std::min(o.bottom, target->header.biHeight);
            BlitSurface(target, o.left, o.top, converted, sx, sy, o.right - o.left,
                        o.bottom - o.top);
        }
    }
    ReleaseDibSurface(&converted);
    return 0;
}
