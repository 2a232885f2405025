// Span fills of canvas rows, the plain form: the partial bytes at a span's
// ends by mask, the whole bytes between them by inline stores or the
// library's fill.
#include "engine/row_fill.h"

#include <algorithm>
#include <cstring>

#include "base/cpu_features.h"

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

FillRowsFunction BestFillRows() {
#if PINDORA_AVX2_KERNELS
    if (CpuHasAvx2()) return FillRows_Avx2;
#endif
    return FillRows_Scalar;
}
