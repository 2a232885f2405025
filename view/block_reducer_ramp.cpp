// The reducers' palettes: the colour ramp between the canvas's two colours.
#include "view/block_reducer_ramp.h"

#include <cstring>

#include "view/block_reducers.h"

namespace {

uint32_t PackColour(RgbQuad c) {
    return static_cast<uint32_t>(c.rgbBlue) << 16 | static_cast<uint32_t>(c.rgbGreen) << 8 |
           c.rgbRed;
}

} // namespace

void CurrentRampTable(ReducerRamp* ramp, const RgbQuad colours[2], RgbQuad out[256]) {
    uint32_t key0 = PackColour(colours[0]), key1 = PackColour(colours[1]);
    {
        std::lock_guard<std::mutex> hold(ramp->guard);
        if (ramp->colour0 == key0 && ramp->colour1 == key1) {
            std::memcpy(out, ramp->table, 256 * sizeof(RgbQuad));
            return;
        }
    }
    // The pow calls run outside the lock; a second thread building the same
    // colours at the same time produces the same table.
    std::memset(out, 0, 256 * sizeof(RgbQuad));
    BuildColourRamp(out, ramp->entries, colours[0], colours[1], 2.2f);
    if (ramp->fill == RampFill::RepeatLast)
        for (int32_t i = ramp->entries; i < 256; ++i) out[i] = out[ramp->entries - 1];
    std::lock_guard<std::mutex> hold(ramp->guard);
    std::memcpy(ramp->table, out, 256 * sizeof(RgbQuad));
    ramp->colour0 = key0;
    ramp->colour1 = key1;
}
