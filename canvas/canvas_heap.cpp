// The portable canvas: pixels in a heap block, no GDI objects. The previous
// canvas is a GDI-only bitmap, so its handles stay null here.
#include <cstring>

#include "base/report.h"
#include "canvas/canvas.h"
#include "canvas/canvas_format.h"
#include "canvas/heap_block.h"

int32_t CreateCanvas(Canvas* canvas, const Settings* settings, int32_t width, int32_t height) {
    if (!canvas) return 0;
    // A canvas still holding images gives them back first instead of leaking them.
    FreeCanvas(canvas);
    CanvasImage* image = &canvas->image;
    size_t bytes = CanvasPixelBytes(width, height);
    auto* bits = bytes ? static_cast<uint8_t*>(AllocateHeapBlock(bytes)) : nullptr;
    if (!bits) {
        ShowErrorMessage(kCanvasFailedText);
        return 0;
    }
    std::memset(bits, 0xFF, bytes); // every pixel paper
    FillCanvasFormat(image, settings, width, height);
    image->bits = bits;
    image->width = width;
    image->height = height;
    return 0;
}

void FreeCanvas(Canvas* canvas) {
    if (!canvas) return;
    FreeHeapBlock(canvas->image.bits);
    canvas->image = CanvasImage{};
    canvas->prevImage = CanvasImage{};
}
