// The sub-pixel block-row counts 32 bytes a step with AVX2 byte shuffles.
// This file alone is built with AVX2 enabled, so its code has internal
// linkage; like every 256-bit kernel it is left out where
// PINDORA_AVX2_KERNELS says so (the 32-bit Windows build).
#include "base/cpu_features.h"
#include "view/block_reducer_sub_pixel_wide.h"

#if PINDORA_AVX2_KERNELS && defined(__AVX2__)

#include <immintrin.h>

#include "view/block_reducer_sub_pixel_lanes.h"

namespace {

struct Lanes32 {
    typedef __m256i R;
    static constexpr size_t kBytes = 32;
    static R Load(const uint8_t* p) { return _mm256_loadu_si256(reinterpret_cast<const R*>(p)); }
    static void Store(uint8_t* p, R v) { _mm256_storeu_si256(reinterpret_cast<R*>(p), v); }
    // A 16-entry table in both 128-bit halves: the shuffle looks up within each.
    static R Table(const uint8_t* t) {
        return _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(t)));
    }
    static R Bytes(int v) { return _mm256_set1_epi8(static_cast<char>(v)); }
    static R Words(int v) { return _mm256_set1_epi16(static_cast<short>(v)); }
    static R And(R a, R b) { return _mm256_and_si256(a, b); }
    static R Add(R a, R b) { return _mm256_add_epi8(a, b); }
    static R ShiftWords(R a, int n) { return _mm256_srli_epi16(a, n); }
    static R Look(R table, R index) { return _mm256_shuffle_epi8(table, index); }
    static R Sub(R a, R b) { return _mm256_sub_epi8(a, b); }
    static R Or(R a, R b) { return _mm256_or_si256(a, b); }
    static R AddSaturated(R a, R b) { return _mm256_adds_epu8(a, b); }
    static R Equal(R a, R b) { return _mm256_cmpeq_epi8(a, b); }
    static R AddWords(R a, R b) { return _mm256_add_epi16(a, b); }
    static R SubWords(R a, R b) { return _mm256_sub_epi16(a, b); }
    static R GreaterWords(R a, R b) { return _mm256_cmpgt_epi16(a, b); }
    // Thirty-two pixels, each blue, green, red, 0 in memory. The unpacks work
    // within each 128-bit half, so the halves' quarters are put back in order.
    static void StorePixels(uint8_t* p, R blue, R green, R red) {
        const R zero = _mm256_setzero_si256();
        const R bgLow = _mm256_unpacklo_epi8(blue, green);
        const R bgHigh = _mm256_unpackhi_epi8(blue, green);
        const R r0Low = _mm256_unpacklo_epi8(red, zero), r0High = _mm256_unpackhi_epi8(red, zero);
        const R p0 = _mm256_unpacklo_epi16(bgLow, r0Low), p1 = _mm256_unpackhi_epi16(bgLow, r0Low);
        const R p2 = _mm256_unpacklo_epi16(bgHigh, r0High);
        const R p3 = _mm256_unpackhi_epi16(bgHigh, r0High);
        Store(p, _mm256_permute2x128_si256(p0, p1, 0x20));
        Store(p + 32, _mm256_permute2x128_si256(p2, p3, 0x20));
        Store(p + 64, _mm256_permute2x128_si256(p0, p1, 0x31));
        Store(p + 96, _mm256_permute2x128_si256(p2, p3, 0x31));
    }
};

} // namespace

const SubPixelKernels* SubPixelKernels_Avx2() {
    return KernelsOf<Lanes32>();
}

#else

const SubPixelKernels* SubPixelKernels_Avx2() {
    return nullptr;
}

#endif
