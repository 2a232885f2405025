// Whether the wide byte counts may run: built in, and the processor (and the
// system, which must save the wide registers) supports AVX2.
#include <atomic>

#include "base/cpu_features.h"
#include "view/block_reducer_wide.h"

bool WideCountsBuiltIn(); // block_reducer_avx2.cpp

namespace {

std::atomic<bool> wideAllowed{true};

} // namespace

bool WideBlockCountsUsable() {
    static const bool available = WideCountsBuiltIn() && CpuHasAvx2();
    return available && wideAllowed.load(std::memory_order_relaxed);
}

void AllowWideBlockCounts(bool allow) {
    wideAllowed.store(allow, std::memory_order_relaxed);
}
