// The flip of a row run streamed out of the registers, for turned extraction.
#include "canvas/row_flip_stream.h"

#include "base/cpu_features.h"

#if PINDORA_X86
#include <tmmintrin.h>

namespace {

// Sixteen source bytes, their bits reversed and their order reversed, by
// nibble look-ups (the low nibble's reversal goes high).
__attribute__((target("ssse3"), always_inline)) inline __m128i FlipSixteen(__m128i v) {
    const __m128i reversedLow = _mm_setr_epi8(
        0x00, static_cast<char>(0x80), 0x40, static_cast<char>(0xC0), 0x20, static_cast<char>(0xA0),
        0x60, static_cast<char>(0xE0), 0x10, static_cast<char>(0x90), 0x50, static_cast<char>(0xD0),
        0x30, static_cast<char>(0xB0), 0x70, static_cast<char>(0xF0));
    const __m128i reversedHigh = _mm_setr_epi8(0x0, 0x8, 0x4, 0xC, 0x2, 0xA, 0x6, 0xE, 0x1, 0x9,
                                               0x5, 0xD, 0x3, 0xB, 0x7, 0xF);
    const __m128i backwards = _mm_setr_epi8(15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0);
    const __m128i nibble = _mm_set1_epi8(0x0F);
    const __m128i low = _mm_and_si128(v, nibble);
    const __m128i high = _mm_and_si128(_mm_srli_epi16(v, 4), nibble);
    v = _mm_or_si128(_mm_shuffle_epi8(reversedLow, low), _mm_shuffle_epi8(reversedHigh, high));
    return _mm_shuffle_epi8(v, backwards);
}

} // namespace

__attribute__((target("ssse3"))) void FlipRowBytesStreaming_Ssse3(const uint8_t* source,
                                                                  uint8_t* end, int32_t count) {
    // Target bytes after the last 16-byte boundary come from the source's first bytes.
    auto tail = static_cast<int32_t>(reinterpret_cast<uintptr_t>(end) & 15u);
    if (tail > count) tail = count;
    FlipRowBytes_Scalar(source, end, tail);
    // The source is read forwards; block i lands, aligned, just below the last one.
    const uint8_t* from = source + tail;
    auto* to = reinterpret_cast<__m128i*>(end - tail);
    const int32_t rest = count - tail;
    const int32_t blocks = rest / 16;
    int32_t i = 0;
    for (; i + 4 <= blocks; i += 4, from += 64, to -= 4) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + 16));
        const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + 32));
        const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + 48));
        _mm_stream_si128(to - 1, FlipSixteen(a));
        _mm_stream_si128(to - 2, FlipSixteen(b));
        _mm_stream_si128(to - 3, FlipSixteen(c));
        _mm_stream_si128(to - 4, FlipSixteen(d));
    }
    for (; i < blocks; ++i, from += 16, --to)
        _mm_stream_si128(to - 1,
                         FlipSixteen(_mm_loadu_si128(reinterpret_cast<const __m128i*>(from))));
    // The source's last bytes begin the target.
    FlipRowBytes_Scalar(from, reinterpret_cast<uint8_t*>(to), rest - 16 * blocks);
}

FlipRowBytesFunction StreamingFlipRowBytes() {
    return CpuHasSsse3() ? FlipRowBytesStreaming_Ssse3 : nullptr;
}

#else

void FlipRowBytesStreaming_Ssse3(const uint8_t* source, uint8_t* end, int32_t count) {
    FlipRowBytes_Scalar(source, end, count);
}

FlipRowBytesFunction StreamingFlipRowBytes() {
    return nullptr;
}

#endif
