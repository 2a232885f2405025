// The pure arithmetic of playback: elapsed budgets, batches and the next tick.
#include "record/playback_schedule.h"

#include <cmath>

#include "base/bitmap_types.h"
#include "base/step_log.h"
#include "canvas/canvas_limits.h"

double AddElapsed(double budget, uint32_t lastTick, uint32_t now) {
    return budget + static_cast<double>(static_cast<uint32_t>(now - lastTick));
}

double StepDelay(uint32_t previousTime, uint32_t time, double factor) {
    const float gap = static_cast<float>(static_cast<uint32_t>(time - previousTime));
    const double delay = static_cast<double>(gap) * factor;
    if (!(delay < kLongestDelay)) return kLongestDelay; // also a NaN factor
    return delay > 0.0 ? delay : 0.0;
}

bool ContinuesBatch(int32_t index, double budget) {
    return index % kStepsPerBatch != 0 && budget >= 0.0;
}

uint32_t BatchEndPeriod(double budget) {
    if (!(budget < 0.0)) return kCatchUpPeriod;
    const double owed = std::trunc(-budget);
    if (owed >= static_cast<double>(kLongestPeriod)) return kLongestPeriod;
    return static_cast<uint32_t>(owed);
}

uint32_t FirstTickPeriod(uint32_t firstStepTime) {
    return firstStepTime < kLongestPeriod ? firstStepTime : kLongestPeriod;
}

bool HoldsPlayableSteps(int32_t stepCount) {
    return stepCount > 0 && stepCount <= kMaxSteps;
}

bool IsPlayableCanvasSize(int32_t width, int32_t height) {
    return IsCanvasSizeWithinLimits(width, height);
}

int32_t ReplayPressure(float pressure, uint32_t maxPressure) {
    if (!(pressure > 0.0f)) return 0;
    if (pressure > 1.0f) pressure = 1.0f;
    const float units = static_cast<float>(maxPressure) * pressure + 0.5f;
    // Full pressure on a 2^32 - 1 scale rounds up to 2^32 in single precision.
    const uint32_t rounded = units >= 4294967296.0f ? 0xFFFFFFFFu : static_cast<uint32_t>(units);
    // The stroke engine keeps pressures in a signed field and reads them as unsigned.
    return static_cast<int32_t>(rounded);
}
