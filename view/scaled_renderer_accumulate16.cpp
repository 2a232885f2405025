// RenderAccumulate16: the averaging renderer for strongly zoomed-out views,
// with 16-bit counts and sums on the program's own worker threads.
#include <cstring>

#include "view/scaled_renderer_internal.h"

namespace {
RendererRamp ramp16;
}

DibSurface* RenderAccumulate16(const CanvasImage* source, const ViewState* view, Rect rect,
                               int32_t noSampleWhite, int32_t threadsAllowed) {
    AccumulatePlan plan;
    DibSurface* output = StartAccumulateOutput(source, view, rect, &ramp16, noSampleWhite, &plan);
    if (!output) return nullptr;
    if (!AccumulateWide(source, plan, output, true, threadsAllowed)) ReleaseDibSurface(&output);
    return output;
}
