// Area-averaging reduction of pictures and of the canvas for the sheet.
#include "practice/thumbnails.h"

#include <algorithm>

namespace {

// Sums every source pixel into the output pixel that covers it, then divides:
// each output pixel is the mean of its block of the source.
template <typename SampleRow>
RgbImage Reduce(int32_t width, int32_t height, int32_t boxWidth, int32_t boxHeight,
                SampleRow sampleRow) {
    RgbImage out;
    const Point size = FitInBox(width, height, boxWidth, boxHeight);
    if (size.x <= 0 || size.y <= 0) return out;
    out.width = size.x;
    out.height = size.y;
    out.rgb.assign(static_cast<size_t>(size.x) * static_cast<size_t>(size.y) * 3, 0);
    std::vector<int32_t> column(static_cast<size_t>(width));
    for (int32_t x = 0; x < width; ++x)
        column[static_cast<size_t>(x)] = static_cast<int32_t>(int64_t{x} * size.x / width);
    std::vector<uint64_t> sums(static_cast<size_t>(size.x) * 3);
    std::vector<uint64_t> counts(static_cast<size_t>(size.x));
    std::vector<uint8_t> row(static_cast<size_t>(width) * 3);
    int32_t outRow = 0;
    for (int32_t y = 0; y < height; ++y) {
        sampleRow(y, row.data());
        for (int32_t x = 0; x < width; ++x) {
            const size_t to = static_cast<size_t>(column[static_cast<size_t>(x)]);
            const uint8_t* from = &row[static_cast<size_t>(x) * 3];
            sums[to * 3] += from[0];
            sums[to * 3 + 1] += from[1];
            sums[to * 3 + 2] += from[2];
            counts[to] += 1;
        }
        const bool rowEnds =
            y + 1 == height || static_cast<int32_t>(int64_t{y + 1} * size.y / height) != outRow;
        if (!rowEnds) continue;
        uint8_t* target = &out.rgb[static_cast<size_t>(outRow) * static_cast<size_t>(size.x) * 3];
        for (size_t i = 0; i < static_cast<size_t>(size.x); ++i) {
            const uint64_t n = counts[i] ? counts[i] : 1;
            for (size_t c = 0; c < 3; ++c)
                target[i * 3 + c] = static_cast<uint8_t>((sums[i * 3 + c] + n / 2) / n);
        }
        std::fill(sums.begin(), sums.end(), 0);
        std::fill(counts.begin(), counts.end(), 0);
        ++outRow;
    }
    return out;
}

} // namespace

Point FitInBox(int64_t width, int64_t height, int32_t boxWidth, int32_t boxHeight) {
    if (width <= 0 || height <= 0 || boxWidth <= 0 || boxHeight <= 0) return Point{0, 0};
    if (width <= boxWidth && height <= boxHeight)
        return Point{static_cast<int32_t>(width), static_cast<int32_t>(height)};
    // The side that meets the box first decides the scale.
    if (width * boxHeight >= height * boxWidth)
        return Point{boxWidth,
                     static_cast<int32_t>(std::max<int64_t>(1, height * boxWidth / width))};
    return Point{static_cast<int32_t>(std::max<int64_t>(1, width * boxHeight / height)), boxHeight};
}

RgbImage ReducePicture(const uint32_t* pixels, int32_t width, int32_t height, int32_t boxWidth,
                       int32_t boxHeight) {
    if (!pixels) return RgbImage();
    return Reduce(width, height, boxWidth, boxHeight, [&](int32_t y, uint8_t* row) {
        const uint32_t* from = pixels + static_cast<size_t>(y) * static_cast<size_t>(width);
        for (int32_t x = 0; x < width; ++x) {
            const uint32_t argb = from[x];
            const uint32_t alpha = argb >> 24;
            for (int c = 0; c < 3; ++c) {
                const uint32_t value = (argb >> (16 - 8 * c)) & 0xFF;
                row[x * 3 + c] =
                    static_cast<uint8_t>((value * alpha + 255 * (255 - alpha) + 127) / 255);
            }
        }
    });
}

RgbImage ReduceOneBitImage(const uint8_t* bits, ptrdiff_t stride, int32_t width, int32_t height,
                           const RgbQuad* palette, int32_t boxWidth, int32_t boxHeight) {
    if (!bits || !palette) return RgbImage();
    const uint8_t colours[2][3] = {{palette[0].rgbRed, palette[0].rgbGreen, palette[0].rgbBlue},
                                   {palette[1].rgbRed, palette[1].rgbGreen, palette[1].rgbBlue}};
    return Reduce(width, height, boxWidth, boxHeight, [&](int32_t y, uint8_t* row) {
        const uint8_t* from = bits + static_cast<ptrdiff_t>(height - 1 - y) * stride;
        for (int32_t x = 0; x < width; ++x) {
            const uint8_t* colour = colours[(from[x >> 3] >> (7 - (x & 7))) & 1];
            row[x * 3] = colour[0];
            row[x * 3 + 1] = colour[1];
            row[x * 3 + 2] = colour[2];
        }
    });
}
