// The normalise pass: (sum, count) cells of a band of output rows into
// palette indices, without a hardware division per pixel.
#include "worker/count_reciprocals.h"
#include "worker/row_band.h"

void NormaliseBand(const RowBand* band) {
    if (band == nullptr || band->output == nullptr || band->counts == nullptr) return;
    const BandImage* output = static_cast<const BandImage*>(band->output);
    const int32_t W = band->outWidth, H = band->outHeight;
    const int64_t stride = (static_cast<int64_t>(output->header.biWidth) + 3) & ~int64_t{3};
    // A record whose cells do not fit its own output is refused outright.
    if (output->bits == nullptr || W <= 0 || H <= 0 || W > stride || H > output->header.biHeight)
        return;
    const int32_t begin = band->rowBegin < 0 ? 0 : band->rowBegin;
    const int32_t end = band->rowEnd > H ? H : band->rowEnd;
    const uint8_t* countRows = band->counts;
    uint8_t* outBits = output->bits;
    for (int32_t y = begin; y < end; ++y) {
        const uint8_t* counts = countRows + static_cast<ptrdiff_t>(y) * W;
        uint8_t* out = outBits + static_cast<ptrdiff_t>(H - 1 - y) * stride;
        for (int32_t x = 0; x < W; ++x) out[x] = kNormaliseTable.index[counts[x]][out[x]];
    }
}
