// Whether the wide byte counts may run: built in, and the processor (and the
// system, which must save the wide registers) supports AVX2.
#include <atomic>

#include "view/block_reducer_wide.h"

bool WideCountsBuiltIn(); // block_reducer_avx2.cpp

namespace {

std::atomic<bool> wideAllowed{true};

bool ProcessorRunsWide() {
#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__))
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
#else
    return false;
#endif
}

} // namespace

bool WideBlockCountsUsable() {
    static const bool available = WideCountsBuiltIn() && ProcessorRunsWide();
    return available && wideAllowed.load(std::memory_order_relaxed);
}

void AllowWideBlockCounts(bool allow) {
    wideAllowed.store(allow, std::memory_order_relaxed);
}
