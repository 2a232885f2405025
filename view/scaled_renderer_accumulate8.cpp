// RenderAccumulate8: the averaging renderer for zoomed-out views, with 8-bit
// counts and sums. Large renders run on the tessarub row workers (on Windows)
// or on the same passes on the program's threads.
//
// 8-bit counts wrap once one display pixel gathers 256 canvas pixels, which
// the floored 16.16 steps allow from a scale of 15 on (the stroke updates use
// this renderer up to 15.9). Where the steps allow it, the render takes the
// wide-counter pass instead; its rows start exactly where the 8-bit pass
// starts them and it rounds the same way, so the indices are those the 8-bit
// pass would give if its cells did not wrap.
#include <cstdlib>
#include <cstring>

#include "view/band_threads.h"
#include "view/scaled_renderer_internal.h"
#include "worker/row_band.h"

namespace {

RendererRamp ramp8;

void RunAccumulate(void* record) {
    AccumulateBand(static_cast<const RowBand*>(record));
}
void RunNormalise(void* record) {
    NormaliseBand(static_cast<const RowBand*>(record));
}

// Both passes over n bands: canvas rows for the first, output rows for the
// second. False when the band records cannot be had.
bool RunOnThreads(const RowBand& whole, const AccumulatePlan& plan, int32_t n) {
    RowBand* bands = static_cast<RowBand*>(std::calloc(n, sizeof(RowBand)));
    BandJob* jobs = static_cast<BandJob*>(std::calloc(n, sizeof(BandJob)));
    if (!bands || !jobs) {
        std::free(bands);
        std::free(jobs);
        return false;
    }
    for (int32_t k = 0; k < n; ++k) {
        bands[k] = whole;
        bands[k].rowBegin = BandRowBegin(plan.visit, k, n);
        bands[k].rowEnd = BandRowBegin(plan.visit, k + 1, n);
        jobs[k] = BandJob{RunAccumulate, &bands[k], kTessarubAccumulate};
    }
    RunBandJobs(jobs, n);
    for (int32_t k = 0; k < n; ++k) {
        bands[k].rowBegin = static_cast<int32_t>(static_cast<int64_t>(k) * plan.height / n);
        bands[k].rowEnd = static_cast<int32_t>(static_cast<int64_t>(k + 1) * plan.height / n);
        jobs[k] = BandJob{RunNormalise, &bands[k], kTessarubNormalise};
    }
    RunBandJobs(jobs, n);
    std::free(bands);
    std::free(jobs);
    return true;
}

} // namespace

DibSurface* RenderAccumulate8(const CanvasImage* source, const ViewState* view, Rect rect,
                              int32_t noSampleWhite, int32_t threadsAllowed) {
    AccumulatePlan plan;
    DibSurface* output = StartAccumulateOutput(source, view, rect, &ramp8, noSampleWhite, &plan);
    if (!output) return nullptr;

    if (CellMayGather256(plan)) {
        if (!AccumulateWide(source, plan, output, false, threadsAllowed))
            ReleaseDibSurface(&output);
        return output;
    }

    const size_t cells = static_cast<size_t>(plan.width) * static_cast<size_t>(plan.height);
    uint8_t* counts = static_cast<uint8_t*>(std::calloc(cells, 1));
    if (!counts) {
        ReleaseDibSurface(&output);
        return nullptr;
    }
    RowBand whole{};
    FillBandFromPlan(&whole, plan, source);
    whole.counts = counts;
    whole.output = output;

    const int32_t n = BandProcessorCount();
    if (!AccumulateOnThreads(plan, threadsAllowed, n) || !RunOnThreads(whole, plan, n)) {
        AccumulateBand(&whole);
        whole.rowBegin = 0;
        whole.rowEnd = plan.height;
        NormaliseBand(&whole);
    }
    std::free(counts);
    return output;
}
