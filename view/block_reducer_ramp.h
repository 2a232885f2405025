// Each ramp-using reducer keeps one colour table for the whole process and
// rebuilds it only when the region's colours change. Two threads may run the
// same reducer at once: a table is built privately and published under a
// small lock, so a caller always gets a complete table.
#pragma once

#include <mutex>

#include "base/bitmap_types.h"

enum class RampFill {
    RepeatLast, // entries past the ramp repeat its last colour (colour 1)
    Zero,       // entries past the ramp stay black
};

struct ReducerRamp {
    ReducerRamp(int32_t rampEntries, RampFill rampFill)
        : entries(rampEntries), fill(rampFill), guard(), colour0(0), colour1(0), table{} {}

    int32_t entries; // ramp length: B × B + 1, or 256 for 16 × 16 blocks
    RampFill fill;
    std::mutex guard;
    // Zero-initialised cache and table agree: a black-to-black ramp is all zeros.
    uint32_t colour0; // blue << 16 | green << 8 | red
    uint32_t colour1;
    RgbQuad table[256];
};

// Copies the full 256-entry table for the two region colours into out.
void CurrentRampTable(ReducerRamp* ramp, const RgbQuad colours[2], RgbQuad out[256]);
