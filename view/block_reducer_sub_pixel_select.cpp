// Which sub-pixel kernels may run: the widest the build has and the
// processor (and the system, which must save the wide registers) supports.
#include <atomic>

#include "base/cpu_features.h"
#include "view/block_reducer_sub_pixel_wide.h"

bool SubPixelSsse3BuiltIn(); // block_reducer_sub_pixel_ssse3.cpp
bool SubPixelAvx2BuiltIn();  // block_reducer_sub_pixel_avx2.cpp

namespace {

std::atomic<int> widestAllowed{2};

const SubPixelKernels kSsse3{SubPixelCounts8_Ssse3, SubPixelCounts16_Ssse3,
                             FinishSubPixelRow8_Ssse3, FinishSubPixelRow16_Ssse3};
const SubPixelKernels kAvx2{SubPixelCounts8_Avx2, SubPixelCounts16_Avx2, FinishSubPixelRow8_Avx2,
                            FinishSubPixelRow16_Avx2};

} // namespace

const SubPixelKernels* BestSubPixelKernels() {
    static const bool avx2 = SubPixelAvx2BuiltIn() && CpuHasAvx2();
    static const bool ssse3 = SubPixelSsse3BuiltIn() && CpuHasSsse3();
    const int widest = widestAllowed.load(std::memory_order_relaxed);
    if (avx2 && widest >= 2) return &kAvx2;
    return ssse3 && widest >= 1 ? &kSsse3 : nullptr;
}

void AllowWideSubPixelKernels(int widest) {
    widestAllowed.store(widest, std::memory_order_relaxed);
}
