// The tables and arithmetic behind the commands: zoom levels, time limits, speeds, pen sizes.
#include "base/commands.h"

const float kZoomScales[kZoomLevels] = {16.0f, 8.0f, 4.0f, 2.0f, 1.0f, 0.5f, 0.25f, 0.125f};
const int32_t kTimeLimitSeconds[kTimeLimits] = {0, 30, 60, 180, 300, 600, 900, 1800};
const double kPlaybackFactors[kPlaybackSpeeds] = {2147483648.0, 0.25, 0.5, 1.0, 2.0, 4.0};
const int32_t kPenSizes[kPenSizeSteps] = {
    1,  2,  3,  4,   5,   6,   7,   8,   9,   10,  12,  14,  16,  20,  25,  30,  35,  40,  50,
    60, 70, 80, 100, 120, 160, 200, 250, 300, 350, 400, 450, 500, 600, 700, 800, 900, 1000};

uint16_t TimeLimitCommand(int32_t index) {
    if (index < 0 || index >= kTimeLimits) index = 0;
    return static_cast<uint16_t>(kSetTimeLimit + index);
}

int64_t TimeLimitSecondsFor(int32_t index) {
    return index >= 0 && index < kTimeLimits ? kTimeLimitSeconds[index] : 0;
}

uint16_t ZoomInCommand(float scale) {
    for (int level = 1; level < kZoomLevels; ++level)
        if (scale > kZoomScales[level]) return static_cast<uint16_t>(kZoomTo + level);
    return 0;
}

uint16_t ZoomOutCommand(float scale) {
    for (int level = kZoomLevels - 2; level >= 0; --level)
        if (scale < kZoomScales[level]) return static_cast<uint16_t>(kZoomTo + level);
    return 0;
}

namespace {
int32_t WrapAngle(int32_t angle) {
    angle %= 360;
    return angle < 0 ? angle + 360 : angle;
}
} // namespace

int32_t RotateRightAngle(float angle) {
    int32_t a = static_cast<int32_t>(angle);
    return WrapAngle((a / 90 + 1) * 90);
}

int32_t RotateLeftAngle(float angle) {
    int32_t a = static_cast<int32_t>(angle);
    return WrapAngle(((a + 89) / 90) * 90 - 90);
}

int32_t PenSmallerSize(int32_t size) {
    for (int i = 1; i < kPenSizeSteps; ++i)
        if (size <= kPenSizes[i]) return kPenSizes[i - 1];
    return kPenSizes[kPenSizeSteps - 1];
}

int32_t PenLargerSize(int32_t size) {
    for (int i = 0; i < kPenSizeSteps; ++i)
        if (size < kPenSizes[i]) return kPenSizes[i];
    return kPenSizes[kPenSizeSteps - 1];
}

int32_t UsableWindowOpacity(int32_t stored) {
    return stored >= 1 && stored <= 255 ? stored : 128;
}

double PlaybackFactor(int32_t index) {
    return index >= 0 && index < kPlaybackSpeeds ? kPlaybackFactors[index] : 1.0;
}
