// Left-right flip of a run of 1-bit pixel bytes: source byte k is stored at
// end[-1 - k] with its bits reversed.
#pragma once

#include <cstdint>

using FlipRowBytesFunction = void (*)(const uint8_t* source, uint8_t* end, int32_t count);

// Whole 32-bit words reversed with mask steps (two at a time as 64-bit
// values), the remaining bytes one by one.
void FlipRowBytes_Scalar(const uint8_t* source, uint8_t* end, int32_t count);

// 32 bytes at a time with byte shuffles; the rest as above.
void FlipRowBytes_Avx2(const uint8_t* source, uint8_t* end, int32_t count);

// The fastest this machine runs.
FlipRowBytesFunction BestFlipRowBytes();
