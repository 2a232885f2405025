// The wide quarter-turn step: four bands by 32 source bytes at a time.
#include "canvas/region_turn_quad.h"

#include "base/cpu_features.h"
#include "canvas/region_turn_strip.h"

#if PINDORA_X86
#include <immintrin.h>
#endif

namespace {

// Sixteen strips: four 8-byte pieces across, each down the four bands.
void QuadOfStrips(TurnStripFunction strip, const uint8_t* const* const bands[4],
                  ptrdiff_t byteColumn, uint8_t* first, ptrdiff_t step) {
    for (int32_t piece = 0; piece < 4; ++piece) {
        for (int32_t band = 0; band < 4; ++band)
            strip(bands[band], byteColumn + 8 * piece, first + 64 * piece * step + 4 * band, step);
    }
}

} // namespace

void TurnQuad_Scalar(const uint8_t* const* const bands[4], ptrdiff_t byteColumn, uint8_t* first,
                     ptrdiff_t step) {
    QuadOfStrips(TurnStrip_Scalar, bands, byteColumn, first, step);
}

#if PINDORA_X86

namespace {

// The order the four unpack levels leave a 16 × 16 byte transpose in: it is
// its own inverse, so byte j is in register kByteOf[j].
constexpr int kByteOf[16] = {0, 8, 4, 12, 2, 10, 6, 14, 1, 9, 5, 13, 3, 11, 7, 15};

// One level of the bit-matrix swap between registers a and b = a + s: bit
// c + s of each byte of a trades places with bit c of the same byte of b,
// for the c without bit s. The masks keep every bit within its byte, so
// 16-bit shifts serve.
template <int s>
__attribute__((target("sse2"), always_inline)) inline void SwapBits16(__m128i& a, __m128i& b,
                                                                      __m128i mask) {
    const __m128i t = _mm_and_si128(_mm_xor_si128(_mm_srli_epi16(a, s), b), mask);
    b = _mm_xor_si128(b, t);
    a = _mm_xor_si128(a, _mm_slli_epi16(t, s));
}

// Eight rows in, r[b] byte j bit p; out, r[p] byte j bit b.
__attribute__((target("sse2"), always_inline)) inline void TransposeBits8x16(__m128i r[8]) {
    const __m128i fours = _mm_set1_epi8(0x0F), twos = _mm_set1_epi8(0x33),
                  ones = _mm_set1_epi8(0x55);
#pragma GCC unroll 4
    for (int i = 0; i < 4; ++i) SwapBits16<4>(r[i], r[i + 4], fours);
#pragma GCC unroll 4
    for (int i = 0; i < 8; i += 4) {
        SwapBits16<2>(r[i], r[i + 2], twos);
        SwapBits16<2>(r[i + 1], r[i + 3], twos);
    }
#pragma GCC unroll 4
    for (int i = 0; i < 8; i += 2) SwapBits16<1>(r[i], r[i + 1], ones);
}

// One unpack level of the 16 × 16 byte transpose.
#define PINDORA_UNPACK_LEVEL_16(width)                                                             \
    _Pragma("GCC unroll 8") for (int i = 0; i < 8; ++i) {                                          \
        next[i] = _mm_unpacklo_##width(v[2 * i], v[2 * i + 1]);                                    \
        next[8 + i] = _mm_unpackhi_##width(v[2 * i], v[2 * i + 1]);                                \
    }                                                                                              \
    _Pragma("GCC unroll 16") for (int i = 0; i < 16; ++i) v[i] = next[i];

} // namespace

// The wide step 16 source bytes at a time: each half is what the AVX2 form
// does in one of its lanes.
__attribute__((target("sse2"))) void TurnQuad_Sse2(const uint8_t* const* const bands[4],
                                                   ptrdiff_t byteColumn, uint8_t* first,
                                                   ptrdiff_t step) {
    const ptrdiff_t nextByte = 8 * step;
    for (int half = 0; half < 2; ++half) {
        __m128i turned[8][16];
        for (int g = 0; g < 16; ++g) {
            const uint8_t* const* rows = bands[g / 4] + 8 * (g % 4);
            __m128i r[8];
#pragma GCC unroll 8
            for (int b = 0; b < 8; ++b)
                r[b] = _mm_loadu_si128(
                    reinterpret_cast<const __m128i*>(rows[b] + byteColumn + 16 * half));
            TransposeBits8x16(r);
#pragma GCC unroll 8
            for (int p = 0; p < 8; ++p) turned[p][g] = r[p];
        }
        for (int p = 0; p < 8; ++p) {
            __m128i v[16], next[16];
#pragma GCC unroll 16
            for (int g = 0; g < 16; ++g) v[g] = turned[p][g];
            PINDORA_UNPACK_LEVEL_16(epi8)
            PINDORA_UNPACK_LEVEL_16(epi16)
            PINDORA_UNPACK_LEVEL_16(epi32)
            PINDORA_UNPACK_LEVEL_16(epi64)
            // Bit p of a byte (7 = leftmost) is source column 8j + 7 - p.
            uint8_t* at = first + (128 * half + 7 - p) * step;
#pragma GCC unroll 16
            for (int j = 0; j < 16; ++j, at += nextByte)
                _mm_storeu_si128(reinterpret_cast<__m128i*>(at), v[kByteOf[j]]);
        }
    }
}

