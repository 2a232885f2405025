// ViewState: how the canvas is shown — scale, rotation, mirror, placement —
// with the screen bitmap, the view bitmaps, the lock shared with the refresh
// thread and the table of one region renderer and six coordinate transforms.
#pragma once

#include "base/bitmap_types.h"
#include "base/view_lock.h"

struct Canvas;
struct CanvasRegion;
struct DibSurface;

struct ViewState;

// Block reducer: an extracted region to a display bitmap (or none).
using PixelRenderer = DibSurface* (*)(const CanvasRegion* region);
// Dirty update of one canvas rectangle into the view bitmap.
using RegionRenderer = int32_t (*)(ViewState* view, const Canvas* canvas, Rect rect,
                                   int32_t threadsAllowed);
using CanvasPointTransform = void (*)(const Canvas* canvas, const ViewState* view, int32_t* x,
                                      int32_t* y);
using CanvasRectTransform = void (*)(const Canvas* canvas, const ViewState* view, Rect* rect);
using BitmapPointTransform = void (*)(const ViewState* view, int32_t* x, int32_t* y);
using BitmapRectTransform = void (*)(const ViewState* view, Rect* rect);

// The six coordinate transforms of one display mode; a set is installed into
// the view as a whole.
struct ViewTransforms {
    CanvasPointTransform canvasToClient;
    CanvasRectTransform canvasRectToClient;
    CanvasPointTransform canvasToBitmap;
    CanvasRectTransform canvasRectToBitmap;
    BitmapPointTransform bitmapToCanvas;
    BitmapRectTransform bitmapRectToCanvas;
};

struct ViewState {
    GdiHandle window;
    DibSurface* screen; // the screen bitmap: 32 bits per pixel, client-sized
    int32_t clientWidth;
    int32_t clientHeight;
    int32_t originX;
    int32_t originY;
    DibSurface* viewBitmap;
    DibSurface* maskBitmap;
    int32_t centreX;
    int32_t centreY;
    float scale;
    int32_t mirror;
    float rotation;
    int32_t freeRotation;
    PixelRenderer pixelRenderer;
    RegionRenderer renderRegion;
    ViewTransforms transforms; // the installed set: right-angle or free
    int32_t* subPixel;
    Canvas* canvas;
    ViewLock lock;
};

// Unrounded float forms of the free-rotation mappings, used by the renderers
// and by the operations that keep the centre point fixed.
struct FloatRect {
    float left;
    float top;
    float right;
    float bottom;
};
