// The AVX2 row fill: eight rows' first bytes, lengths and masks worked out
// in one vector each, then each row drawn with one or two 32-byte blocks.
#include <algorithm>

#include "base/cpu_features.h"
#include "engine/row_fill.h"

#if PINDORA_AVX2_KERNELS

#include <immintrin.h>

namespace {

// Per phase of a span's last pixel within its byte (x1 & 7): 32 bytes of
// nothing kept, the bits of the span's last byte kept (those right of x1),
// then 31 bytes kept whole. Read 32 bytes from 32 - k on, it is the kept
// bits of a block whose byte k is the span's last.
struct TailKeepTable {
    alignas(64) uint8_t bytes[8][64];
    TailKeepTable() : bytes{} {
        for (int32_t phase = 0; phase < 8; ++phase) {
            bytes[phase][32] = static_cast<uint8_t>(0xFFu >> (phase + 1));
            for (int32_t k = 33; k < 64; ++k) bytes[phase][k] = 0xFF;
        }
    }
};
const TailKeepTable kTailKeep;

__attribute__((target("avx2"), always_inline)) inline __m256i Load32(const uint8_t* at) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at));
}

__attribute__((target("avx2"), always_inline)) inline void Store32(uint8_t* at, __m256i v) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(at), v);
}

// Rows of this many bytes and more go to the plain form, whose library fill
// wins on them.
constexpr int32_t kLongRow = 256;

inline bool LongRow(int32_t x0, int32_t x1, int32_t width) {
    return (std::min(x1, width - 1) >> 3) - (std::max(x0, 0) >> 3) >= kLongRow;
}

// Ink keeps only the kept bits; paper sets all others.
template <bool kPaper>
__attribute__((target("avx2"), always_inline)) inline __m256i Draw(__m256i old, __m256i keep) {
    return kPaper ? _mm256_or_si256(old, _mm256_xor_si256(keep, _mm256_set1_epi8(-1)))
                  : _mm256_and_si256(old, keep);
}

// One row's span from byte `at` on, `last` bytes after its first, as one or
// two 32-byte blocks read, changed under the kept bits and written back:
// no branch on the span's length up to 64 bytes but the one between one
// block and two. keepHead has the first byte's kept bits in its lowest byte
// and nothing else; tail is the row's place in kTailKeep.
template <bool kPaper>
__attribute__((target("avx2"), always_inline)) inline void
DrawRow32(uint8_t* at, int32_t last, __m256i keepHead, const uint8_t* tail) {
    if (last < 32) {
        const __m256i keep = _mm256_or_si256(keepHead, Load32(tail - last));
        Store32(at, Draw<kPaper>(Load32(at), keep));
        return;
    }
    // Two blocks, the first from the span's first byte and the second to
    // its last; both read before either is written.
    uint8_t* end = at + last - 31;
    const __m256i a = Draw<kPaper>(Load32(at), keepHead);
    const __m256i b = Draw<kPaper>(Load32(end), Load32(tail - 31));
    if (last >= 64) {
        // The empty asm keeps the compiler from making the loop a string
        // store, whose start-up costs more than these rows.
        const __m256i fill = kPaper ? _mm256_set1_epi8(-1) : _mm256_setzero_si256();
        for (int32_t k = 32; k < last - 31; k += 32) {
            Store32(at + k, fill);
            asm("" : "+r"(k));
        }
    }
    Store32(at, a);
    Store32(end, b);
}

// Rows eight at a time: their ends clamped, first bytes, lengths, head masks
// and tail table places worked out in one vector each, then the rows drawn
// one by one from those. A span of up to 32 bytes whose block would run past
// the row's end, a long one, and the last rows of a count not a multiple of
// eight take the plain path.
template <bool kPaper>
__attribute__((target("avx2"))) void Rows32(uint8_t* row, ptrdiff_t stride, const int32_t* x0,
                                            const int32_t* x1, int32_t count, int32_t width,
                                            int32_t rowBytes) {
    const __m256i zero = _mm256_setzero_si256(), seven = _mm256_set1_epi32(7);
    const __m256i right = _mm256_set1_epi32(width - 1);
    alignas(32) int32_t firstByte[8], lastByte[8], keepHead[8], tailAt[8];
    int32_t i = 0;
    for (; i + 8 <= count; i += 8) {
        const __m256i from =
            _mm256_max_epi32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(x0 + i)), zero);
        const __m256i to =
            _mm256_min_epi32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(x1 + i)), right);
        const __m256i first = _mm256_srai_epi32(from, 3);
        _mm256_store_si256(reinterpret_cast<__m256i*>(firstByte), first);
        _mm256_store_si256(reinterpret_cast<__m256i*>(lastByte),
                           _mm256_sub_epi32(_mm256_srai_epi32(to, 3), first));
        _mm256_store_si256(reinterpret_cast<__m256i*>(keepHead),
                           _mm256_and_si256(_mm256_srlv_epi32(_mm256_set1_epi32(0xFF00),
                                                              _mm256_and_si256(from, seven)),
                                            _mm256_set1_epi32(0xFF)));
        _mm256_store_si256(reinterpret_cast<__m256i*>(tailAt),
                           _mm256_add_epi32(_mm256_slli_epi32(_mm256_and_si256(to, seven), 6),
                                            _mm256_set1_epi32(32)));
        auto empty = static_cast<uint32_t>(
            _mm256_movemask_ps(_mm256_castsi256_ps(_mm256_cmpgt_epi32(from, to))));
        for (int32_t k = 0; k < 8; ++k, row -= stride, empty >>= 1) {
            if (empty & 1) continue;
            const int32_t last = lastByte[k];
            if ((last < 32 && firstByte[k] + 32 > rowBytes) || last >= kLongRow) {
                FillRows_Scalar(row, stride, x0 + i + k, x1 + i + k, 1, width, kPaper ? 1 : 0);
                continue;
            }
            DrawRow32<kPaper>(row + firstByte[k], last,
                              _mm256_setr_epi32(keepHead[k], 0, 0, 0, 0, 0, 0, 0),
                              &kTailKeep.bytes[0][0] + tailAt[k]);
        }
    }
    FillRows_Scalar(row, stride, x0 + i, x1 + i, count - i, width, kPaper ? 1 : 0);
}

} // namespace

__attribute__((target("avx2"))) void FillRows_Avx2(uint8_t* first, ptrdiff_t stride,
                                                   const int32_t* x0, const int32_t* x1,
                                                   int32_t count, int32_t width, int32_t colour) {
    const auto rowBytes = static_cast<int32_t>((width + 7) >> 3);
    // The rows of a convex shape are at least as long as the shorter of its
    // first and last: when both are long, all are.
    if (count > 0 && LongRow(x0[0], x1[0], width) && LongRow(x0[count - 1], x1[count - 1], width)) {
        FillRows_Scalar(first, stride, x0, x1, count, width, colour);
        return;
    }
    if (colour != 0) {
        Rows32<true>(first, stride, x0, x1, count, width, rowBytes);
    } else {
        Rows32<false>(first, stride, x0, x1, count, width, rowBytes);
    }
}

#endif
