// Byte-count sums with 32-byte vectors (AVX2), used by the 16 × 16 and 8 × 8
// plain reducers when the processor has them.
#pragma once

#include <cstddef>
#include <cstdint>

// One row of a block row's byte-count sums, eight words at a time; step as in
// the plain reducers (0 starts the gathered nibble counts, 1 adds to them, 2
// adds them and the row into sums, 3 adds the row alone into sums). Returns
// the number of words done (0 where the wide code is not built in). Call only
// when WideBlockCountsUsable() says so.
int32_t AddByteCounts_Avx2(const uint8_t* row, int32_t step, int32_t words, uint32_t* sums,
                           uint32_t* nibbles);

// True where the wide code is built in, the processor runs it, and it has
// not been switched off.
bool WideBlockCountsUsable();

// Lets tests run the narrow path on machines that have the wide one.
void AllowWideBlockCounts(bool allow);
