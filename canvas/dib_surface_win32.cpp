// The GDI DibSurface: a DIB section selected into its own memory DC.
#include <windows.h>

#include <cstddef>

#include "canvas/dib_surface.h"
#include "canvas/dib_surface_format.h"
#include "canvas/heap_block.h"

// header followed by palette is handed to GDI as one BITMAPINFO.
static_assert(sizeof(BitmapInfoHeader) == sizeof(BITMAPINFOHEADER), "header layout");
static_assert(offsetof(DibSurface, palette) - offsetof(DibSurface, header) ==
                  sizeof(BITMAPINFOHEADER),
              "colour table directly behind the header");

DibSurface* CreateDibSurface(int32_t bitCount, const RgbQuad* palette, int32_t paletteCount,
                             int32_t width, int32_t height) {
    if (DibSurfacePixelBytes(bitCount, width, height) == 0) return nullptr;
    auto* surface = static_cast<DibSurface*>(AllocateZeroedHeapBlock(sizeof(DibSurface)));
    if (!surface) return nullptr;
    FillDibSurfaceFormat(surface, bitCount, palette, paletteCount, width, height);

    void* bits = nullptr;
    HBITMAP bitmap =
        CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(&surface->header),
                         DIB_RGB_COLORS, &bits, nullptr, 0);
    // Without pixel memory or a DC the surface is of no use to anyone: give back
    // what was made and report none.
    HDC dc = bitmap && bits ? CreateCompatibleDC(nullptr) : nullptr;
    if (!dc) {
        if (bitmap) DeleteObject(bitmap);
        FreeHeapBlock(surface);
        return nullptr;
    }
    SelectObject(dc, bitmap);
    surface->bitmap = bitmap;
    surface->dc = dc;
    surface->bits = static_cast<uint8_t*>(bits);
    return surface;
}

int32_t ReleaseDibSurface(DibSurface** slot) {
    if (!slot || !*slot) return 1;
    DibSurface* surface = *slot;
    // The bitmap stays selected until its DC is gone, so the DC goes first.
    if (surface->dc) DeleteDC(static_cast<HDC>(surface->dc));
    if (surface->bitmap) DeleteObject(static_cast<HBITMAP>(surface->bitmap));
    FreeHeapBlock(surface);
    *slot = nullptr;
    return 0;
}

void FlushDibSurfaceDrawing() {
    GdiFlush();
}
