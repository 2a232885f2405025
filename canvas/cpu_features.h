// Instruction-set extensions the pixel loops may use, asked of the processor
// at run time: the program is built for the plain x86 baseline and picks its
// faster loops only where the machine has them.
#pragma once

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define PINDORA_X86 1
#else
#define PINDORA_X86 0
#endif

bool CpuHasSse2();
bool CpuHasAvx2();
