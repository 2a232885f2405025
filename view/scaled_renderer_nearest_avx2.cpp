// The nearest-pixel renderer's whole output bytes with AVX2 gathers: the
// eight positions of a byte in one vector, each lane fetching the four
// canvas bytes at its pixel's byte and keeping the pixel's bit.
#include <atomic>

#include "base/cpu_features.h"
#include "view/scaled_renderer_nearest_wide.h"

#if PINDORA_AVX2_KERNELS
#include <immintrin.h>
#endif

namespace {

std::atomic<bool> wideAllowed{true};

} // namespace

#if PINDORA_AVX2_KERNELS

__attribute__((target("avx2"))) int32_t NearestBytes_Avx2(const uint8_t* bottomRow, int32_t stride,
                                                          uint32_t x, uint32_t y, uint32_t dx,
                                                          uint32_t dy, uint8_t* out,
                                                          int32_t bytes) {
    // Lane i holds pixel 7 - i, so the lanes' sign bits, gathered, put the
    // leftmost pixel in the byte's top bit.
    const __m256i steps = _mm256_setr_epi32(7, 6, 5, 4, 3, 2, 1, 0);
    __m256i xs =
        _mm256_add_epi32(_mm256_set1_epi32(static_cast<int32_t>(x)),
                         _mm256_mullo_epi32(steps, _mm256_set1_epi32(static_cast<int32_t>(dx))));
    __m256i ys =
        _mm256_add_epi32(_mm256_set1_epi32(static_cast<int32_t>(y)),
                         _mm256_mullo_epi32(steps, _mm256_set1_epi32(static_cast<int32_t>(dy))));
    const __m256i xStep = _mm256_set1_epi32(static_cast<int32_t>(8 * dx));
    const __m256i yStep = _mm256_set1_epi32(static_cast<int32_t>(8 * dy));
    const __m256i rowBytes = _mm256_set1_epi32(stride);
    const __m256i seven = _mm256_set1_epi32(7), top = _mm256_set1_epi32(24);
    const int* base = reinterpret_cast<const int*>(bottomRow);
    int32_t done = 0;
    for (; done < bytes; ++done, x += 8 * dx, y += 8 * dy) {
        // Positions inside the canvas run one way along a row, so the byte's
        // rows are those of its first and last pixel and between.
        if ((y >> 16) == 0 || ((y + 7 * dy) >> 16) == 0) break;
        const __m256i cx = _mm256_srli_epi32(xs, 16), cy = _mm256_srli_epi32(ys, 16);
        const __m256i at =
            _mm256_sub_epi32(_mm256_srli_epi32(cx, 3), _mm256_mullo_epi32(cy, rowBytes));
        const __m256i four = _mm256_i32gather_epi32(base, at, 1);
        // The pixel's bit is bit 7 - (cx & 7) of the first byte: up to the sign.
        const __m256i up =
            _mm256_sllv_epi32(four, _mm256_add_epi32(_mm256_and_si256(cx, seven), top));
        out[done] = static_cast<uint8_t>(_mm256_movemask_ps(_mm256_castsi256_ps(up)));
        xs = _mm256_add_epi32(xs, xStep);
        ys = _mm256_add_epi32(ys, yStep);
    }
    return done;
}

NearestBytes BestNearestBytes() {
    static const bool available = CpuHasAvx2();
    return available && wideAllowed.load(std::memory_order_relaxed) ? NearestBytes_Avx2 : nullptr;
}

#else

int32_t NearestBytes_Avx2(const uint8_t*, int32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint8_t*,
                          int32_t) {
    return 0;
}

NearestBytes BestNearestBytes() {
    return nullptr;
}

#endif

void AllowWideNearestBytes(bool allow) {
    wideAllowed.store(allow, std::memory_order_relaxed);
}
