// What both canvas back ends share: the size check and the pixel format of a new image.
#include "canvas/canvas_format.h"

#include "canvas/canvas_limits.h"
#include "canvas/heap_block.h"

size_t CanvasPixelBytes(int32_t width, int32_t height) {
    if (!IsCanvasSizeWithinLimits(width, height)) return 0;
    uint64_t bytes = static_cast<uint64_t>(DibStride(width, 1)) * static_cast<uint64_t>(height);
    if (bytes > kLargestPixelBlock) return 0;
    return static_cast<size_t>(bytes);
}

void FillCanvasFormat(CanvasImage* image, const Settings* settings, int32_t width, int32_t height) {
    image->header = BitmapInfoHeader{};
    image->header.biSize = sizeof(BitmapInfoHeader);
    image->header.biWidth = width;
    image->header.biHeight = height;
    image->header.biPlanes = 1;
    image->header.biBitCount = 1;
    uint32_t ink = settings ? settings->drawingColour : 0x000000u;
    uint32_t paper = settings ? settings->bgColour : 0xFFFFFFu;
    image->palette[0] = RgbQuadFromColorRef(ink);
    image->palette[1] = RgbQuadFromColorRef(paper);
}
