// Span fills of canvas rows: the partial bytes at a span's ends by mask, the
// whole bytes between them by plain or vector stores.
#include "engine/row_fill.h"

#include <algorithm>
#include <cstring>

#include "base/cpu_features.h"

#if PINDORA_X86
#include <immintrin.h>
#endif

namespace {

// The pixels of mask take the value of fill (0x00 or 0xFF), without a branch.
inline void ApplyMask(uint8_t* byte, uint32_t mask, uint32_t fill) {
    *byte = static_cast<uint8_t>((*byte & ~mask) | (fill & mask));
}

// Sixteen bytes of one value in a vector register where the target has one.
using Bytes16 = uint8_t __attribute__((vector_size(16)));

template <typename T> inline void StoreAt(uint8_t* at, T value) {
    std::memcpy(at, &value, sizeof value);
}

// Spans longer than this many bytes go to the library's fill, whose wider
// stores win over its call.
constexpr int32_t kInlineFillBytes = 128;

// n whole bytes of one value: most brush spans are a few dozen bytes, where a
// call and its size dispatch cost more than the stores, so those are stored
// here. The last store of each size may overlap the one before it.
[[gnu::always_inline]] inline void FillBytes(uint8_t* at, int32_t n, uint8_t value) {
    const uint64_t word = value * 0x0101010101010101ull;
    if (n > kInlineFillBytes) {
        std::memset(at, value, static_cast<size_t>(n));
    } else if (n >= 16) {
        const Bytes16 wide = value - Bytes16{};
        for (int32_t i = 0; i < n - 16; i += 16) StoreAt(at + i, wide);
        StoreAt(at + n - 16, wide);
    } else if (n >= 8) {
        StoreAt(at, word);
        StoreAt(at + n - 8, word);
    } else if (n >= 4) {
        StoreAt(at, static_cast<uint32_t>(word));
        StoreAt(at + n - 4, static_cast<uint32_t>(word));
    } else {
        for (int32_t i = 0; i < n; ++i) at[i] = value;
    }
}

// The masks of a span's first and last byte (a row's bytes keep their
// leftmost pixel in the top bit).
inline uint32_t HeadMask(int32_t x0) {
    return 0xFFu >> (x0 & 7);
}
inline uint32_t TailMask(int32_t x1) {
    return (0xFF00u >> (1 + (x1 & 7))) & 0xFFu;
}

[[gnu::always_inline]] inline void FillRowSpanInline(uint8_t* row, int32_t x0, int32_t x1,
                                                     int32_t colour) {
    const uint32_t fill = colour != 0 ? 0xFFu : 0x00u;
    const int32_t firstByte = x0 >> 3, lastByte = x1 >> 3;
    if (firstByte == lastByte) {
        ApplyMask(row + firstByte, HeadMask(x0) & TailMask(x1), fill);
        return;
    }
    ApplyMask(row + firstByte, HeadMask(x0), fill);
    FillBytes(row + firstByte + 1, lastByte - firstByte - 1, static_cast<uint8_t>(fill));
    ApplyMask(row + lastByte, TailMask(x1), fill);
}

} // namespace

void FillRowSpan(uint8_t* row, int32_t x0, int32_t x1, int32_t colour) {
    FillRowSpanInline(row, x0, x1, colour);
}

void FillRows_Scalar(uint8_t* first, ptrdiff_t stride, const int32_t* x0, const int32_t* x1,
                     int32_t count, int32_t width, int32_t colour) {
    uint8_t* row = first;
    for (int32_t i = 0; i < count; ++i, row -= stride) {
        const int32_t from = std::max(x0[i], 0), to = std::min(x1[i], width - 1);
        if (from <= to) FillRowSpanInline(row, from, to, colour);
    }
}

#if PINDORA_X86

