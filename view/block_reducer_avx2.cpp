// The wide byte-count loop. This file alone is built with AVX2 code enabled,
// so everything else in it has internal linkage: no inline function compiled
// here can stand in for the portable copy elsewhere, and the processor check
// lives in a file built without AVX2. Like every 256-bit kernel it is left
// out where PINDORA_AVX2_KERNELS says so (the 32-bit Windows build).
#include <cstring>

#include "base/cpu_features.h"
#include "view/block_reducer_wide.h"

#if PINDORA_AVX2_KERNELS && defined(__AVX2__)

namespace {

typedef uint32_t Wide __attribute__((vector_size(32)));

Wide LoadWide(const void* p) {
    Wide v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

void StoreWide(void* p, Wide v) {
    std::memcpy(p, &v, sizeof v);
}

// The same steps as the narrow counts: adjacent bits, pairs, then nibbles.
Wide NibbleCounts_Avx2(Wide x) {
    x = x - ((x >> 1) & 0x55555555u);
    return (x & 0x33333333u) + ((x >> 2) & 0x33333333u);
}

} // namespace

int32_t AddByteCounts_Avx2(const uint8_t* row, int32_t step, int32_t words, uint32_t* sums,
                           uint32_t* nibbles) {
    int32_t w = 0;
    for (; w + 8 <= words; w += 8) {
        Wide n = NibbleCounts_Avx2(LoadWide(row + 4 * static_cast<size_t>(w)));
        if (step == 0) {
            StoreWide(nibbles + w, n);
        } else if (step == 1) {
            StoreWide(nibbles + w, LoadWide(nibbles + w) + n);
        } else {
            if (step == 2) n += LoadWide(nibbles + w);
            Wide bytes = (n & 0x0F0F0F0Fu) + ((n >> 4) & 0x0F0F0F0Fu);
            StoreWide(sums + w, LoadWide(sums + w) + bytes);
        }
    }
    return w;
}

bool WideCountsBuiltIn() {
    return true;
}

#else

int32_t AddByteCounts_Avx2(const uint8_t*, int32_t, int32_t, uint32_t*, uint32_t*) {
    return 0;
}

bool WideCountsBuiltIn() {
    return false;
}

#endif
