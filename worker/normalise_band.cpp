// The normalise pass: (sum, count) cells of a band of output rows into
// palette indices, without a hardware division per pixel.
#include "base/cpu_features.h"
#include "worker/count_reciprocals.h"
#include "worker/row_band.h"

#if PINDORA_X86
#include <emmintrin.h>
#endif

namespace {

// One row of W cells: the counts, and the sums that become indices in place.
void NormaliseRow_Scalar(const uint8_t* counts, uint8_t* out, int32_t W) {
    for (int32_t x = 0; x < W; ++x) out[x] = kNormaliseTable.index[counts[x]][out[x]];
}

#if PINDORA_X86

// The table's index is floor(254 s / c + 1/2) = floor((508 s + c) / (2 c)),
// kept to a byte. Both terms are whole numbers below 2^17, exact in single
// precision; a quotient that is not whole lies at least 1 / (2 c) >= 1/510
// below the next whole number, more than the half unit a correctly rounded
// division can be off by for quotients below 2^16, so truncating it is exact.
__attribute__((target("sse2"))) __m128i NormaliseFour(__m128i sums, __m128i counts) {
    // Pairs (s, c) in each 32-bit lane.
    const __m128i pairs = _mm_unpacklo_epi16(sums, counts);
    const __m128 numerator =
        _mm_cvtepi32_ps(_mm_madd_epi16(pairs, _mm_set1_epi32(508 | (1 << 16))));
    const __m128 denominator = _mm_cvtepi32_ps(_mm_madd_epi16(pairs, _mm_set1_epi32(2 << 16)));
    const __m128i index = _mm_cvttps_epi32(_mm_div_ps(numerator, denominator));
    return _mm_and_si128(index, _mm_set1_epi32(0xFF));
}

__attribute__((target("sse2"))) void NormaliseRow_Sse2(const uint8_t* counts, uint8_t* out,
                                                       int32_t W) {
    const __m128i zero = _mm_setzero_si128();
    int32_t x = 0;
    for (; x + 16 <= W; x += 16) {
        const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(counts + x));
        const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(out + x));
        // Empty cells divide by 2 instead of 0 and take 255 below.
        const __m128i empty = _mm_cmpeq_epi8(c, zero);
        const __m128i divisors = _mm_max_epu8(c, _mm_set1_epi8(1));
        __m128i halves[2];
        for (int half = 0; half < 2; ++half) {
            const __m128i c16 =
                half == 0 ? _mm_unpacklo_epi8(divisors, zero) : _mm_unpackhi_epi8(divisors, zero);
            const __m128i s16 = half == 0 ? _mm_unpacklo_epi8(s, zero) : _mm_unpackhi_epi8(s, zero);
            halves[half] =
                _mm_packs_epi32(NormaliseFour(s16, c16),
                                NormaliseFour(_mm_srli_si128(s16, 8), _mm_srli_si128(c16, 8)));
        }
        const __m128i indices = _mm_or_si128(_mm_packus_epi16(halves[0], halves[1]), empty);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), indices);
    }
    NormaliseRow_Scalar(counts + x, out + x, W - x);
}

#endif

} // namespace

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
    void (*normaliseRow)(const uint8_t*, uint8_t*, int32_t) = NormaliseRow_Scalar;
#if PINDORA_X86
    if (CpuHasSse2()) normaliseRow = NormaliseRow_Sse2;
#endif
    for (int32_t y = begin; y < end; ++y)
        normaliseRow(countRows + static_cast<ptrdiff_t>(y) * W,
                     outBits + static_cast<ptrdiff_t>(H - 1 - y) * stride, W);
}