namespace {

// The ends of a span of n = W + 1 ... 2W bytes in two blocks of W bytes, the
// first starting at the span's first byte and the second ending at its last
// (they overlap when n < 2W): each read, changed and written back, both reads
// before either write, so an overlap reads the same old bytes twice and
// writes the same new ones twice. keepHead (keepTail) has the bits of the
// first (last) block that stay as they are: those of the span's first (last)
// byte outside the span; all others are drawn. T is an unsigned integer or a
// plain vector of 64-bit lanes.
template <typename T, bool kPaper>
[[gnu::always_inline]] inline void FillByBlocks(uint8_t* at, int32_t n, const T& keepHead,
                                                const T& keepTail) {
    uint8_t* end = at + n - static_cast<int32_t>(sizeof(T));
    T a, b;
    std::memcpy(&a, at, sizeof a);
    std::memcpy(&b, end, sizeof b);
    a = kPaper ? a | static_cast<T>(~keepHead) : a & keepHead;
    b = kPaper ? b | static_cast<T>(~keepTail) : b & keepTail;
    std::memcpy(at, &a, sizeof a);
    std::memcpy(end, &b, sizeof b);
}

using Lanes2 = uint64_t __attribute__((vector_size(16)));
using Lanes4 = uint64_t __attribute__((vector_size(32)));

// The bytes of a span's middle, whole bytes of the fill, at `at`: n is above
// 2W and the end blocks of W bytes cover the rest. Up to 4W two stores
// (overlapping), beyond that the library's fill, whose wider stores then win
// over its call.
template <typename Wide, bool kPaper>
[[gnu::always_inline]] inline void FillMiddle(uint8_t* at, int32_t n) {
    constexpr auto kWide = static_cast<int32_t>(sizeof(Wide));
    if (n <= 4 * kWide) {
        const Wide fill = Wide{} - (kPaper ? 1 : 0);
        std::memcpy(at + kWide, &fill, sizeof fill);
        std::memcpy(at + n - 2 * kWide, &fill, sizeof fill);
    } else {
        std::memset(at + kWide, kPaper ? 0xFF : 0x00, static_cast<size_t>(n - 2 * kWide));
    }
}

// One row's span of n >= 1 bytes from `at`, head and tail the span's pixels
// in its first and last byte: two blocks of the widest size that fits, so a
// span up to twice the widest block costs two stores whatever its length,
// and no byte outside the span is written.
template <typename Wide, bool kPaper>
[[gnu::always_inline]] inline void FillSpanBytes(uint8_t* at, int32_t n, uint32_t head,
                                                 uint32_t tail) {
    constexpr auto kWide = static_cast<int32_t>(sizeof(Wide));
    constexpr int32_t kLast = kWide / 8 - 1;
    const uint64_t keepHead = ~head & 0xFFu, keepTail = ~tail & 0xFFu;
    if (n > 16 && n <= 32 && kWide > 16) {
        FillByBlocks<Lanes2, kPaper>(at, n, Lanes2{keepHead, 0}, Lanes2{0, keepTail << 56});
    } else if (n > 16) {
        Wide first{}, last{};
        first[0] = keepHead;
        last[kLast] = keepTail << 56;
        if (n > 2 * kWide) FillMiddle<Wide, kPaper>(at, n);
        FillByBlocks<Wide, kPaper>(at, n, first, last);
    } else if (n > 8) {
        FillByBlocks<uint64_t, kPaper>(at, n, keepHead, keepTail << 56);
    } else if (n > 4) {
        FillByBlocks<uint32_t, kPaper>(at, n, static_cast<uint32_t>(keepHead),
                                       static_cast<uint32_t>(keepTail << 24));
    } else if (n > 2) {
        FillByBlocks<uint16_t, kPaper>(at, n, static_cast<uint16_t>(keepHead),
                                       static_cast<uint16_t>(keepTail << 8));
    } else if (n == 2) {
        FillByBlocks<uint8_t, kPaper>(at, n, static_cast<uint8_t>(keepHead),
                                      static_cast<uint8_t>(keepTail));
    } else {
        const auto keep = static_cast<uint8_t>(keepHead | keepTail);
        *at = static_cast<uint8_t>(kPaper ? *at | static_cast<uint8_t>(~keep) : *at & keep);
    }
}

template <typename Wide, bool kPaper>
[[gnu::always_inline]] inline void WideRows(uint8_t* row, ptrdiff_t stride, const int32_t* x0,
                                            const int32_t* x1, int32_t count, int32_t width) {
    for (int32_t i = 0; i < count; ++i, row -= stride) {
        const int32_t from = std::max(x0[i], 0), to = std::min(x1[i], width - 1);
        if (from > to) continue;
        FillSpanBytes<Wide, kPaper>(row + (from >> 3), (to >> 3) - (from >> 3) + 1, HeadMask(from),
                                    TailMask(to));
    }
}

} // namespace

__attribute__((target("sse2"))) void FillRows_Sse2(uint8_t* first, ptrdiff_t stride,
                                                   const int32_t* x0, const int32_t* x1,
                                                   int32_t count, int32_t width, int32_t colour) {
    if (colour != 0) {
        WideRows<Lanes2, true>(first, stride, x0, x1, count, width);
    } else {
        WideRows<Lanes2, false>(first, stride, x0, x1, count, width);
    }
}

FillRowsFunction BestFillRows() {
    if (PINDORA_AVX2_KERNELS && CpuHasAvx2()) return FillRows_Avx2;
    return CpuHasSse2() ? FillRows_Sse2 : FillRows_Scalar;
}

#else

void FillRows_Sse2(uint8_t* first, ptrdiff_t stride, const int32_t* x0, const int32_t* x1,
                   int32_t count, int32_t width, int32_t colour) {
    FillRows_Scalar(first, stride, x0, x1, count, width, colour);
}

FillRowsFunction BestFillRows() {
    return FillRows_Scalar;
}

#endif
