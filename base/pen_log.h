// The pen log: every change of pen size, hardness and eraser during a
// recording, each with the step index from which it holds. Kept beside the
// step log and stored in the picture's "peNs" chunk, so that a replay draws
// every step with the pen it was drawn with.
#pragma once

#include <cstdint>

#include "base/step_log.h"

// Bits of PenChange::flags; every other bit is 0.
constexpr uint32_t kPenErasing = 1; // paper instead of ink

struct PenChange {
    int32_t step; // the first step drawn with this pen
    int32_t penSize;
    int32_t penHardness;
    uint32_t flags;
};
static_assert(sizeof(PenChange) == 16, "a pen change is 16 bytes");

// At most one change per step, in increasing step order.
struct PenLog {
    int32_t count;
    PenChange changes[kMaxSteps];
};
