// The reducer table of the zoom levels of right-angle mode.
#include "view/block_reducer_list.h"
#include "view/block_reducers.h"

namespace {

struct LevelReducers {
    float scale;
    PixelRenderer plain;
    PixelRenderer subPixel;
};

// Sub-pixel sampling helps only where blocks are wide enough to shift within.
const LevelReducers kLevels[8] = {
    {16.0f, ReduceBlocks16, ReduceSubPixel16}, {8.0f, ReduceBlocks8, ReduceSubPixel8},
    {4.0f, ReduceBlocks4, ReduceSubPixel4},    {2.0f, ReduceBlocks2, ReduceBlocks2},
    {1.0f, CopyRegionBits, CopyRegionBits},    {0.5f, CopyRegionBits, CopyRegionBits},
    {0.25f, CopyRegionBits, CopyRegionBits},   {0.125f, CopyRegionBits, CopyRegionBits},
};

} // namespace

PixelRenderer SelectBlockReducer(uint32_t levelIndex, int32_t subPixel) {
    if (levelIndex >= 8) return nullptr;
    return subPixel ? kLevels[levelIndex].subPixel : kLevels[levelIndex].plain;
}

int32_t ZoomLevelIndex(float scale) {
    for (int32_t i = 0; i < 8; ++i)
        if (kLevels[i].scale == scale) return i;
    return -1;
}

float ZoomLevelScale(int32_t levelIndex) {
    return levelIndex >= 0 && levelIndex < 8 ? kLevels[levelIndex].scale : 0.0f;
}
