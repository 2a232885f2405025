// The rows of a filled shape stored into the 1-bit canvas bits, one span per
// row: a plain form and an AVX2 form with the same result.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/cpu_features.h"

// Pixels x0 to x1 of one stored row, both already within the row's width.
// colour 0 clears bits (ink), any other value sets them (paper).
void FillRowSpan(uint8_t* row, int32_t x0, int32_t x1, int32_t colour);

// Rows first, first - stride, ... (canvas rows going down, as they are
// stored bottom-up): row i from pixel x0[i] to x1[i], ends as FloorColumn
// gives them (-1 ... width) and clamped to the row here; a row whose span is
// empty after that is left alone.
using FillRowsFunction = void (*)(uint8_t* first, ptrdiff_t stride, const int32_t* x0,
                                  const int32_t* x1, int32_t count, int32_t width, int32_t colour);

// FillRowSpan row by row.
void FillRows_Scalar(uint8_t* first, ptrdiff_t stride, const int32_t* x0, const int32_t* x1,
                     int32_t count, int32_t width, int32_t colour);
// Each span as one or two 32-byte blocks, each read, changed and written
// back, so a span of up to 64 bytes costs two stores whatever its length and
// no call. Not in the 32-bit Windows build (see cpu_features.h).
#if PINDORA_AVX2_KERNELS
void FillRows_Avx2(uint8_t* first, ptrdiff_t stride, const int32_t* x0, const int32_t* x1,
                   int32_t count, int32_t width, int32_t colour);
#endif

// The fastest form this machine runs.
FillRowsFunction BestFillRows();
