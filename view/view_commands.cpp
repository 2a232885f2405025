// The view side of the zoom, turn, mirror and fit commands and of the end of
// the rotate and zoom drags.
#include "view/view_commands.h"

#include "view/block_reducers.h"
#include "view/view_gestures.h"
#include "view/view_paint.h"
#include "view/view_transforms.h"

bool UseRightAngleSetIfExact(ViewState* view) {
    const int32_t level = ZoomLevelIndex(view->scale);
    if (level < 0) {
        SelectTransformSet(view, 1);
        return false;
    }
    view->pixelRenderer =
        SelectBlockReducer(static_cast<uint32_t>(level), view->subPixel ? *view->subPixel : 0);
    SelectTransformSet(view, 0);
    return true;
}

void ZoomViewToLevel(ViewState* view, int32_t level) {
    const float scale = ZoomLevelScale(level);
    if (!(scale > 0.0f) || scale == view->scale) return;
    view->pixelRenderer =
        SelectBlockReducer(static_cast<uint32_t>(level), view->subPixel ? *view->subPixel : 0);
    SetViewScale(view, scale);
}

void TurnViewToRightAngle(ViewState* view, int32_t angle) {
    UseRightAngleSetIfExact(view);
    SetViewAngle(view, static_cast<float>(angle));
}

void StepViewAngle(ViewState* view, float degrees) {
    SelectTransformSet(view, 1);
    SetViewAngle(view, view->rotation + degrees);
}

void FitViewToWindow(ViewState* view) {
    SelectTransformSet(view, 0);
    FitView(view);
}

void EndRotateDrag(ViewState* view, float degrees) {
    if (!view->freeRotation) SelectTransformSet(view, 1);
    SetViewAngle(view, degrees + view->rotation);
}

void EndZoomDrag(ViewState* view, float distance, float startDistance) {
    if (!view->freeRotation) SelectTransformSet(view, 1);
    SetViewScale(view, DragZoomScale(view->scale, distance, startDistance));
}
