// The row spans of discs and of polygons between two edges, a batch of rows
// at a time: plain forms, and SSE2 (AVX2) forms that work out two (four)
// rows per instruction with the same roundings.
#pragma once

#include <cstdint>

#include "base/cpu_features.h"

// Ends of the spans of `count` consecutive rows from `firstRow` of the disc
// (cx, cy, r) on a canvas `width` pixels wide, by the pixel-centre rule:
// x0[i] = floor(cx - w + 0.5) and x1[i] = floor(cx + w - 0.5) with w the
// half chord at the row's centre, each clamped to -1 ... width.
struct DiscRows {
    double cx, cy, rr; // centre and squared radius
    int32_t width;
};
using DiscSpansFunction = void (*)(const DiscRows& disc, int32_t firstRow, int32_t count,
                                   int32_t* x0, int32_t* x1);

void DiscSpans_Scalar(const DiscRows& disc, int32_t firstRow, int32_t count, int32_t* x0,
                      int32_t* x1);
void DiscSpans_Sse2(const DiscRows& disc, int32_t firstRow, int32_t count, int32_t* x0,
                    int32_t* x1);

// The same ends from half chords already worked out: x0[i] = FloorColumn(cx
// - w[i] + 0.5) and x1[i] = FloorColumn(cx + w[i] - 0.5).
using ChordSpansFunction = void (*)(double cx, int32_t width, const double* w, int32_t count,
                                    int32_t* x0, int32_t* x1);

void ChordSpans_Scalar(double cx, int32_t width, const double* w, int32_t count, int32_t* x0,
                       int32_t* x1);
void ChordSpans_Sse2(double cx, int32_t width, const double* w, int32_t count, int32_t* x0,
                     int32_t* x1);
#if PINDORA_AVX2_KERNELS
void ChordSpans_Avx2(double cx, int32_t width, const double* w, int32_t count, int32_t* x0,
                     int32_t* x1);
#endif

// One polygon edge's crossing of row centre v, x + slope * (v - y); a
// horizontal edge (current only on a row centre) has its far end as x and
// slope 0.
struct EdgeLine {
    double x, y, slope;
};

// Ends of the spans of `count` rows from `firstRow` between two edges that
// stay current over all of them: floor(min + 0.5) and floor(max - 0.5) of
// their crossings, clamped as FloorColumn does.
using EdgeSpansFunction = void (*)(const EdgeLine& a, const EdgeLine& b, int32_t width,
                                   int32_t firstRow, int32_t count, int32_t* x0, int32_t* x1);

void EdgeSpans_Scalar(const EdgeLine& a, const EdgeLine& b, int32_t width, int32_t firstRow,
                      int32_t count, int32_t* x0, int32_t* x1);
void EdgeSpans_Sse2(const EdgeLine& a, const EdgeLine& b, int32_t width, int32_t firstRow,
                    int32_t count, int32_t* x0, int32_t* x1);
#if PINDORA_AVX2_KERNELS
void EdgeSpans_Avx2(const EdgeLine& a, const EdgeLine& b, int32_t width, int32_t firstRow,
                    int32_t count, int32_t* x0, int32_t* x1);
#endif

// The fastest forms this machine runs.
DiscSpansFunction BestDiscSpans();
ChordSpansFunction BestChordSpans();
EdgeSpansFunction BestEdgeSpans();

// floor(x) as a span end, clamped to -1 ... width (both outside the canvas)
// while still floating point so far-away coordinates never overflow the
// conversion. The argument order of max sends NaN to -1.
inline int32_t FloorColumn(double x, int32_t width) {
    x = x > -1.0 ? x : -1.0;
    x = x < width ? x : static_cast<double>(width);
    // On this range floor is truncation, less one where truncation rounded
    // up (x in (-1, 0)): exact, with no branch and no SSE4.1 rounding.
    const int32_t truncated = static_cast<int32_t>(x);
    return truncated - (x < static_cast<double>(truncated) ? 1 : 0);
}
