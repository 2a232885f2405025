// Composing the screen bitmap from the view bitmap, its mask and the grey background.
#include "view/screen_compose.h"

#include <algorithm>
#include <cstring>

namespace {

inline uint32_t* ScreenRow(DibSurface* screen, int32_t y) {
    return reinterpret_cast<uint32_t*>(screen->bits +
                                       static_cast<ptrdiff_t>(screen->header.biHeight - 1 - y) *
                                           DibSurfaceStride(screen));
}

inline const uint8_t* SourceRow(const DibSurface* source, int32_t y) {
    return source->bits +
           static_cast<ptrdiff_t>(source->header.biHeight - 1 - y) * DibSurfaceStride(source);
}

inline uint32_t Pack(RgbQuad c) {
    return static_cast<uint32_t>(c.rgbBlue) | static_cast<uint32_t>(c.rgbGreen) << 8 |
           static_cast<uint32_t>(c.rgbRed) << 16;
}

Rect Intersect(Rect a, Rect b) {
    return Rect{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                std::min(a.bottom, b.bottom)};
}

Rect Bounds(const DibSurface* surface) {
    return Rect{0, 0, surface->header.biWidth, surface->header.biHeight};
}

} // namespace

RgbQuad SourcePixelColour(const DibSurface* source, int32_t x, int32_t y) {
    const uint8_t* row = SourceRow(source, y);
    switch (source->header.biBitCount) {
    case 1:
        return source->palette[(row[x >> 3] >> (7 - (x & 7))) & 1];
    case 4:
        return source->palette[(row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15];
    case 8:
        return source->palette[row[x]];
    default: {
        RgbQuad colour;
        std::memcpy(&colour, row + 4 * x, 4);
        colour.rgbReserved = 0;
        return colour;
    }
    }
}

void FillScreenRect(DibSurface* screen, Rect rect, RgbQuad colour) {
    if (!screen) return;
    rect = Intersect(rect, Bounds(screen));
    const uint32_t value = Pack(colour);
    for (int32_t y = rect.top; y < rect.bottom; ++y) {
        uint32_t* row = ScreenRow(screen, y);
        std::fill(row + rect.left, row + std::max(rect.left, rect.right), value);
    }
}

void ComposeOntoScreen(DibSurface* screen, Rect clip, int32_t tx, int32_t ty,
                       const DibSurface* source, const DibSurface* mask, int32_t sx, int32_t sy,
                       int32_t sw, int32_t sh, int32_t factor, ComposeMode mode) {
    if (!screen || !source || factor < 1) return;
    if (mode == kComposeMaskedCopy && !mask) return;
    // Only source pixels that exist are drawn; the rest of the target keeps
    // what it had (the background), as a blit from a smaller bitmap does.
    Rect from = Intersect(Rect{sx, sy, sx + sw, sy + sh}, Bounds(source));
    if (mask) from = Intersect(from, Bounds(mask));
    clip = Intersect(clip, Bounds(screen));
    if (from.left >= from.right || from.top >= from.bottom) return;
    if (clip.left >= clip.right || clip.top >= clip.bottom) return;

    // Palette colours once, packed; a 32-bit source is read directly.
    uint32_t table[256];
    const int32_t bits = source->header.biBitCount;
    if (bits <= 8)
        for (int i = 0; i < 256; ++i) table[i] = Pack(source->palette[i]);

    for (int32_t y = from.top; y < from.bottom; ++y) {
        const int32_t top = ty + (y - sy) * factor;
        const int32_t rowFirst = std::max(top, clip.top),
                      rowLast = std::min(top + factor, clip.bottom);
        if (rowFirst >= rowLast) continue;
        const uint8_t* src = SourceRow(source, y);
        const uint8_t* maskRow = mask ? SourceRow(mask, y) : nullptr;
        // Column range of source pixels that reach the clip.
        int32_t xFirst = from.left, xLast = from.right;
        if (factor == 1) {
            xFirst = std::max(xFirst, clip.left - tx + sx);
            xLast = std::min(xLast, clip.right - tx + sx);
        }
        uint32_t* target = ScreenRow(screen, rowFirst);
        for (int32_t x = xFirst; x < xLast; ++x) {
            if (maskRow && ((maskRow[x >> 3] >> (7 - (x & 7))) & 1)) continue;
            uint32_t colour;
            switch (bits) {
            case 1:
                colour = table[(src[x >> 3] >> (7 - (x & 7))) & 1];
                break;
            case 4:
                colour = table[(src[x >> 1] >> ((x & 1) ? 0 : 4)) & 15];
                break;
            case 8:
                colour = table[src[x]];
                break;
            default:
                std::memcpy(&colour, src + 4 * x, 4);
                colour &= 0x00FFFFFF;
                break;
            }
            const int32_t left = tx + (x - sx) * factor;
            const int32_t first = std::max(left, clip.left),
                          last = std::min(left + factor, clip.right);
            for (int32_t px = first; px < last; ++px) target[px] = colour;
        }
        // Magnified rows repeat the first one.
        for (int32_t row = rowFirst + 1; row < rowLast; ++row) {
            uint32_t* copy = ScreenRow(screen, row);
            const int32_t first = std::max(clip.left, tx + (xFirst - sx) * factor);
            const int32_t last = std::min(clip.right, tx + (xLast - sx) * factor);
            if (first < last)
                std::memcpy(copy + first, target + first, static_cast<size_t>(last - first) * 4);
        }
    }
}

void ShiftScreen(DibSurface* screen, int32_t dx, int32_t dy) {
    if (!screen) return;
    const int32_t width = screen->header.biWidth, height = screen->header.biHeight;
    if (dy > 0) {
        for (int32_t y = height - 1; y >= dy; --y)
            std::memmove(ScreenRow(screen, y), ScreenRow(screen, y - dy),
                         static_cast<size_t>(width) * 4);
    } else if (dy < 0) {
        for (int32_t y = 0; y < height + dy; ++y)
            std::memmove(ScreenRow(screen, y), ScreenRow(screen, y - dy),
                         static_cast<size_t>(width) * 4);
    }
    if (dx == 0 || std::abs(dx) >= width) return;
    for (int32_t y = 0; y < height; ++y) {
        uint32_t* row = ScreenRow(screen, y);
        if (dx > 0)
            std::memmove(row + dx, row, static_cast<size_t>(width - dx) * 4);
        else
            std::memmove(row, row - dx, static_cast<size_t>(width + dx) * 4);
    }
}

void CopyScreen(DibSurface* dst, const DibSurface* src, int32_t dx, int32_t dy) {
    if (!dst || !src) return;
    ComposeOntoScreen(dst, Bounds(dst), dx, dy, src, nullptr, 0, 0, src->header.biWidth,
                      src->header.biHeight, 1, kComposeCopy);
}
