// The strip kernels of the quarter turns: eight source rows at a time turned into columns.
#include "canvas/region_turn_strip.h"

#include <cstring>

#include "base/cpu_features.h"

#if PINDORA_X86
#include <immintrin.h>
#endif

// Output words are stored little-endian, as on every machine this program
// runs on (x86, x86-64, ARM64 Windows).

namespace {

// Bit q of the result = top bit of byte q of v.
inline uint32_t GatherTopBits(uint64_t v) {
    return static_cast<uint32_t>(((v & 0x8080808080808080ull) * 0x0002040810204081ull) >> 56);
}

inline void StoreWord(uint8_t* at, uint32_t word) {
    std::memcpy(at, &word, 4);
}

inline void StripScalar(const uint8_t* const fed[32], ptrdiff_t byteColumn, uint8_t* first,
                        ptrdiff_t step) {
    for (int32_t byte = 0; byte < 8; ++byte) {
        uint64_t slot[4];
        for (int32_t g = 0; g < 4; ++g) {
            uint64_t value = 0;
            for (int32_t q = 0; q < 8; ++q) {
                value |= static_cast<uint64_t>(fed[8 * g + q][byteColumn + byte]) << (8 * q);
            }
            slot[g] = value;
        }
        uint8_t* target = first + 8 * byte * step;
        for (int32_t column = 0; column < 8; ++column) {
            uint32_t word = GatherTopBits(slot[0]) | GatherTopBits(slot[1]) << 8 |
                            GatherTopBits(slot[2]) << 16 | GatherTopBits(slot[3]) << 24;
            StoreWord(target + column * step, word);
            // The next pixel of every byte moves up to its top bit.
            for (uint64_t& value : slot) value <<= 1;
        }
    }
}

} // namespace

void TurnStrip_Scalar(const uint8_t* const fed[32], ptrdiff_t byteColumn, uint8_t* first,
                      ptrdiff_t step) {
    StripScalar(fed, byteColumn, first, step);
}

void TurnBands_Scalar(const uint8_t* const (*fed)[32], int32_t bands, ptrdiff_t byteColumn,
                      uint8_t* first, ptrdiff_t wordStep, ptrdiff_t step) {
    for (int32_t band = 0; band < bands; ++band)
        StripScalar(fed[band], byteColumn, first + band * wordStep, step);
}

#if PINDORA_X86

