// The byte size and header of a DibSurface, shared by both of its implementations.
#include "canvas/dib_surface_format.h"

#include <cstring>

#include "canvas/heap_block.h"

size_t DibSurfacePixelBytes(int32_t bitCount, int32_t width, int32_t height) {
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 32) return 0;
    if (width <= 0 || height <= 0) return 0;
    // 64-bit arithmetic: width × 32 bits alone can pass the 32-bit range.
    uint64_t stride =
        ((static_cast<uint64_t>(width) * static_cast<uint64_t>(bitCount) + 31) / 32) * 4;
    uint64_t bytes = stride * static_cast<uint64_t>(height);
    if (bytes > kLargestPixelBlock) return 0;
    return static_cast<size_t>(bytes);
}

void FillDibSurfaceFormat(DibSurface* surface, int32_t bitCount, const RgbQuad* palette,
                          int32_t paletteCount, int32_t width, int32_t height) {
    BitmapInfoHeader& header = surface->header;
    header.biSize = sizeof(BitmapInfoHeader);
    header.biWidth = width;
    header.biHeight = height; // positive: rows stored bottom-up
    header.biPlanes = 1;
    header.biBitCount = static_cast<uint16_t>(bitCount);
    header.biCompression = 0;
    if (!palette || paletteCount <= 0) return;
    if (paletteCount > 256) paletteCount = 256;
    std::memcpy(surface->palette, palette, static_cast<size_t>(paletteCount) * sizeof(RgbQuad));
}
