// The two transform tables and their installation into the view.
#include "view/view_transforms.h"

namespace {

struct TransformSet {
    CanvasPointTransform canvasToClient;
    CanvasRectTransform canvasRectToClient;
    CanvasPointTransform canvasToBitmap;
    CanvasRectTransform canvasRectToBitmap;
    BitmapPointTransform bitmapToCanvas;
    BitmapRectTransform bitmapRectToCanvas;
};

const TransformSet kTransformSets[2] = {
    {RightCanvasToClient, RightCanvasRectToClient, RightCanvasToBitmap, RightCanvasRectToBitmap,
     RightBitmapToCanvas, RightBitmapRectToCanvas},
    {FreeCanvasToClient, FreeCanvasRectToClient, FreeCanvasToBitmap, FreeCanvasRectToBitmap,
     FreeBitmapToCanvas, FreeBitmapRectToCanvas},
};

} // namespace

void InstallTransforms(ViewState* view, int32_t free) {
    if (!view) return;
    const TransformSet& set = kTransformSets[free ? 1 : 0];
    view->canvasToClient = set.canvasToClient;
    view->canvasRectToClient = set.canvasRectToClient;
    view->canvasToBitmap = set.canvasToBitmap;
    view->canvasRectToBitmap = set.canvasRectToBitmap;
    view->bitmapToCanvas = set.bitmapToCanvas;
    view->bitmapRectToCanvas = set.bitmapRectToCanvas;
    view->freeRotation = free ? 1 : 0;
}
