// What the processor offers, asked at run time: the program is built for the
// plain x86 baseline, and each kernel that has a faster form names its
// instruction set (…_Sse2, …_Avx2, …_BitScan) beside a plain …_Scalar form
// that gives the same result; the caller picks one with the tests below.
#pragma once

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define PINDORA_X86 1
#else
#define PINDORA_X86 0
#endif

// On Windows the compiler keeps the stack aligned to 16 bytes only, so a
// 32-byte vector spilled with an aligned move could fault: 256-bit kernels
// are built there only where the build has every vector move assembled in
// its unaligned form (64-bit Windows). 128-bit kernels are fine on every x86
// system.
#if PINDORA_X86 && (!defined(_WIN32) || defined(PINDORA_UNALIGNED_VECTOR_MOVES))
#define PINDORA_AVX2_KERNELS 1
#else
#define PINDORA_AVX2_KERNELS 0
#endif

#if PINDORA_X86

inline bool CpuHasSse2() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("sse2");
}

// The byte shuffles (PSHUFB) and the other SSSE3 additions.
inline bool CpuHasSsse3() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("ssse3");
}

// Also false when the system does not save the 256-bit registers.
inline bool CpuHasAvx2() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
}

// The bit-count and bit-scan instructions (POPCNT, BMI1, BMI2).
inline bool CpuHasBitScan() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("popcnt") && __builtin_cpu_supports("bmi") &&
           __builtin_cpu_supports("bmi2");
}

#else

inline bool CpuHasSse2() {
    return false;
}
inline bool CpuHasSsse3() {
    return false;
}
inline bool CpuHasAvx2() {
    return false;
}
inline bool CpuHasBitScan() {
    return false;
}

#endif
