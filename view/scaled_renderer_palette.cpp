// Palettes of the accumulating renderers: a ramp per renderer, shared by
// every call and rebuilt only when the canvas colours change, copied into a
// table of the call's own before the no-sample colour goes into entry 255.
#include <cstring>
#include <mutex>

#include "view/block_reducers.h"
#include "view/scaled_renderer_internal.h"

namespace {

// One lock for both renderers' ramps: it is held for a 1 KB copy, or for the
// rare rebuild, so the two never wait for each other long.
std::mutex rampLock;

uint32_t Pack(const RgbQuad& colour) {
    return static_cast<uint32_t>(colour.rgbBlue) << 16 |
           static_cast<uint32_t>(colour.rgbGreen) << 8 | colour.rgbRed;
}

} // namespace

void MakeRendererPalette(RendererRamp* ramp, const CanvasImage* source, int32_t noSampleWhite,
                         RgbQuad palette[256]) {
    const RgbQuad colour0 = source->palette[0], colour1 = source->palette[1];
    {
        std::lock_guard<std::mutex> hold(rampLock);
        if (Pack(colour0) != ramp->colour0 || Pack(colour1) != ramp->colour1) {
            BuildColourRamp(ramp->entries, 255, colour0, colour1, 2.2f);
            ramp->colour0 = Pack(colour0);
            ramp->colour1 = Pack(colour1);
        }
        std::memcpy(palette, ramp->entries, sizeof ramp->entries);
    }
    const uint8_t level = noSampleWhite ? 255 : 192; // white, or silver
    palette[255] = RgbQuad{level, level, level, 0};
}

DibSurface* StartAccumulateOutput(const CanvasImage* source, const ViewState* view, Rect rect,
                                  RendererRamp* ramp, int32_t noSampleWhite, AccumulatePlan* plan) {
    if (!PlanAccumulate(source, view, rect, plan)) return nullptr;
    RgbQuad palette[256];
    MakeRendererPalette(ramp, source, noSampleWhite, palette);
    DibSurface* output = CreateDibSurface(8, palette, 256, plan->width, plan->height);
    if (!output) return nullptr;
    std::memset(output->bits, 0, static_cast<size_t>(DibSurfaceStride(output)) * plan->height);
    return output;
}
