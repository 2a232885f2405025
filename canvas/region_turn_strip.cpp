#include "canvas/region_turn_strip.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
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

} // namespace

void TurnStripPortable(const uint8_t* const fed[32], ptrdiff_t byteColumn, uint8_t* first,
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

#if defined(__SSE2__)

namespace {

// out[b] byte q = byte b of in[q]: 16 rows of 8 bytes become 8 columns of 16.
void TransposeRows16x8(const __m128i in[16], __m128i out[8]) {
    __m128i pairs[8];
    for (int i = 0; i < 8; ++i) pairs[i] = _mm_unpacklo_epi8(in[2 * i], in[2 * i + 1]);
    __m128i quadsLow[4], quadsHigh[4]; // bytes 0-3 and 4-7 of four rows each
    for (int j = 0; j < 4; ++j) {
        quadsLow[j] = _mm_unpacklo_epi16(pairs[2 * j], pairs[2 * j + 1]);
        quadsHigh[j] = _mm_unpackhi_epi16(pairs[2 * j], pairs[2 * j + 1]);
    }
    __m128i octs[2][4]; // [row half][byte pair]: bytes 2p and 2p+1 of eight rows
    for (int k = 0; k < 2; ++k) {
        octs[k][0] = _mm_unpacklo_epi32(quadsLow[2 * k], quadsLow[2 * k + 1]);
        octs[k][1] = _mm_unpackhi_epi32(quadsLow[2 * k], quadsLow[2 * k + 1]);
        octs[k][2] = _mm_unpacklo_epi32(quadsHigh[2 * k], quadsHigh[2 * k + 1]);
        octs[k][3] = _mm_unpackhi_epi32(quadsHigh[2 * k], quadsHigh[2 * k + 1]);
    }
    for (int p = 0; p < 4; ++p) {
        out[2 * p] = _mm_unpacklo_epi64(octs[0][p], octs[1][p]);
        out[2 * p + 1] = _mm_unpackhi_epi64(octs[0][p], octs[1][p]);
    }
}

} // namespace

void TurnStripSse2(const uint8_t* const fed[32], ptrdiff_t byteColumn, uint8_t* first,
                   ptrdiff_t step) {
    __m128i rows[32];
    for (int q = 0; q < 32; ++q) {
        rows[q] = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(fed[q] + byteColumn));
    }
    __m128i low[8], high[8]; // per source byte: rows fed 0-15 and 16-31
    TransposeRows16x8(rows, low);
    TransposeRows16x8(rows + 16, high);
    for (int byte = 0; byte < 8; ++byte) {
        __m128i a = low[byte], b = high[byte];
        uint8_t* target = first + 8 * byte * step;
        for (int column = 0; column < 8; ++column) {
            auto word = static_cast<uint32_t>(_mm_movemask_epi8(a)) |
                        static_cast<uint32_t>(_mm_movemask_epi8(b)) << 16;
            StoreWord(target + column * step, word);
            // Doubling each byte moves its next pixel up to the top bit.
            a = _mm_add_epi8(a, a);
            b = _mm_add_epi8(b, b);
        }
    }
}

const TurnStripFunction TurnStrip = TurnStripSse2;

#else

const TurnStripFunction TurnStrip = TurnStripPortable;

#endif
