// The free-rotation renderers: accumulating averages (8-bit counts on the
// tessarub workers, 16-bit counts on the program's own threads) and the
// nearest-pixel renderer with its outside mask.
#pragma once

#include "view/view_state.h"

DibSurface* RenderAccumulate8(const CanvasImage* source, const ViewState* view, Rect rect,
                              int32_t noSampleWhite, int32_t threadsAllowed);
DibSurface* RenderAccumulate16(const CanvasImage* source, const ViewState* view, Rect rect,
                               int32_t noSampleWhite, int32_t threadsAllowed);
void RenderNearest(const CanvasImage* source, const ViewState* view, Rect rect,
                   DibSurface** outView, DibSurface** outMask, int32_t threadsAllowed);
