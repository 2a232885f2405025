// Whether the canvas holds any ink.
#include "canvas/canvas_blank.h"

#include <cstring>

int32_t IsCanvasBlank(const Canvas* canvas) {
    const CanvasImage* image = &canvas->image;
    const int32_t width = image->width, height = image->height;
    if (height <= 0 || width <= 0 || !image->bits) return 1;
    const int32_t stride = CanvasStride(image);
    const int32_t fullWords = width / 32, restBits = width % 32;
    uint32_t ink = 0;
    for (int32_t row = 0; row < height; ++row) {
        const uint8_t* bytes = image->bits + static_cast<ptrdiff_t>(row) * stride;
        for (int32_t w = 0; w < fullWords; ++w) {
            uint32_t word;
            std::memcpy(&word, bytes + 4 * w, 4);
            ink |= ~word;
        }
        // Only the pixels inside the width count; the row's padding bits are free.
        const uint8_t* tail = bytes + 4 * fullWords;
        for (int32_t b = 0; b < restBits / 8; ++b) ink |= static_cast<uint8_t>(~tail[b]);
        if (restBits % 8) {
            uint8_t mask = static_cast<uint8_t>(0xFF << (8 - restBits % 8));
            ink |= static_cast<uint8_t>(~tail[restBits / 8]) & mask;
        }
        if (ink) return 0;
    }
    return 1;
}
