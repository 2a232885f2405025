// What the three free-rotation renderers share: the view bound to the image
// being rendered, the accumulating renderers' placement and 16.16 stepping,
// their palettes, and the wide-counter accumulation.
#pragma once

#include <cstddef>
#include <cstring>

#include "view/scaled_renderers.h"

// Largest accumulating output side: 16.16 output positions address at most
// 32767 whole pixels.
constexpr int32_t kMaxRenderSide = 32767;
// Largest nearest-pixel output side; its 16.16 positions are canvas
// positions, kept in 64 bits, and its surfaces have their own size limit.
constexpr int32_t kMaxNearestSide = 1 << 24;
// Largest accumulating output, in pixels (its counters take up to 4 bytes each).
constexpr int64_t kMaxAccumulatePixels = int64_t{1} << 28;

// A copy of the view's fields before its lock, for working on a changed
// copy (scale raised to 1, another canvas). The lock's bytes are left out:
// another thread may be taking it meanwhile.
inline void CopyViewFields(ViewState* copy, const ViewState* view) {
    static_assert(offsetof(ViewState, lock) + sizeof(ViewLock) == sizeof(ViewState),
                  "the lock is the view's last field");
    std::memset(copy, 0, sizeof *copy);
    std::memcpy(copy, view, offsetof(ViewState, lock));
}

// A copy of the view whose canvas carries the rendered image's size, so that
// every transform measures the image actually read. Built in place (the view
// points at the canvas next to it).
struct SourceFrame {
    Canvas canvas;
    ViewState view;
};
void BindSourceFrame(SourceFrame* frame, const CanvasImage* source, const ViewState* view);

// An image the renderers can read: 1 bit per pixel, bottom-up, with pixels.
bool UsableSource(const CanvasImage* source);

// Placement and stepping of an accumulating render.
struct AccumulatePlan {
    int32_t x0, y0;           // bitmap position of the output's top-left pixel
    int32_t width, height;    // W, H
    Rect visit;               // the canvas columns and rows walked
    int32_t xOrigin, yOrigin; // 16.16 output position of (visit.left, visit.top)
    int32_t xPerColumn, yPerColumn, xPerRow, yPerRow;
};

// False when nothing can be rendered: an unusable image or view, an empty
// output, or one too large for 16.16 positions.
bool PlanAccumulate(const CanvasImage* source, const ViewState* view, Rect rect,
                    AccumulatePlan* plan);

// Whether some output cell can gather 256 or more canvas pixels with these
// steps, so that 8-bit counts would wrap.
bool CellMayGather256(const AccumulatePlan& plan);

// The fields every accumulating band record takes from the plan: where the
// rows start, the output, the canvas box to walk and the 16.16 steps.
template <typename Band>
void FillBandFromPlan(Band* band, const AccumulatePlan& plan, const CanvasImage* source) {
    band->rowOrigin = static_cast<float>(plan.visit.top);
    band->outWidth = plan.width;
    band->outHeight = plan.height;
    band->columnBegin = plan.visit.left;
    band->columnEnd = plan.visit.right;
    band->rowBegin = plan.visit.top;
    band->rowEnd = plan.visit.bottom;
    band->xPerRow = plan.xPerRow;
    band->yPerRow = plan.yPerRow;
    band->xPerColumn = plan.xPerColumn;
    band->yPerColumn = plan.yPerColumn;
    band->xOrigin = plan.xOrigin;
    band->yOrigin = plan.yOrigin;
    band->source = source;
}

// One renderer's ramp and the colours it was built from.
struct RendererRamp {
    RgbQuad entries[256];
    uint32_t colour0;
    uint32_t colour1;
};

// The palette for one output: the ramp (rebuilt when the source's colours
// changed) and this call's own no-sample colour in entry 255. The shared ramp
// is read and rebuilt under a lock, so a concurrent call never sees it half
// made and neither call's no-sample colour reaches the other's output.
void MakeRendererPalette(RendererRamp* ramp, const CanvasImage* source, int32_t noSampleWhite,
                         RgbQuad palette[256]);

// The plan and the 8-bit output of an accumulating render, its bytes zeroed
// (they are the sums the passes add to); none when nothing can be rendered.
DibSurface* StartAccumulateOutput(const CanvasImage* source, const ViewState* view, Rect rect,
                                  RendererRamp* ramp, int32_t noSampleWhite, AccumulatePlan* plan);

// Accumulates into `output` (W x H, 8 bits) with 16-bit counts and sums and
// normalises on the calling thread. singlePrecisionRows picks how each row's
// start is computed: in single precision (the 16-bit renderer) or exactly, as
// the 8-bit passes do. False when its counters cannot be allocated.
bool AccumulateWide(const CanvasImage* source, const AccumulatePlan& plan, DibSurface* output,
                    bool singlePrecisionRows, int32_t threadsAllowed);

// Whether the wide pass may count bits with the processor's bit-count
// instruction where it has one (on by default); tests hold both forms to one
// result.
void AllowWideBitScan(bool allow);

// Canvas rows of band k of n, for the accumulate passes.
inline int32_t BandRowBegin(const Rect& visit, int32_t k, int32_t n) {
    int64_t rows = static_cast<int64_t>(visit.bottom) - visit.top;
    return static_cast<int32_t>(visit.top + rows * k / n);
}

// Whether an accumulating render of that size goes on worker threads.
bool AccumulateOnThreads(const AccumulatePlan& plan, int32_t threadsAllowed, int32_t processors);
