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
    if (!PlanAccumulate(source, view, rect, &plan)) return nullptr;
    RgbQuad palette[256];
    MakeRendererPalette(&ramp16, source, noSampleWhite, palette);
    DibSurface* output = CreateDibSurface(8, palette, 256, plan.width, plan.height);
    if (!output) return nullptr;
    std::memset(output->bits, 0, static_cast<size_t>(DibSurfaceStride(output)) * plan.height);
    if (!AccumulateWide(source, plan, output, true, threadsAllowed)) ReleaseDibSurface(&output);
    return output;
}
