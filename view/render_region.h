// Full rebuilds of the view bitmaps and dirty-rectangle updates into them.
#pragma once

#include "view/view_state.h"

// Replaces viewBitmap and maskBitmap from the whole canvas (under the view
// lock for the release-and-replace, so no update blit overlaps it).
void RebuildViewBitmap(ViewState* view);

int32_t RenderRegionRightAngle(ViewState* view, const Canvas* canvas, Rect rect,
                               int32_t threadsAllowed);
int32_t RenderRegionZoomedOut(ViewState* view, const Canvas* canvas, Rect rect,
                              int32_t threadsAllowed);
int32_t RenderRegionZoomedIn(ViewState* view, const Canvas* canvas, Rect rect,
                             int32_t threadsAllowed);

// The canvas rectangle a dirty update of `rect` actually rewrites in the
// view bitmap (the free-rotation updates widen it by a pixel): what the
// repaint after the update has to cover.
Rect UpdatedCanvasRect(const ViewState* view, Rect rect);

// The client rectangle to repaint once the update of `rect` has landed.
Rect UpdatedClientRect(const ViewState* view, Rect rect);
