// Any bytes as a PNG file: the reader returns a surface or none, never
// touches memory outside its buffers, and takes only a recording that fits
// the step log with pen changes that fit it; the reader of the recording
// alone agrees on both.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "base/report.h"
#include "canvas/png_file.h"
#include "canvas/png_steps.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

void Quiet(const char16_t*) {}

// Pen changes a playback can follow: in step order, within the recording.
void CheckPens(const PenLog* pens, int32_t stepCount) {
    Check(pens->count >= 0 && pens->count <= stepCount);
    for (int32_t i = 0; i < pens->count; ++i) {
        const PenChange& change = pens->changes[i];
        Check(change.step >= (i == 0 ? 0 : pens->changes[i - 1].step + 1));
        Check(change.step < stepCount && (change.flags & ~kPenErasing) == 0);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The log is 3.2 MB: one block for the whole run, its header reset each time.
    static StepLog* log = [] {
        SetErrorSink(Quiet);
        return static_cast<StepLog*>(std::calloc(1, sizeof(StepLog)));
    }();
    static PenLog* pens = static_cast<PenLog*>(std::calloc(1, sizeof(PenLog)));
    static PenLog* decodedPens = static_cast<PenLog*>(std::calloc(1, sizeof(PenLog)));
    log->stepCount = 0;
    pens->count = 0;
    const PngStepsResult steps = ReadPngStepsMemory(data, size, log, pens);
    Check(log->stepCount >= 0 && log->stepCount <= kMaxSteps);
    Check(steps == PngStepsResult::kRecording || (log->stepCount == 0 && pens->count == 0));
    CheckPens(pens, log->stepCount);
    const int32_t walkedSteps = log->stepCount;
    log->stepCount = 0;
    decodedPens->count = 0;

    DibSurface* surface = ReadPngMemory(data, size, log, decodedPens);
    Check(log->stepCount >= 0 && log->stepCount <= kMaxSteps);
    CheckPens(decodedPens, log->stepCount);
    // Both readers take the same pen changes from a file both read whole.
    if (surface && log->stepCount == walkedSteps && steps == PngStepsResult::kRecording)
        Check(decodedPens->count == pens->count &&
              std::memcmp(decodedPens->changes, pens->changes,
                          sizeof(PenChange) * static_cast<size_t>(pens->count)) == 0);
    if (surface) {
        const BitmapInfoHeader& header = surface->header;
        Check(header.biBitCount == 1 || header.biBitCount == 4 || header.biBitCount == 8);
        Check(header.biWidth > 0 && header.biHeight > 0);
        // Touch the first and the last pixel byte: the sanitizer checks the block.
        size_t bytes =
            static_cast<size_t>(DibSurfaceStride(surface)) * static_cast<size_t>(header.biHeight);
        volatile uint8_t sum = static_cast<uint8_t>(surface->bits[0] + surface->bits[bytes - 1]);
        (void)sum;
        ReleaseDibSurface(&surface);
    }
    return 0;
}