#undef PINDORA_UNPACK_LEVEL_16

#else

void TurnQuad_Sse2(const uint8_t* const* const bands[4], ptrdiff_t byteColumn, uint8_t* first,
                   ptrdiff_t step) {
    QuadOfStrips(TurnStrip_Sse2, bands, byteColumn, first, step);
}

#endif

#if PINDORA_AVX2_KERNELS

namespace {

// One level of the bit-matrix swap between registers a and b = a + s: bit
// c + s of each byte of a trades places with bit c of the same byte of b,
// for the c without bit s. The masks keep every bit within its byte, so
// 16-bit shifts serve.
template <int s>
__attribute__((target("avx2"), always_inline)) inline void SwapBits(__m256i& a, __m256i& b,
                                                                    __m256i mask) {
    const __m256i t = _mm256_and_si256(_mm256_xor_si256(_mm256_srli_epi16(a, s), b), mask);
    b = _mm256_xor_si256(b, t);
    a = _mm256_xor_si256(a, _mm256_slli_epi16(t, s));
}

// Eight rows in, r[b] byte j bit p; out, r[p] byte j bit b: each byte
// column's 8 × 8 bits transposed.
__attribute__((target("avx2"), always_inline)) inline void TransposeBits8(__m256i r[8]) {
    const __m256i fours = _mm256_set1_epi8(0x0F), twos = _mm256_set1_epi8(0x33),
                  ones = _mm256_set1_epi8(0x55);
#pragma GCC unroll 4
    for (int i = 0; i < 4; ++i) SwapBits<4>(r[i], r[i + 4], fours);
#pragma GCC unroll 4
    for (int i = 0; i < 8; i += 4) {
        SwapBits<2>(r[i], r[i + 2], twos);
        SwapBits<2>(r[i + 1], r[i + 3], twos);
    }
#pragma GCC unroll 4
    for (int i = 0; i < 8; i += 2) SwapBits<1>(r[i], r[i + 1], ones);
}

// One unpack level of a 16 × 16 byte transpose within each lane: pairs of
// neighbours go in, their low halves' merge to the first eight, the high
// halves' to the last eight.
#define PINDORA_UNPACK_LEVEL(width)                                                                \
    _Pragma("GCC unroll 8") for (int i = 0; i < 8; ++i) {                                          \
        next[i] = _mm256_unpacklo_##width(v[2 * i], v[2 * i + 1]);                                 \
        next[8 + i] = _mm256_unpackhi_##width(v[2 * i], v[2 * i + 1]);                             \
    }                                                                                              \
    _Pragma("GCC unroll 16") for (int i = 0; i < 16; ++i) v[i] = next[i];

} // namespace

__attribute__((target("avx2"))) void TurnQuad_Avx2(const uint8_t* const* const bands[4],
                                                   ptrdiff_t byteColumn, uint8_t* first,
                                                   ptrdiff_t step) {
    // turned[p][g]: group g's (rows 8g .. 8g + 7 of the 128) bits of pixel p
    // of every source byte, byte j holding pixel p of byte j as bit b = row.
    __m256i turned[8][16];
    for (int g = 0; g < 16; ++g) {
        const uint8_t* const* rows = bands[g / 4] + 8 * (g % 4);
        __m256i r[8];
#pragma GCC unroll 8
        for (int b = 0; b < 8; ++b)
            r[b] = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(rows[b] + byteColumn));
        TransposeBits8(r);
#pragma GCC unroll 8
        for (int p = 0; p < 8; ++p) turned[p][g] = r[p];
    }
    // After the four levels register k holds in each lane the 16 groups'
    // bytes of source byte kByteOf[k] (16 more in the high lane).
    const ptrdiff_t nextByte = 8 * step, highLane = 128 * step;
    for (int p = 0; p < 8; ++p) {
        __m256i v[16], next[16];
#pragma GCC unroll 16
        for (int g = 0; g < 16; ++g) v[g] = turned[p][g];
        PINDORA_UNPACK_LEVEL(epi8)
        PINDORA_UNPACK_LEVEL(epi16)
        PINDORA_UNPACK_LEVEL(epi32)
        PINDORA_UNPACK_LEVEL(epi64)
        // Bit p of a byte (7 = leftmost) is source column 8j + 7 - p.
        uint8_t* at = first + (7 - p) * step;
#pragma GCC unroll 16
        for (int j = 0; j < 16; ++j, at += nextByte) {
            const __m256i bytes = v[kByteOf[j]];
            _mm_storeu_si128(reinterpret_cast<__m128i*>(at), _mm256_castsi256_si128(bytes));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(at + highLane),
                             _mm256_extracti128_si256(bytes, 1));
        }
    }
}

#undef PINDORA_UNPACK_LEVEL

TurnQuadFunction BestTurnQuad() {
    if (CpuHasAvx2()) return TurnQuad_Avx2;
    if (CpuHasSse2()) return TurnQuad_Sse2;
    return TurnQuad_Scalar;
}

#else

void TurnQuad_Avx2(const uint8_t* const* const bands[4], ptrdiff_t byteColumn, uint8_t* first,
                   ptrdiff_t step) {
    TurnQuad_Sse2(bands, byteColumn, first, step);
}

TurnQuadFunction BestTurnQuad() {
    return CpuHasSse2() ? TurnQuad_Sse2 : TurnQuad_Scalar;
}

#endif
