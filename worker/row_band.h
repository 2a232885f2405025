// RowBand: the record that crosses from pindora into tessarub. On 32-bit
// Windows it is 68 bytes with the offsets below; the routines read only the
// pixel pointer and the header of the source and output images.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/bitmap_types.h"

struct RowBand {
    float rowOrigin;     // canvas row of (columnBegin, rowOrigin) at (xOrigin, yOrigin)
    int32_t outWidth;    // W
    int32_t outHeight;   // H
    uint8_t* counts;     // W x H sample counts, top row first
    int32_t columnBegin; // first canvas column (accumulate pass)
    int32_t columnEnd;   // exclusive
    int32_t rowBegin;    // canvas row (accumulate) or output row (normalise)
    int32_t rowEnd;      // exclusive
    int32_t xPerRow;     // 16.16 output steps per canvas row and column
    int32_t yPerRow;
    int32_t xPerColumn;
    int32_t yPerColumn;
    int32_t xOrigin; // 16.16 output position of (columnBegin, rowOrigin)
    int32_t yOrigin;
    const void* source; // CanvasImage
    void* scratch;      // the caller's; never read here
    void* output;       // DibSurface, 8 bits per pixel
};

// The common head of CanvasImage and DibSurface as the routines see it: two
// handles, the pixel pointer, then the bitmap header.
struct BandImage {
    void* handle0;
    void* handle1;
    uint8_t* bits;
    BitmapInfoHeader header;
};

// The 32-bit layout is the binary contract with the program, so it is pinned
// field by field wherever the i686 build compiles this header.
#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(RowBand) == 68, "RowBand is 68 bytes on 32-bit Windows");
static_assert(offsetof(RowBand, rowOrigin) == 0, "rowOrigin at 0");
static_assert(offsetof(RowBand, outWidth) == 4, "outWidth at 4");
static_assert(offsetof(RowBand, outHeight) == 8, "outHeight at 8");
static_assert(offsetof(RowBand, counts) == 12, "counts at 12");
static_assert(offsetof(RowBand, columnBegin) == 16, "columnBegin at 16");
static_assert(offsetof(RowBand, columnEnd) == 20, "columnEnd at 20");
static_assert(offsetof(RowBand, rowBegin) == 24, "rowBegin at 24");
static_assert(offsetof(RowBand, rowEnd) == 28, "rowEnd at 28");
static_assert(offsetof(RowBand, xPerRow) == 32, "xPerRow at 32");
static_assert(offsetof(RowBand, yPerRow) == 36, "yPerRow at 36");
static_assert(offsetof(RowBand, xPerColumn) == 40, "xPerColumn at 40");
static_assert(offsetof(RowBand, yPerColumn) == 44, "yPerColumn at 44");
static_assert(offsetof(RowBand, xOrigin) == 48, "xOrigin at 48");
static_assert(offsetof(RowBand, yOrigin) == 52, "yOrigin at 52");
static_assert(offsetof(RowBand, source) == 56, "source at 56");
static_assert(offsetof(RowBand, scratch) == 60, "scratch at 60");
static_assert(offsetof(RowBand, output) == 64, "output at 64");
static_assert(offsetof(BandImage, bits) == 8, "pixel pointer at 8");
static_assert(offsetof(BandImage, header) == 12, "header at 12");
static_assert(offsetof(BandImage, header.biWidth) == 16, "width at 16");
static_assert(offsetof(BandImage, header.biHeight) == 20, "height at 20");
#endif

// The two passes as plain functions; the DLL's thread routines call them and
// the renderer calls them directly when it works on one thread.
//
// AccumulateBand adds every canvas pixel of rows [rowBegin, rowEnd) into the
// count and sum cells of the output pixel it falls into. Several calls may run
// at once on disjoint row bands of one render.
void AccumulateBand(const RowBand* band);

// NormaliseBand turns the (sum, count) cells of output rows [rowBegin, rowEnd)
// into palette indices: 0..254 for the mean, 255 where nothing arrived.
void NormaliseBand(const RowBand* band);
