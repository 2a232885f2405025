// Which sub-pixel kernels may run: the widest the build has and the
// processor (and the system, which must save the wide registers) supports.
#include <atomic>

#include "base/cpu_features.h"
#include "view/block_reducer_sub_pixel_wide.h"

namespace {

std::atomic<int> widestAllowed{2};

} // namespace

const SubPixelKernels* BestSubPixelKernels() {
    static const SubPixelKernels* avx2 = CpuHasAvx2() ? SubPixelKernels_Avx2() : nullptr;
    static const SubPixelKernels* ssse3 = CpuHasSsse3() ? SubPixelKernels_Ssse3() : nullptr;
    const int widest = widestAllowed.load(std::memory_order_relaxed);
    if (avx2 && widest >= 2) return avx2;
    return widest >= 1 ? ssse3 : nullptr;
}

void AllowWideSubPixelKernels(int widest) {
    widestAllowed.store(widest, std::memory_order_relaxed);
}
