// The inner step of the quarter turns: a strip of 32 source rows by 64
// source pixels (8 bytes of each row) becomes 64 region words, one per source
// column, each holding that column's 32 pixels.
#pragma once

#include <cstddef>
#include <cstdint>

// fed[q] is the source row whose pixels become bit q of every output word
// (bit q of the word as stored, little-endian), so the caller settles the
// order of the rows in a word by the order it passes them in. Bytes
// byteColumn .. byteColumn + 7 of each row are read. The word of source
// column c (0 = bit 7 of the first byte) is stored at first + c × step.
using TurnStripFunction = void (*)(const uint8_t* const fed[32], ptrdiff_t byteColumn,
                                   uint8_t* first, ptrdiff_t step);

// Plain 64-bit code: the 32 bytes of one byte column as four 64-bit values,
// the top bits of their bytes gathered by a multiply.
void TurnStrip_Scalar(const uint8_t* const fed[32], ptrdiff_t byteColumn, uint8_t* first,
                      ptrdiff_t step);

// An unpack transpose of the strip's bytes, so each source byte column sits
// in one register, then one byte-wise top-bit mask per column and 16 rows
// (SSE2) or per column and all 32 rows (AVX2). Only for machines that have
// them (see BestTurnStrip); elsewhere they are the portable code.
void TurnStrip_Sse2(const uint8_t* const fed[32], ptrdiff_t byteColumn, uint8_t* first,
                    ptrdiff_t step);
void TurnStrip_Avx2(const uint8_t* const fed[32], ptrdiff_t byteColumn, uint8_t* first,
                    ptrdiff_t step);

// A strip down several bands in one call: fed[b] feeds band b, whose words
// are stored from first + b × wordStep on (wordStep ±4 for neighbouring
// bands' words in a region row). The same kernels, their loop inside.
using TurnBandsFunction = void (*)(const uint8_t* const (*fed)[32], int32_t bands,
                                   ptrdiff_t byteColumn, uint8_t* first, ptrdiff_t wordStep,
                                   ptrdiff_t step);
void TurnBands_Scalar(const uint8_t* const (*fed)[32], int32_t bands, ptrdiff_t byteColumn,
                      uint8_t* first, ptrdiff_t wordStep, ptrdiff_t step);
void TurnBands_Sse2(const uint8_t* const (*fed)[32], int32_t bands, ptrdiff_t byteColumn,
                    uint8_t* first, ptrdiff_t wordStep, ptrdiff_t step);
void TurnBands_Avx2(const uint8_t* const (*fed)[32], int32_t bands, ptrdiff_t byteColumn,
                    uint8_t* first, ptrdiff_t wordStep, ptrdiff_t step);

// The fastest this machine runs.
TurnStripFunction BestTurnStrip();
TurnBandsFunction BestTurnBands();
