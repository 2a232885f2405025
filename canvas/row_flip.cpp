// Left-right flips of 1-bit pixel runs, for mirrored extraction.
#include "canvas/row_flip.h"

#include <cstring>

#include "base/cpu_features.h"
#include "canvas/bit_reverse.h"

#if PINDORA_X86
#include <immintrin.h>
#endif

void FlipRowBytes_Scalar(const uint8_t* source, uint8_t* end, int32_t count) {
    const int32_t words = count / 4;
    const int32_t pairs = words / 2;
    // A 64-bit reversal also swaps the pair's two words, as the flip needs.
    for (int32_t i = 0; i < pairs; ++i) {
        uint64_t pair;
        std::memcpy(&pair, source + 8 * i, 8);
        pair = ReverseBits64(pair);
        std::memcpy(end - 8 * (i + 1), &pair, 8);
    }
    if (words & 1) {
        uint32_t word;
        std::memcpy(&word, source + 8 * pairs, 4);
        word = ReverseBits32(word);
        std::memcpy(end - 4 * words, &word, 4);
    }
    for (int32_t k = 4 * words; k < count; ++k) end[-1 - k] = ReverseBits8(source[k]);
}

#if PINDORA_AVX2_KERNELS

__attribute__((target("avx2"))) void FlipRowBytes_Avx2(const uint8_t* source, uint8_t* end,
                                                       int32_t count) {
    // Reversed nibbles, looked up per half byte: the low nibble's goes high.
    const __m256i reversedLow =
        _mm256_setr_epi8(0x00, 0x80, 0x40, 0xC0, 0x20, 0xA0, 0x60, 0xE0, 0x10, 0x90, 0x50, 0xD0,
                         0x30, 0xB0, 0x70, 0xF0, 0x00, 0x80, 0x40, 0xC0, 0x20, 0xA0, 0x60, 0xE0,
                         0x10, 0x90, 0x50, 0xD0, 0x30, 0xB0, 0x70, 0xF0);
    const __m256i reversedHigh = _mm256_setr_epi8(
        0x0, 0x8, 0x4, 0xC, 0x2, 0xA, 0x6, 0xE, 0x1, 0x9, 0x5, 0xD, 0x3, 0xB, 0x7, 0xF, 0x0, 0x8,
        0x4, 0xC, 0x2, 0xA, 0x6, 0xE, 0x1, 0x9, 0x5, 0xD, 0x3, 0xB, 0x7, 0xF);
    const __m256i backwards =
        _mm256_setr_epi8(15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0, 15, 14, 13, 12, 11,
                         10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0);
    const __m256i nibble = _mm256_set1_epi8(0x0F);
    const int32_t blocks = count / 32;
    for (int32_t i = 0; i < blocks; ++i) {
        __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(source + 32 * i));
        __m256i low = _mm256_and_si256(v, nibble);
        __m256i high = _mm256_and_si256(_mm256_srli_epi16(v, 4), nibble);
        v = _mm256_or_si256(_mm256_shuffle_epi8(reversedLow, low),
                            _mm256_shuffle_epi8(reversedHigh, high));
        // Bytes backwards within each 16-byte lane, then the two lanes swapped.
        v = _mm256_permute4x64_epi64(_mm256_shuffle_epi8(v, backwards), 0x4E);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(end - 32 * (i + 1)), v);
    }
    FlipRowBytes_Scalar(source + 32 * blocks, end - 32 * blocks, count - 32 * blocks);
}

FlipRowBytesFunction BestFlipRowBytes() {
    return CpuHasAvx2() ? FlipRowBytes_Avx2 : FlipRowBytes_Scalar;
}

#else

void FlipRowBytes_Avx2(const uint8_t* source, uint8_t* end, int32_t count) {
    FlipRowBytes_Scalar(source, end, count);
}

FlipRowBytesFunction BestFlipRowBytes() {
    return FlipRowBytes_Scalar;
}

#endif
