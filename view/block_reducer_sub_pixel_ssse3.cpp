// The sub-pixel block-row counts 16 bytes a step with SSSE3 byte shuffles.
// This file alone is built with SSSE3 enabled (on every x86 target: the
// vectors are 128-bit), so its code has internal linkage.
#include "base/cpu_features.h"
#include "view/block_reducer_sub_pixel_wide.h"

#if PINDORA_X86 && defined(__SSSE3__)

#include <tmmintrin.h>

#include "view/block_reducer_sub_pixel_lanes.h"

namespace {

struct Lanes16 {
    typedef __m128i R;
    static constexpr size_t kBytes = 16;
    static R Load(const uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const R*>(p)); }
    static void Store(uint8_t* p, R v) { _mm_storeu_si128(reinterpret_cast<R*>(p), v); }
    static R Table(const uint8_t* t) { return Load(t); }
    static R Bytes(int v) { return _mm_set1_epi8(static_cast<char>(v)); }
    static R Words(int v) { return _mm_set1_epi16(static_cast<short>(v)); }
    static R And(R a, R b) { return _mm_and_si128(a, b); }
    static R Add(R a, R b) { return _mm_add_epi8(a, b); }
    static R ShiftWords(R a, int n) { return _mm_srli_epi16(a, n); }
    static R Look(R table, R index) { return _mm_shuffle_epi8(table, index); }
    static R Sub(R a, R b) { return _mm_sub_epi8(a, b); }
    static R Or(R a, R b) { return _mm_or_si128(a, b); }
    static R AddSaturated(R a, R b) { return _mm_adds_epu8(a, b); }
    static R Equal(R a, R b) { return _mm_cmpeq_epi8(a, b); }
    static R AddWords(R a, R b) { return _mm_add_epi16(a, b); }
    static R SubWords(R a, R b) { return _mm_sub_epi16(a, b); }
    static R GreaterWords(R a, R b) { return _mm_cmpgt_epi16(a, b); }
    // Sixteen pixels, each blue, green, red, 0 in memory.
    static void StorePixels(uint8_t* p, R blue, R green, R red) {
        const R zero = _mm_setzero_si128();
        const R bgLow = _mm_unpacklo_epi8(blue, green), bgHigh = _mm_unpackhi_epi8(blue, green);
        const R r0Low = _mm_unpacklo_epi8(red, zero), r0High = _mm_unpackhi_epi8(red, zero);
        Store(p, _mm_unpacklo_epi16(bgLow, r0Low));
        Store(p + 16, _mm_unpackhi_epi16(bgLow, r0Low));
        Store(p + 32, _mm_unpacklo_epi16(bgHigh, r0High));
        Store(p + 48, _mm_unpackhi_epi16(bgHigh, r0High));
    }
};

} // namespace

const SubPixelKernels* SubPixelKernels_Ssse3() {
    return KernelsOf<Lanes16>();
}

#else

const SubPixelKernels* SubPixelKernels_Ssse3() {
    return nullptr;
}

#endif
