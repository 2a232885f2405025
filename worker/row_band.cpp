#include "worker/row_band.h"

#include <cmath>

namespace {

inline const BandImage* Image(const void* record) { return static_cast<const BandImage*>(record); }

inline void AddByte(uint8_t* cell, uint32_t amount) {
    __atomic_fetch_add(cell, static_cast<uint8_t>(amount), __ATOMIC_RELAXED);
}

} // namespace

void AccumulateBand(const RowBand* band) {
    const BandImage* source = Image(band->source);
    const BandImage* output = Image(band->output);
    const int32_t W = band->outWidth, H = band->outHeight;
    const int32_t sourceWords = (source->header.biWidth + 31) >> 5;
    const int32_t sourceHeight = source->header.biHeight;
    const int32_t outStride = (output->header.biWidth + 3) & ~3;
    const uint32_t* sourceWordsBase = reinterpret_cast<const uint32_t*>(source->bits);

    auto flush = [&](int32_t cx, int32_t cy, uint32_t count, uint32_t sum) {
        if (cx < 0 || cy < 0 || cx >= W || cy >= H) return;
        AddByte(band->counts + static_cast<ptrdiff_t>(cy) * W + cx, count);
        AddByte(output->bits + static_cast<ptrdiff_t>(H - 1 - cy) * outStride + cx, sum);
    };

    for (int32_t i = band->rowBegin; i < band->rowEnd; ++i) {
        double offset = static_cast<double>(i) - static_cast<double>(band->rowOrigin);
        int32_t X = static_cast<int32_t>(band->xPerRow * offset + band->xOrigin);
        int32_t Y = static_cast<int32_t>(band->yPerRow * offset + band->yOrigin);
        int32_t cx = X >> 16, cy = Y >> 16;
        uint32_t count = 0, sum = 0;
        const uint32_t* row = sourceWordsBase + static_cast<ptrdiff_t>(sourceHeight - 1 - i) * sourceWords;
        for (int32_t j = band->columnBegin; j < band->columnEnd; ++j) {
            int32_t nx = X >> 16, ny = Y >> 16;
            if (nx != cx || ny != cy) {
                flush(cx, cy, count, sum);
                cx = nx;
                cy = ny;
                count = sum = 0;
            }
            if (nx >= 0 && ny >= 0 && nx < W && ny < H) {
                uint32_t word = row[j >> 5];
                count += 1;
                sum += ((word >> (j & 24)) >> (7 - (j & 7))) & 1;
            }
            X += band->xPerColumn;
            Y += band->yPerColumn;
        }
        flush(cx, cy, count, sum);
    }
}

void NormaliseBand(const RowBand* band) {
    const BandImage* output = Image(band->output);
    const int32_t W = band->outWidth, H = band->outHeight;
    const int32_t outStride = (output->header.biWidth + 3) & ~3;
    for (int32_t y = band->rowBegin; y < band->rowEnd; ++y) {
        const uint8_t* counts = band->counts + static_cast<ptrdiff_t>(y) * W;
        uint8_t* out = output->bits + static_cast<ptrdiff_t>(H - 1 - y) * outStride;
        for (int32_t x = 0; x < W; ++x) {
            uint32_t c = counts[x];
            out[x] = c == 0 ? 255 : static_cast<uint8_t>((out[x] * 65024u / c + 128) >> 8);
        }
    }
}
