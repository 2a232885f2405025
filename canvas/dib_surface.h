// DibSurface: an off-screen bitmap with direct pixel access. On Windows it is
// a DIB section selected into its own memory DC; the portable build keeps the
// pixels on the heap with the same record layout (dc and bitmap null).
#pragma once

#include "base/bitmap_types.h"

struct DibSurface {
    GdiHandle bitmap;
    GdiHandle dc;
    uint8_t* bits;
    BitmapInfoHeader header;
    RgbQuad palette[256];
};

// Returns none for a bit count other than 1, 4, 8 or 32, a non-positive size,
// or when memory (heap or pixel memory) cannot be had; nothing is leaked then.
DibSurface* CreateDibSurface(int32_t bitCount, const RgbQuad* palette, int32_t paletteCount,
                             int32_t width, int32_t height);

// Releases the surface in *slot and clears the slot: 0, or 1 when it was empty.
int32_t ReleaseDibSurface(DibSurface** slot);

inline int32_t DibSurfaceStride(const DibSurface* surface) {
    return DibStride(surface->header.biWidth, surface->header.biBitCount);
}

// Makes pending GDI drawing visible in the pixel memory (a no-op off Windows).
void FlushDibSurfaceDrawing();
