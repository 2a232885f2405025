// The two transform sets of the view: right-angle (exact pixel grids, 90°
// steps) and free rotation (any angle). Installing a set is how the program
// moves between the two display modes.
#pragma once

#include "view/view_state.h"

// Installs the six transforms of a set and sets freeRotation; no renderer.
void InstallTransforms(ViewState* view, int32_t free);

// Installs a set together with its dirty-update renderer: RenderRegionRightAngle
// for free = 0; for free = 1 RenderRegionZoomedOut above scale 1.5, else
// RenderRegionZoomedIn.
void SelectTransformSet(ViewState* view, int32_t free);

// The twelve transforms, reachable directly for tests and the set tables.
void RightCanvasToClient(const Canvas* canvas, const ViewState* view, int32_t* x, int32_t* y);
void RightCanvasToBitmap(const Canvas* canvas, const ViewState* view, int32_t* x, int32_t* y);
void RightCanvasRectToClient(const Canvas* canvas, const ViewState* view, Rect* rect);
void RightCanvasRectToBitmap(const Canvas* canvas, const ViewState* view, Rect* rect);
void RightBitmapToCanvas(const ViewState* view, int32_t* x, int32_t* y);
void RightBitmapRectToCanvas(const ViewState* view, Rect* rect);
void FreeCanvasToClient(const Canvas* canvas, const ViewState* view, int32_t* x, int32_t* y);
void FreeCanvasToBitmap(const Canvas* canvas, const ViewState* view, int32_t* x, int32_t* y);
void FreeCanvasRectToClient(const Canvas* canvas, const ViewState* view, Rect* rect);
void FreeCanvasRectToBitmap(const Canvas* canvas, const ViewState* view, Rect* rect);
void FreeBitmapToCanvas(const ViewState* view, int32_t* x, int32_t* y);
void FreeBitmapRectToCanvas(const ViewState* view, Rect* rect);
