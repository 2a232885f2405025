// Any bytes as a PNG file: the reader returns a surface or none, never
// touches memory outside its buffers, and takes only a recording that fits
// the step log; the reader of the recording alone agrees on the recording.
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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The log is 3.2 MB: one block for the whole run, its header reset each time.
    static StepLog* log = [] {
        SetErrorSink(Quiet);
        return static_cast<StepLog*>(std::calloc(1, sizeof(StepLog)));
    }();
    log->stepCount = 0;
    const PngStepsResult steps = ReadPngStepsMemory(data, size, log);
    Check(log->stepCount >= 0 && log->stepCount <= kMaxSteps);
    Check(steps == PngStepsResult::kRecording || log->stepCount == 0);
    log->stepCount = 0;

    DibSurface* surface = ReadPngMemory(data, size, log);
    Check(log->stepCount >= 0 && log->stepCount <= kMaxSteps);
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
