// The wide step of the quarter turns: four bands of 32 source rows by 256
// source pixels (32 bytes of each row) become, for each source column, the
// four bands' words side by side, 16 bytes of a region row.
#pragma once

#include <cstddef>
#include <cstdint>

// bands[k][q] is the source row whose pixels become bit q of band k's words,
// as fed to the strip turners (canvas/region_turn_strip.h). Bytes byteColumn
// .. byteColumn + 31 of each row are read. For source column c (0 = bit 7 of
// byte byteColumn) the words of bands 0, 1, 2 and 3 are stored in that order
// from first + c × step on.
using TurnQuadFunction = void (*)(const uint8_t* const* const bands[4], ptrdiff_t byteColumn,
                                  uint8_t* first, ptrdiff_t step);

// Sixteen runs of the plain strip turner.
void TurnQuad_Scalar(const uint8_t* const* const bands[4], ptrdiff_t byteColumn, uint8_t* first,
                     ptrdiff_t step);
// Each group of eight rows turned as bit matrices across eight registers
// with shift-and-mask swaps, then the groups' bytes gathered by unpacks into
// a 16-byte store per column: a quarter of the work of the strips' per-bit
// masks. The SSE2 form takes 16 source bytes at a time (off x86 it is the
// SSE2 strip turner's sixteen runs); where no 256-bit kernel is built the
// AVX2 form is the SSE2 one.
void TurnQuad_Sse2(const uint8_t* const* const bands[4], ptrdiff_t byteColumn, uint8_t* first,
                   ptrdiff_t step);
void TurnQuad_Avx2(const uint8_t* const* const bands[4], ptrdiff_t byteColumn, uint8_t* first,
                   ptrdiff_t step);

// The fastest this machine runs.
TurnQuadFunction BestTurnQuad();
