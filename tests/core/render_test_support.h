// Canvases and views for the renderer and view-update tests: a heap canvas
// with random drawing, a view bound to it, and pixel access to surfaces.
#pragma once

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "canvas/canvas.h"
#include "canvas/dib_surface.h"
#include "view/block_reducers.h"
#include "view/view_state.h"
#include "view/view_transforms.h"

// A canvas whose pixels live in a vector; starts as paper (all 1).
struct TestCanvas {
    Canvas canvas{};
    std::vector<uint8_t> pixels;

    TestCanvas(int32_t width, int32_t height) {
        CanvasImage& image = canvas.image;
        image.width = width;
        image.height = height;
        image.header = BitmapInfoHeader{40, width, height, 1, 1, 0, 0, 0, 0, 0, 0};
        image.palette[0] = RgbQuad{20, 30, 40, 0};    // ink
        image.palette[1] = RgbQuad{250, 240, 230, 0}; // paper
        pixels.assign(static_cast<size_t>(CanvasStride(&image)) * height, 0xFF);
        image.bits = pixels.data();
    }
    TestCanvas(const TestCanvas&) = delete;
    TestCanvas& operator=(const TestCanvas&) = delete;

    CanvasImage* image() { return &canvas.image; }
    int32_t width() const { return canvas.image.width; }
    int32_t height() const { return canvas.image.height; }

    int Get(int32_t x, int32_t y) const {
        const uint8_t* row = CanvasRow(&canvas.image, y);
        return (row[x >> 3] >> (7 - (x & 7))) & 1;
    }
    void Set(int32_t x, int32_t y, int value) {
        if (x < 0 || y < 0 || x >= width() || y >= height()) return;
        uint8_t* row = CanvasRow(&canvas.image, y);
        uint8_t bit = static_cast<uint8_t>(0x80 >> (x & 7));
        row[x >> 3] = static_cast<uint8_t>(value ? row[x >> 3] | bit : row[x >> 3] & ~bit);
    }
    void Fill(int value) { std::memset(pixels.data(), value ? 0xFF : 0x00, pixels.size()); }
    void Disc(double cx, double cy, double r, int value = 0) {
        for (int32_t y = static_cast<int32_t>(cy - r); y <= static_cast<int32_t>(cy + r); ++y)
            for (int32_t x = static_cast<int32_t>(cx - r); x <= static_cast<int32_t>(cx + r); ++x)
                if ((x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r) Set(x, y, value);
    }
    // Ink discs of many sizes over paper, and a sprinkle of single pixels, so
    // that cells hold every mix from empty to full.
    void Draw(uint32_t seed, int discs = 60) {
        std::mt19937 random(seed);
        std::uniform_real_distribution<double> unit(0.0, 1.0);
        for (int k = 0; k < discs; ++k)
            Disc(unit(random) * width(), unit(random) * height(), 1 + unit(random) * 30);
        for (int k = 0; k < width() * height() / 50; ++k)
            Set(static_cast<int32_t>(unit(random) * width()),
                static_cast<int32_t>(unit(random) * height()), k & 1);
    }
};

// A view of a canvas with its lock and the transform set of the mode.
struct TestView {
    ViewState view{};
    int32_t subPixel = 0;

    TestView(Canvas* canvas, float scale, float rotation, int32_t mirror, int32_t free) {
        InitViewLock(&view.lock);
        view.canvas = canvas;
        view.subPixel = &subPixel;
        Set(scale, rotation, mirror, free);
    }
    ~TestView() {
        ReleaseDibSurface(&view.viewBitmap);
        ReleaseDibSurface(&view.maskBitmap);
        DeleteViewLock(&view.lock);
    }
    TestView(const TestView&) = delete;
    TestView& operator=(const TestView&) = delete;

    void Set(float scale, float rotation, int32_t mirror, int32_t free) {
        view.scale = scale;
        view.rotation = rotation;
        view.mirror = mirror;
        SelectTransformSet(&view, free);
        int32_t level = ZoomLevelIndex(scale);
        view.pixelRenderer = level >= 0 ? SelectBlockReducer(level, subPixel) : nullptr;
    }
};

// Pixel value (palette index, bit, or packed 32-bit colour) at (x, y) from the top.
inline uint32_t PixelAt(const DibSurface* surface, int32_t x, int32_t y) {
    const uint8_t* row = surface->bits + static_cast<ptrdiff_t>(surface->header.biHeight - 1 - y) *
                                             DibSurfaceStride(surface);
    switch (surface->header.biBitCount) {
    case 1:
        return (row[x >> 3] >> (7 - (x & 7))) & 1u;
    case 4:
        return (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15u;
    case 8:
        return row[x];
    default: {
        uint32_t value;
        std::memcpy(&value, row + x * 4, 4);
        return value;
    }
    }
}

// Whether two surfaces hold the same format and the same visible pixels.
inline bool SamePixels(const DibSurface* a, const DibSurface* b) {
    if (!a || !b || a->header.biWidth != b->header.biWidth ||
        a->header.biHeight != b->header.biHeight || a->header.biBitCount != b->header.biBitCount)
        return false;
    for (int32_t y = 0; y < a->header.biHeight; ++y)
        for (int32_t x = 0; x < a->header.biWidth; ++x)
            if (PixelAt(a, x, y) != PixelAt(b, x, y)) return false;
    return true;
}
