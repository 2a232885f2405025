// The GDI canvas: a 1-bit DIB section in its own memory DC, and the previous
// canvas as a device-dependent monochrome bitmap.
#include <windows.h>

#include <cstddef>

#include "base/report.h"
#include "canvas/canvas.h"
#include "canvas/canvas_format.h"

static_assert(offsetof(CanvasImage, palette) - offsetof(CanvasImage, header) ==
                  sizeof(BITMAPINFOHEADER),
              "header and colour table form one BITMAPINFO");

namespace {

void DeleteImageObjects(CanvasImage* image) {
    // The bitmap stays selected until its DC is gone, so the DC goes first.
    if (image->dc) DeleteDC(static_cast<HDC>(image->dc));
    if (image->bitmap) DeleteObject(static_cast<HBITMAP>(image->bitmap));
    *image = CanvasImage{};
}

// The DIB section, white. False when GDI cannot make it; nothing is kept then.
bool CreateCanvasImage(CanvasImage* image, const Settings* settings, int32_t width,
                       int32_t height) {
    if (CanvasPixelBytes(width, height) == 0) return false;
    FillCanvasFormat(image, settings, width, height);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(&image->header),
                                      DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC dc = bitmap && bits ? CreateCompatibleDC(nullptr) : nullptr;
    if (!dc) {
        if (bitmap) DeleteObject(bitmap);
        *image = CanvasImage{};
        return false;
    }
    image->dc = dc;
    image->bitmap = bitmap;
    image->bits = static_cast<uint8_t*>(bits);
    image->width = width;
    image->height = height;
    SelectObject(dc, bitmap);
    PatBlt(dc, 0, 0, width, height, WHITENESS);
    // The stroke engine writes the bits directly: the white fill must be there first.
    GdiFlush();
    return true;
}

bool CreatePrevImage(CanvasImage* prev, int32_t width, int32_t height) {
    HBITMAP bitmap = CreateBitmap(width, height, 1, 1, nullptr);
    HDC dc = bitmap ? CreateCompatibleDC(nullptr) : nullptr;
    if (!dc) {
        if (bitmap) DeleteObject(bitmap);
        return false;
    }
    prev->dc = dc;
    prev->bitmap = bitmap;
    SelectObject(dc, bitmap);
    PatBlt(dc, 0, 0, width, height, WHITENESS);
    return true;
}

} // namespace

int32_t CreateCanvas(Canvas* canvas, const Settings* settings, int32_t width, int32_t height) {
    if (!canvas) return 0;
    // A canvas still holding images gives them back first instead of leaking them.
    FreeCanvas(canvas);
    if (!CreateCanvasImage(&canvas->image, settings, width, height)) {
        ShowErrorMessage(kCanvasFailedText);
        return 0;
    }
    if (!CreatePrevImage(&canvas->prevImage, width, height)) {
        ShowErrorMessage(kPrevCanvasFailedText); // the canvas itself stays usable
    }
    return 0;
}

void FreeCanvas(Canvas* canvas) {
    if (!canvas) return;
    DeleteImageObjects(&canvas->image);
    DeleteImageObjects(&canvas->prevImage);
}
