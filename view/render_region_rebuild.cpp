// RebuildViewBitmap: the view bitmaps from the whole canvas, with the
// renderer the mode and scale call for. The new bitmaps are made first and
// swapped in under the lock, so the refresh thread's blits never meet a
// released or half-replaced bitmap.
#include <cstring>

#include "base/report.h"
#include "view/render_region_internal.h"
#include "view/scaled_renderers.h"
#include "view/surface_blit.h"

namespace {

int32_t RoundUp32(int32_t value) {
    return static_cast<int32_t>((static_cast<int64_t>(value) + 31) & ~int64_t{31});
}

// At 0 degrees unmirrored, a canvas of whole 32-pixel blocks has the very
// layout of its whole-canvas region (rows of whole words, bottom-up), so the
// reducer can read the canvas in place instead of a copy of it.
bool CanvasIsItsOwnRegion(const CanvasImage* image, int32_t mirror, int32_t angle,
                          CanvasRegion* region) {
    if (mirror != 0 || angle % 360 != 0 || image->width % 32 != 0 || image->height % 32 != 0)
        return false;
    std::memset(region, 0, sizeof *region);
    region->bits = image->bits;
    region->header.biSize = sizeof(BitmapInfoHeader);
    region->header.biWidth = image->width;
    region->header.biHeight = image->height;
    region->header.biPlanes = 1;
    region->header.biBitCount = 1;
    region->palette[0] = image->palette[0];
    region->palette[1] = image->palette[1];
    return true;
}

// Right-angle mode: extract the canvas turned and mirrored, reduce it to
// display pixels and cut the canvas's own part out of the 32-aligned result.
// The scale is raised to 1 on a copy of the view: the refresh thread reads
// the real one meanwhile.
DibSurface* RebuildRightAngle(const ViewState* view, const Canvas* canvas) {
    if (!view->pixelRenderer || !view->transforms.canvasRectToBitmap) return nullptr;
    ViewState atScale;
    CopyViewFields(&atScale, view);
    if (atScale.scale < 1.0f) atScale.scale = 1.0f;
    const CanvasImage* image = &canvas->image;
    Rect r{0, 0, image->width, image->height};
    Rect r32{0, 0, RoundUp32(image->width), RoundUp32(image->height)};
    const int32_t angle = SaturateToInt32(view->rotation);
    CanvasRegion inPlace;
    DibSurface* converted = nullptr;
    if (CanvasIsItsOwnRegion(image, view->mirror, angle, &inPlace)) {
        converted = view->pixelRenderer(&inPlace);
    } else {
        CanvasRegion* region = ExtractCanvasRegion(image, r32, view->mirror, angle);
        if (!region) return nullptr;
        converted = view->pixelRenderer(region);
        ReleaseCanvasRegion(region);
    }
    if (!converted) return nullptr;
    atScale.transforms.canvasRectToBitmap(canvas, &atScale, &r32);
    atScale.transforms.canvasRectToBitmap(canvas, &atScale, &r);
    const int32_t width = r.right - r.left, height = r.bottom - r.top;
    const int32_t sx = r.left - r32.left, sy = r.top - r32.top;
    const int32_t fullWidth = converted->header.biWidth, fullHeight = converted->header.biHeight;
    // A canvas of whole 32-pixel blocks needs no cutting: adopt the result.
    if (sx == 0 && sy == 0 && width == fullWidth && height == fullHeight) return converted;
    DibSurface* fresh =
        CreateDibSurface(converted->header.biBitCount, converted->palette, 256, width, height);
    if (!fresh) {
        ShowErrorMessage(u"viewcanvas.bmp is NULL.");
        ReleaseDibSurface(&converted);
        return nullptr;
    }
    // Pixels the copy cannot fill (a mapping beyond the result) start black.
    bool covered = sx >= 0 && sy >= 0 && sx + width <= fullWidth && sy + height <= fullHeight;
    if (!covered)
        std::memset(fresh->bits, 0, static_cast<size_t>(DibSurfaceStride(fresh)) * height);
    BlitSurface(fresh, 0, 0, converted, sx, sy, width, height);
    ReleaseDibSurface(&converted);
    return fresh;
}

// Free-rotation mode: the averaging renderers when zoomed out (their output
// is adopted as it is), else the nearest-pixel renderer with its mask at
// scale 1 or more.
void RebuildFree(const ViewState* view, const Canvas* canvas, DibSurface** viewBitmap,
                 DibSurface** maskBitmap) {
    // The renderers place their output at the float box of the rectangle's
    // corners, and a mirrored view maps column x to W − 1 − x: the whole
    // canvas would come out one column to the left of where the transforms
    // show it, with its own first column cut off. One column to the left in
    // the canvas is one to the right in the mirror, where the box belongs.
    const int32_t shift = view->mirror ? 1 : 0;
    const Rect r{-shift, 0, canvas->image.width - shift, canvas->image.height};
    switch (RebuildFreeRenderer(view->scale)) {
    case FreeRenderer::kAccumulate16:
        *viewBitmap = RenderAccumulate16(&canvas->image, view, r, 0, 1);
        return;
    case FreeRenderer::kAccumulate8:
        *viewBitmap = RenderAccumulate8(&canvas->image, view, r, 0, 1);
        return;
    case FreeRenderer::kNearest:
        break;
    }
    ViewState atScale;
    CopyViewFields(&atScale, view);
    if (atScale.scale < 1.0f) atScale.scale = 1.0f;
    RenderNearest(&canvas->image, &atScale, r, viewBitmap, maskBitmap, 1);
    if (!*viewBitmap || !*maskBitmap) {
        ReleaseDibSurface(viewBitmap);
        ReleaseDibSurface(maskBitmap);
    }
}

} // namespace

void ReplaceViewBitmaps(ViewState* view, DibSurface* viewBitmap, DibSurface* maskBitmap) {
    DibSurface* oldView = nullptr;
    DibSurface* oldMask = nullptr;
    {
        ViewLockGuard hold(&view->lock);
        oldView = view->viewBitmap;
        oldMask = view->maskBitmap;
        view->viewBitmap = viewBitmap;
        view->maskBitmap = maskBitmap;
    }
    ReleaseDibSurface(&oldView);
    ReleaseDibSurface(&oldMask);
}

void RebuildViewBitmap(ViewState* view) {
    if (!view) return;
    DibSurface* viewBitmap = nullptr;
    DibSurface* maskBitmap = nullptr;
    const Canvas* canvas = view->canvas;
    if (canvas && canvas->image.bits && canvas->image.width > 0 && canvas->image.height > 0) {
        if (view->freeRotation)
            RebuildFree(view, canvas, &viewBitmap, &maskBitmap);
        else
            viewBitmap = RebuildRightAngle(view, canvas);
    }
    // A failed rebuild leaves the view without bitmaps, as a release before
    // the render would have.
    ReplaceViewBitmaps(view, viewBitmap, maskBitmap);
}
