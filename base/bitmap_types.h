// Platform-neutral images: the same byte layout as the Windows bitmap header
// and colour-table entry, so pixel code builds and is tested without windows.h.
#pragma once

#include <cstddef>
#include <cstdint>

struct RgbQuad {
    uint8_t rgbBlue;
    uint8_t rgbGreen;
    uint8_t rgbRed;
    uint8_t rgbReserved;
};

struct BitmapInfoHeader {
    uint32_t biSize;
    int32_t biWidth;
    int32_t biHeight;
    uint16_t biPlanes;
    uint16_t biBitCount;
    uint32_t biCompression;
    uint32_t biSizeImage;
    int32_t biXPelsPerMeter;
    int32_t biYPelsPerMeter;
    uint32_t biClrUsed;
    uint32_t biClrImportant;
};
static_assert(sizeof(RgbQuad) == 4, "colour-table entry is 4 bytes");
static_assert(sizeof(BitmapInfoHeader) == 40, "bitmap header is 40 bytes");

// Native handles as the portable code carries them, one type per kind, so
// that a module cannot be passed where an event or a thread is meant.
using GdiHandle = void*; // windows, device contexts, bitmaps, menus, accelerators
struct ModuleObject;
using ModuleHandle = ModuleObject*; // a loaded library
struct EventObject;
using EventHandle = EventObject*; // a wake-up event
struct ThreadObject;
using ThreadHandle = ThreadObject*; // a thread to join

struct Rect {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

struct Point {
    int32_t x;
    int32_t y;
};

// Bytes per row of a bottom-up DIB: rows are padded to whole 32-bit words.
inline int32_t DibStride(int32_t width, int32_t bitCount) {
    return static_cast<int32_t>(((static_cast<int64_t>(width) * bitCount + 31) / 32) * 4);
}

// COLORREF (0x00BBGGRR) to a colour-table entry.
inline RgbQuad RgbQuadFromColorRef(uint32_t colour) {
    return RgbQuad{static_cast<uint8_t>(colour >> 16), static_cast<uint8_t>(colour >> 8),
                   static_cast<uint8_t>(colour), 0};
}
