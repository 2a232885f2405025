// Each ramp-using reducer keeps one colour table for the whole process and
// rebuilds it only when the region's colours change. Two threads may run the
// same reducer at once: a table is built privately and published under a
// small lock, so a caller always gets a complete table.
#pragma once

#include <mutex>

#include "base/bitmap_types.h"
#include "view/block_reducer_bits.h"

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

// What a ramp reducer with blocks of `block` × `block` pixels starts from:
// the region's rows, its output size and the ramp's current colour table.
struct RampJob {
    RegionRows rows;
    int32_t outWidth;
    int32_t outHeight;
    RgbQuad table[256];
};

// False when the region is unreadable or smaller than one block.
inline bool StartRampJob(const CanvasRegion* region, ReducerRamp* ramp, int32_t block,
                         RampJob* job) {
    if (!ReadRegionRows(region, &job->rows)) return false;
    job->outWidth = job->rows.width / block;
    job->outHeight = job->rows.height / block;
    if (job->outWidth <= 0 || job->outHeight <= 0) return false;
    CurrentRampTable(ramp, region->palette, job->table);
    return true;
}
