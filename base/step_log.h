// The step log: a 16-byte header and up to 200000 steps of 16 bytes, held in
// exactly the little-endian layout of the "stEp" chunk that stores it.
#pragma once

#include <cstdint>

constexpr int32_t kMaxSteps = 200000;

struct Step {
    uint32_t time; // ms since recordStart
    int32_t x;
    int32_t y;
    float pressure; // 0 = pen up
};
static_assert(sizeof(Step) == 16, "a step is 16 bytes");

struct StepLog {
    int32_t canvasWidth;
    int32_t canvasHeight;
    uint32_t recordStart;
    int32_t stepCount;
    Step steps[kMaxSteps];
};
static_assert(sizeof(StepLog) == 16 + 16 * kMaxSteps, "header and steps, no padding");