namespace {

// out[b] byte q = byte b of in[q]: 16 rows of 8 bytes become 8 columns of 16.
// The AVX2 version does the same in each 128-bit lane.
#define PINDORA_TRANSPOSE_ROWS_16X8(vec, unpack)                                                   \
    vec pairs[8];                                                                                  \
    _Pragma("GCC unroll 8") for (int i = 0; i < 8; ++i) pairs[i] =                                 \
        unpack##lo_epi8(in[2 * i], in[2 * i + 1]);                                                 \
    vec quadsLow[4], quadsHigh[4]; /* bytes 0-3 and 4-7 of four rows each */                       \
    _Pragma("GCC unroll 4") for (int j = 0; j < 4; ++j) {                                          \
        quadsLow[j] = unpack##lo_epi16(pairs[2 * j], pairs[2 * j + 1]);                            \
        quadsHigh[j] = unpack##hi_epi16(pairs[2 * j], pairs[2 * j + 1]);                           \
    }                                                                                              \
    vec octs[2][4]; /* [row half][byte pair]: bytes 2p and 2p+1 of eight rows */                   \
    _Pragma("GCC unroll 2") for (int k = 0; k < 2; ++k) {                                          \
        octs[k][0] = unpack##lo_epi32(quadsLow[2 * k], quadsLow[2 * k + 1]);                       \
        octs[k][1] = unpack##hi_epi32(quadsLow[2 * k], quadsLow[2 * k + 1]);                       \
        octs[k][2] = unpack##lo_epi32(quadsHigh[2 * k], quadsHigh[2 * k + 1]);                     \
        octs[k][3] = unpack##hi_epi32(quadsHigh[2 * k], quadsHigh[2 * k + 1]);                     \
    }                                                                                              \
    _Pragma("GCC unroll 4") for (int p = 0; p < 4; ++p) {                                          \
        out[2 * p] = unpack##lo_epi64(octs[0][p], octs[1][p]);                                     \
        out[2 * p + 1] = unpack##hi_epi64(octs[0][p], octs[1][p]);                                 \
    }

__attribute__((target("sse2"), always_inline)) inline void TransposeRows16x8(const __m128i in[16],
                                                                             __m128i out[8]) {
    PINDORA_TRANSPOSE_ROWS_16X8(__m128i, _mm_unpack)
}

#if PINDORA_AVX2_KERNELS
__attribute__((target("avx2"), always_inline)) inline void TransposeRows16x8(const __m256i in[16],
                                                                             __m256i out[8]) {
    PINDORA_TRANSPOSE_ROWS_16X8(__m256i, _mm256_unpack)
}
#endif

#undef PINDORA_TRANSPOSE_ROWS_16X8

__attribute__((target("sse2"), always_inline)) inline void
StripSse2(const uint8_t* const fed[32], ptrdiff_t byteColumn, uint8_t* first, ptrdiff_t step) {
    // The two halves of the rows are turned one after the other, each
    // filling its 16 bits of the words, so the registers hold one half.
    for (int half = 0; half < 2; ++half) {
        __m128i rows[16];
        for (int q = 0; q < 16; ++q) {
            rows[q] =
                _mm_loadl_epi64(reinterpret_cast<const __m128i*>(fed[16 * half + q] + byteColumn));
        }
        __m128i columns[8];
        TransposeRows16x8(rows, columns);
        for (int byte = 0; byte < 8; ++byte) {
            __m128i v = columns[byte];
            uint8_t* target = first + 8 * byte * step + 2 * half;
            for (int column = 0; column < 8; ++column) {
                auto bits = static_cast<uint16_t>(_mm_movemask_epi8(v));
                std::memcpy(target + column * step, &bits, 2);
                // Doubling each byte moves its next pixel up to the top bit.
                v = _mm_add_epi8(v, v);
            }
        }
    }
}

} // namespace

// One instruction set's two entry points around its inlined strip body: one
// strip, and one strip down several bands.
#define PINDORA_TURN_ENTRY_POINTS(isa, targetName, strip)                                          \
    __attribute__((target(targetName))) void TurnStrip_##isa(                                      \
        const uint8_t* const fed[32], ptrdiff_t byteColumn, uint8_t* first, ptrdiff_t step) {      \
        strip(fed, byteColumn, first, step);                                                       \
    }                                                                                              \
    __attribute__((target(targetName))) void TurnBands_##isa(                                      \
        const uint8_t* const(*fed)[32], int32_t bands, ptrdiff_t byteColumn, uint8_t* first,       \
        ptrdiff_t wordStep, ptrdiff_t step) {                                                      \
        for (int32_t band = 0; band < bands; ++band)                                               \
            strip(fed[band], byteColumn, first + band * wordStep, step);                           \
    }

PINDORA_TURN_ENTRY_POINTS(Sse2, "sse2", StripSse2)

#if PINDORA_AVX2_KERNELS
namespace {

__attribute__((target("avx2"), always_inline)) inline void
StripAvx2(const uint8_t* const fed[32], ptrdiff_t byteColumn, uint8_t* first, ptrdiff_t step) {
    // Rows 0-15 in the low lanes, 16-31 in the high lanes: after the
    // transpose one register holds a source byte column of all 32 rows.
    __m256i rows[16];
#pragma GCC unroll 16
    for (int q = 0; q < 16; ++q) {
        __m128i low = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(fed[q] + byteColumn));
        __m128i high = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(fed[q + 16] + byteColumn));
        rows[q] = _mm256_inserti128_si256(_mm256_castsi128_si256(low), high, 1);
    }
    __m256i columns[8];
    TransposeRows16x8(rows, columns);
    // Fully unrolled, with the eight column addresses of a byte as two bases
    // plus 0, 1, 2 or 3 steps: three instructions per output word.
    const ptrdiff_t step3 = 3 * step;
