// Shared pieces of the view rebuild and the dirty updates: which renderer a
// scale calls for, the rejection test and the number conversions.
#pragma once

#include <cmath>

#include "base/numeric.h"
#include "view/render_region.h"
#include "view/scaled_renderer_internal.h"

enum class FreeRenderer : int32_t { kNearest, kAccumulate8, kAccumulate16 };

// Full rebuild in free-rotation mode.
inline FreeRenderer RebuildFreeRenderer(float scale) {
    if (scale > 15.0f) return FreeRenderer::kAccumulate16;
    if (scale > 1.5f) return FreeRenderer::kAccumulate8;
    return FreeRenderer::kNearest;
}

// Dirty update while zoomed out (RenderRegionZoomedOut is installed above 1.5).
inline FreeRenderer ZoomedOutUpdateRenderer(float scale) {
    return scale > 15.9f ? FreeRenderer::kAccumulate16 : FreeRenderer::kAccumulate8;
}

// An update that is empty or misses the canvas does nothing.
inline bool MissesCanvas(Rect rect, const Canvas* canvas) {
    return rect.left >= rect.right || rect.top >= rect.bottom || rect.left >= canvas->image.width ||
           rect.right <= 0 || rect.top >= canvas->image.height || rect.bottom <= 0;
}

// Swaps new view bitmaps in under the view lock, so no update's blit can
// meet a released surface, and releases the old ones after the lock.
void ReplaceViewBitmaps(ViewState* view, DibSurface* viewBitmap, DibSurface* maskBitmap);
