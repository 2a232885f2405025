// Whether a recording can be played: its sizes and counts against the canvas limits.
#include "record/recording_check.h"

#include <cstdio>

#include "base/report.h"
#include "record/playback_schedule.h"

std::u16string RecordingRefusal(const StepLog* log) {
    if (!log || !HoldsPlayableSteps(log->stepCount))
        return u"The recording holds no steps that can be played back.";
    if (!IsPlayableCanvasSize(log->canvasWidth, log->canvasHeight)) {
        char text[160];
        std::snprintf(text, sizeof text,
                      "The recording was made on a canvas of %ld x %ld pixels, which cannot be "
                      "made again.",
                      static_cast<long>(log->canvasWidth), static_cast<long>(log->canvasHeight));
        return AsciiToUtf16(text);
    }
    return std::u16string();
}
