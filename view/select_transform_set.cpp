// Switching display modes: the transform set together with the dirty-update
// renderer. The free set's renderer follows the scale at the moment of the
// switch; later zooming reselects the set to move the threshold.
#include "view/render_region.h"
#include "view/view_transforms.h"

void SelectTransformSet(ViewState* view, int32_t free) {
    if (!view) return;
    InstallTransforms(view, free);
    if (!free)
        view->renderRegion = RenderRegionRightAngle;
    else if (view->scale > 1.5f)
        view->renderRegion = RenderRegionZoomedOut;
    else
        view->renderRegion = RenderRegionZoomedIn;
}
