// What the processor offers, asked once, for the kernels that choose an instruction set.
#include "canvas/cpu_features.h"

#if PINDORA_X86

bool CpuHasSse2() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("sse2");
}

// Also false when the system does not save the 256-bit registers.
bool CpuHasAvx2() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
}

#else

bool CpuHasSse2() {
    return false;
}
bool CpuHasAvx2() {
    return false;
}

#endif
