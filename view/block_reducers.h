// The colour ramp between the canvas's two colours in linear light, and the
// block reducers that turn an extracted region into display pixels at the
// power-of-two zoom levels of right-angle mode.
#pragma once

#include "view/view_state.h"

int32_t BuildColourRamp(RgbQuad* table, int32_t n, RgbQuad colourA, RgbQuad colourB, float gamma);

// The reducer of a zoom level index (0 = scale 16 … 7 = scale 0.125), plain
// or sub-pixel; none above 7.
PixelRenderer SelectBlockReducer(uint32_t levelIndex, int32_t subPixel);

// The level index of a power-of-two scale (16 → 0 … 0.125 → 7), or -1.
int32_t ZoomLevelIndex(float scale);

// The scale of a level index, or 0 outside 0 … 7.
float ZoomLevelScale(int32_t levelIndex);
