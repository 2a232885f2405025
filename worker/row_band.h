// RowBand: the record that crosses from pindora into tessarub. On 32-bit
// Windows it is 68 bytes with the offsets below; the routines read only the
// pixel pointer and the header of the source and output images.
#pragma once

#include <cstddef>
#include <cstdint>

#include "canvas/bitmap_types.h"

struct RowBand {
    float rowOrigin;      // canvas row of (columnBegin, rowOrigin) at (xOrigin, yOrigin)
    int32_t outWidth;     // W
    int32_t outHeight;    // H
    uint8_t* counts;      // W x H sample counts, top row first
    int32_t columnBegin;  // first canvas column (accumulate pass)
    int32_t columnEnd;    // exclusive
    int32_t rowBegin;     // canvas row (accumulate) or output row (normalise)
    int32_t rowEnd;       // exclusive
    int32_t xPerRow;      // 16.16 output steps per canvas row and column
    int32_t yPerRow;
    int32_t xPerColumn;
    int32_t yPerColumn;
    int32_t xOrigin;      // 16.16 output position of (columnBegin, rowOrigin)
    int32_t yOrigin;
    const void* source;   // CanvasImage
    void* scratch;        // the caller's; never read here
    void* output;         // DibSurface, 8 bits per pixel
};

// The common head of CanvasImage and DibSurface as the routines see it: two
// handles, the pixel pointer, then the bitmap header.
struct BandImage {
    void* handle0;
    void* handle1;
    uint8_t* bits;
    BitmapInfoHeader header;
};

#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(RowBand) == 68, "RowBand is 68 bytes on 32-bit Windows");
static_assert(__builtin_offsetof(RowBand, counts) == 12, "counts at 12");
static_assert(__builtin_offsetof(RowBand, xPerRow) == 32, "xPerRow at 32");
static_assert(__builtin_offsetof(RowBand, source) == 56, "source at 56");
static_assert(__builtin_offsetof(RowBand, output) == 64, "output at 64");
static_assert(__builtin_offsetof(BandImage, bits) == 8, "pixel pointer at 8");
static_assert(__builtin_offsetof(BandImage, header) == 12, "header at 12");
#endif

// The two passes, as plain functions (the DLL's thread routines call them).
void AccumulateBand(const RowBand* band);
void NormaliseBand(const RowBand* band);