#pragma GCC unroll 8
    for (int byte = 0; byte < 8; ++byte) {
        __m256i v = columns[byte];
        uint8_t* target = first + 8 * byte * step;
        uint8_t* target4 = target + 4 * step;
        uint8_t* bases[2] = {target, target4};
#pragma GCC unroll 2
        for (int half = 0; half < 2; ++half) {
            StoreWord(bases[half], static_cast<uint32_t>(_mm256_movemask_epi8(v)));
            v = _mm256_add_epi8(v, v);
            StoreWord(bases[half] + step, static_cast<uint32_t>(_mm256_movemask_epi8(v)));
            v = _mm256_add_epi8(v, v);
            StoreWord(bases[half] + 2 * step, static_cast<uint32_t>(_mm256_movemask_epi8(v)));
            v = _mm256_add_epi8(v, v);
            StoreWord(bases[half] + step3, static_cast<uint32_t>(_mm256_movemask_epi8(v)));
            v = _mm256_add_epi8(v, v);
        }
    }
}

} // namespace

PINDORA_TURN_ENTRY_POINTS(Avx2, "avx2", StripAvx2)

#else
void TurnStrip_Avx2(const uint8_t* const fed[32], ptrdiff_t byteColumn, uint8_t* first,
                    ptrdiff_t step) {
    TurnStrip_Sse2(fed, byteColumn, first, step);
}

void TurnBands_Avx2(const uint8_t* const (*fed)[32], int32_t bands, ptrdiff_t byteColumn,
                    uint8_t* first, ptrdiff_t wordStep, ptrdiff_t step) {
    TurnBands_Sse2(fed, bands, byteColumn, first, wordStep, step);
}
#endif

#undef PINDORA_TURN_ENTRY_POINTS

TurnStripFunction BestTurnStrip() {
    if (PINDORA_AVX2_KERNELS && CpuHasAvx2()) return TurnStrip_Avx2;
    if (CpuHasSse2()) return TurnStrip_Sse2;
    return TurnStrip_Scalar;
}

TurnBandsFunction BestTurnBands() {
    if (PINDORA_AVX2_KERNELS && CpuHasAvx2()) return TurnBands_Avx2;
    if (CpuHasSse2()) return TurnBands_Sse2;
    return TurnBands_Scalar;
}

#else

void TurnStrip_Sse2(const uint8_t* const fed[32], ptrdiff_t byteColumn, uint8_t* first,
                    ptrdiff_t step) {
    TurnStrip_Scalar(fed, byteColumn, first, step);
}

void TurnStrip_Avx2(const uint8_t* const fed[32], ptrdiff_t byteColumn, uint8_t* first,
                    ptrdiff_t step) {
    TurnStrip_Scalar(fed, byteColumn, first, step);
}

void TurnBands_Sse2(const uint8_t* const (*fed)[32], int32_t bands, ptrdiff_t byteColumn,
                    uint8_t* first, ptrdiff_t wordStep, ptrdiff_t step) {
    TurnBands_Scalar(fed, bands, byteColumn, first, wordStep, step);
}

void TurnBands_Avx2(const uint8_t* const (*fed)[32], int32_t bands, ptrdiff_t byteColumn,
                    uint8_t* first, ptrdiff_t wordStep, ptrdiff_t step) {
    TurnBands_Scalar(fed, bands, byteColumn, first, wordStep, step);
}

TurnStripFunction BestTurnStrip() {
    return TurnStrip_Scalar;
}

TurnBandsFunction BestTurnBands() {
    return TurnBands_Scalar;
}

#endif
