// The portable DibSurface: the same record, with the pixels in a heap block
// the record owns and no GDI objects (dc and bitmap stay null).
#include "canvas/dib_surface.h"
#include "canvas/dib_surface_format.h"
#include "canvas/heap_block.h"

DibSurface* CreateDibSurface(int32_t bitCount, const RgbQuad* palette, int32_t paletteCount,
                             int32_t width, int32_t height) {
    size_t pixelBytes = DibSurfacePixelBytes(bitCount, width, height);
    if (pixelBytes == 0) return nullptr;
    auto* surface = static_cast<DibSurface*>(AllocateZeroedHeapBlock(sizeof(DibSurface)));
    if (!surface) return nullptr;
    FillDibSurfaceFormat(surface, bitCount, palette, paletteCount, width, height);
    // Zeroed like a fresh DIB section, so results never depend on old heap contents.
    surface->bits = static_cast<uint8_t*>(AllocateZeroedHeapBlock(pixelBytes));
    if (!surface->bits) {
        FreeHeapBlock(surface);
        return nullptr;
    }
    return surface;
}

int32_t ReleaseDibSurface(DibSurface** slot) {
    if (!slot || !*slot) return 1;
    FreeHeapBlock((*slot)->bits);
    FreeHeapBlock(*slot);
    *slot = nullptr;
    return 0;
}

void FlushDibSurfaceDrawing() {}
