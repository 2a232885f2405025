// The sub-pixel reducers' block-row work with byte shuffles (SSSE3, 16
// bytes a step, and AVX2, 32), beside the word-at-a-time code in
// block_reducer_sub_pixel.cpp, which is their plain reference.
#pragma once

#include <cstddef>
#include <cstdint>

// Per-byte sums of the B rows from base (stride bytes apart) over the bytes
// [0, n), n the largest multiple of the step not above bytes: each byte's set
// bits in green, each block's last and first S columns in its first byte of
// tails and heads (blocks of 8 with edges of 2, of 16 with edges of 5).
// Returns n.
typedef size_t (*SubPixelCounts)(const uint8_t* base, size_t stride, size_t bytes, uint8_t* green,
                                 uint8_t* tails, uint8_t* heads);

// The pixels of blocks [0, n) of an 8 × 8 block row from those sums, n as
// above: each channel's count looked up in its ramp bytes (red, green, blue;
// counts 0 … 64). tails[-1] and heads[n] must hold the counts beyond the
// blocks. Returns n.
typedef size_t (*SubPixelFinish8)(const uint8_t* green, const uint8_t* tails, const uint8_t* heads,
                                  const uint8_t (&ramp)[3][80], size_t blocks, uint8_t* out);

// The same for a 16 × 16 block row, whose counts (squeezed into 0 … 255)
// index parts: each channel's part of a pixel, the three parts ORed.
// tails[-2] and heads[2 * n] must hold the counts beyond the blocks.
typedef size_t (*SubPixelFinish16)(const uint8_t* green, const uint8_t* tails, const uint8_t* heads,
                                   const uint32_t* const (&parts)[3], size_t blocks, uint8_t* out);

struct SubPixelKernels {
    SubPixelCounts counts8;
    SubPixelCounts counts16;
    SubPixelFinish8 finish8;
    SubPixelFinish16 finish16;
};

// The widest kernels the build has and the processor runs, or none (the
// word-at-a-time code then does everything). Tests may narrow the choice:
// 0 none, 1 up to SSSE3, 2 (the default) up to AVX2.
const SubPixelKernels* BestSubPixelKernels();
void AllowWideSubPixelKernels(int widest);

// The kernels of one instruction set, each built into its own file; none
// where the build leaves the set out. Use only when the processor has it.
const SubPixelKernels* SubPixelKernels_Ssse3();
const SubPixelKernels* SubPixelKernels_Avx2();
