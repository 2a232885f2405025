// How a reference picture looks in its window: alpha flattened onto paper,
// the picture scaled by area in linear light, the optional two-tone ramp
// between the two reference colours, and where it sits in the window.
#pragma once

#include <cstdint>

#include "reference/decoded_picture.h"

// Where the picture is drawn in a client area; x and y are negative when a
// picture shown 1:1 is larger than the window (its centre shows).
struct PictureRect {
    int32_t x = 0, y = 0, width = 0, height = 0;
};

// fit = 1: the largest size that fits the client area keeping the aspect
// ratio (at least one pixel a side), centred. fit = 0: the picture 1:1, centred.
PictureRect PlacePicture(uint32_t width, uint32_t height, int32_t clientWidth, int32_t clientHeight,
                         bool fit);

// Composites every pixel over white paper and makes it opaque.
void FlattenOntoPaper(DecodedPicture& picture);

// The picture resampled to width × height by box (area) averaging in linear
// light; enlarging repeats pixels with blended edges. An empty picture or
// size gives an empty result. Alpha is ignored (flatten first).
DecodedPicture ScalePicture(const DecodedPicture& source, uint32_t width, uint32_t height);

// The two-tone look: each pixel's relative luminance (linear light, sRGB
// primaries) picks the colour at that point of a ramp from `dark` to
// `light`, interpolated in linear light. The colours are COLORREF words
// (0x00BBGGRR), as the settings file keeps them. With black and white as
// the ends a grey picture stays as it was.
void ApplyTwoTone(DecodedPicture& picture, uint32_t dark, uint32_t light);
