// The two transform tables and their installation into the view.
#include "view/view_transforms.h"

namespace {

const ViewTransforms kTransformSets[2] = {
    {RightCanvasToClient, RightCanvasRectToClient, RightCanvasToBitmap, RightCanvasRectToBitmap,
     RightBitmapToCanvas, RightBitmapRectToCanvas},
    {FreeCanvasToClient, FreeCanvasRectToClient, FreeCanvasToBitmap, FreeCanvasRectToBitmap,
     FreeBitmapToCanvas, FreeBitmapRectToCanvas},
};

} // namespace

void InstallTransforms(ViewState* view, int32_t free) {
    if (!view) return;
    view->transforms = kTransformSets[free ? 1 : 0];
    view->freeRotation = free ? 1 : 0;
}
