// Row spans of discs (half chords by square root) and of polygons (crossings of two
// edges), their ends by the pixel-centre rule.
#include "engine/span_ends.h"

#include <cmath>

#include "base/cpu_features.h"

#if PINDORA_X86
#include <immintrin.h>
#endif

namespace {

// The half chord at the centre of row y; rounding can leave the outermost
// rows a hair outside the circle, hence the floor at zero.
inline double HalfChord(const DiscRows& disc, int32_t y) {
    const float v = static_cast<float>(y) + 0.5f;
    const double dy = disc.cy - v;
    const double left = disc.rr - dy * dy;
    return std::sqrt(left < 0.0 ? 0.0 : left);
}

} // namespace

void DiscSpans_Scalar(const DiscRows& disc, int32_t firstRow, int32_t count, int32_t* x0,
                      int32_t* x1) {
    for (int32_t i = 0; i < count; ++i) {
        const double w = HalfChord(disc, firstRow + i);
        x0[i] = FloorColumn(disc.cx - w + 0.5, disc.width);
        x1[i] = FloorColumn(disc.cx + w - 0.5, disc.width);
    }
}

void ChordSpans_Scalar(double cx, int32_t width, const double* w, int32_t count, int32_t* x0,
                       int32_t* x1) {
    for (int32_t i = 0; i < count; ++i) {
        x0[i] = FloorColumn(cx - w[i] + 0.5, width);
        x1[i] = FloorColumn(cx + w[i] - 0.5, width);
    }
}

void EdgeSpans_Scalar(const EdgeLine& a, const EdgeLine& b, int32_t width, int32_t firstRow,
                      int32_t count, int32_t* x0, int32_t* x1) {
    for (int32_t i = 0; i < count; ++i) {
        const double v = firstRow + i + 0.5;
        const double xa = a.x + a.slope * (v - a.y), xb = b.x + b.slope * (v - b.y);
        x0[i] = FloorColumn((xb < xa ? xb : xa) + 0.5, width);
        x1[i] = FloorColumn((xa < xb ? xb : xa) - 0.5, width);
    }
}

#if PINDORA_X86

namespace {

// FloorColumn of two values: the same clamps (a NaN becomes -1), then
// truncation less one where it rounded up.
__attribute__((target("sse2"), always_inline)) inline __m128i FloorColumns(__m128d x,
                                                                           __m128d width) {
    x = _mm_max_pd(x, _mm_set1_pd(-1.0)); // x unless x <= -1 or NaN
    x = _mm_min_pd(x, width);
    const __m128i truncated = _mm_cvttpd_epi32(x);
    const __m128d roundedUp = _mm_cmplt_pd(x, _mm_cvtepi32_pd(truncated));
    // The mask's low 32 bits of each lane are all ones where it rounded up.
    const __m128i less = _mm_shuffle_epi32(_mm_castpd_si128(roundedUp), _MM_SHUFFLE(3, 1, 2, 0));
    return _mm_add_epi32(truncated, less);
}

} // namespace

__attribute__((target("sse2"))) void DiscSpans_Sse2(const DiscRows& disc, int32_t firstRow,
                                                    int32_t count, int32_t* x0, int32_t* x1) {
    const __m128d cx = _mm_set1_pd(disc.cx), cy = _mm_set1_pd(disc.cy);
    const __m128d rr = _mm_set1_pd(disc.rr), half = _mm_set1_pd(0.5);
    const __m128d width = _mm_set1_pd(static_cast<double>(disc.width));
    int32_t i = 0;
    for (; i + 2 <= count; i += 2) {
        // Row centres in single precision, as the plain form has them.
        const __m128 rows = _mm_cvtepi32_ps(_mm_set_epi32(0, 0, firstRow + i + 1, firstRow + i));
        const __m128d v = _mm_cvtps_pd(_mm_add_ps(rows, _mm_set1_ps(0.5f)));
        const __m128d dy = _mm_sub_pd(cy, v);
        const __m128d left = _mm_sub_pd(rr, _mm_mul_pd(dy, dy));
        const __m128d w = _mm_sqrt_pd(_mm_and_pd(left, _mm_cmpge_pd(left, _mm_setzero_pd())));
        const __m128i a = FloorColumns(_mm_add_pd(_mm_sub_pd(cx, w), half), width);
        const __m128i b = FloorColumns(_mm_sub_pd(_mm_add_pd(cx, w), half), width);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(x0 + i), a);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(x1 + i), b);
    }
    if (i < count) DiscSpans_Scalar(disc, firstRow + i, count - i, x0 + i, x1 + i);
}

__attribute__((target("sse2"))) void ChordSpans_Sse2(double cx, int32_t width, const double* w,
                                                     int32_t count, int32_t* x0, int32_t* x1) {
    const __m128d centre = _mm_set1_pd(cx), half = _mm_set1_pd(0.5);
    const __m128d limit = _mm_set1_pd(static_cast<double>(width));
    int32_t i = 0;
    for (; i + 2 <= count; i += 2) {
        const __m128d chord = _mm_loadu_pd(w + i);
        const __m128i a = FloorColumns(_mm_add_pd(_mm_sub_pd(centre, chord), half), limit);
        const __m128i b = FloorColumns(_mm_sub_pd(_mm_add_pd(centre, chord), half), limit);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(x0 + i), a);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(x1 + i), b);
    }
    if (i < count) ChordSpans_Scalar(cx, width, w + i, count - i, x0 + i, x1 + i);
}

__attribute__((target("sse2"))) void EdgeSpans_Sse2(const EdgeLine& a, const EdgeLine& b,
                                                    int32_t width, int32_t firstRow, int32_t count,
                                                    int32_t* x0, int32_t* x1) {
    const __m128d ax = _mm_set1_pd(a.x), ay = _mm_set1_pd(a.y), as = _mm_set1_pd(a.slope);
    const __m128d bx = _mm_set1_pd(b.x), by = _mm_set1_pd(b.y), bs = _mm_set1_pd(b.slope);
    const __m128d half = _mm_set1_pd(0.5), limit = _mm_set1_pd(static_cast<double>(width));
    int32_t i = 0;
    for (; i + 2 <= count; i += 2) {
        const __m128d v =
            _mm_add_pd(_mm_cvtepi32_pd(_mm_set_epi32(0, 0, firstRow + i + 1, firstRow + i)), half);
        const __m128d xa = _mm_add_pd(ax, _mm_mul_pd(as, _mm_sub_pd(v, ay)));
        const __m128d xb = _mm_add_pd(bx, _mm_mul_pd(bs, _mm_sub_pd(v, by)));
        // min and max as the plain form has them: xa unless xb is below
        // (above), a NaN included.
        const __m128i lo = FloorColumns(_mm_add_pd(_mm_min_pd(xb, xa), half), limit);
        const __m128i hi = FloorColumns(_mm_sub_pd(_mm_max_pd(xb, xa), half), limit);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(x0 + i), lo);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(x1 + i), hi);
    }
    if (i < count) EdgeSpans_Scalar(a, b, width, firstRow + i, count - i, x0 + i, x1 + i);
}

DiscSpansFunction BestDiscSpans() {
    return CpuHasSse2() ? DiscSpans_Sse2 : DiscSpans_Scalar;
}

ChordSpansFunction BestChordSpans() {
#if PINDORA_AVX2_KERNELS
    if (CpuHasAvx2()) return ChordSpans_Avx2;
#endif
    return CpuHasSse2() ? ChordSpans_Sse2 : ChordSpans_Scalar;
}

EdgeSpansFunction BestEdgeSpans() {
#if PINDORA_AVX2_KERNELS
    if (CpuHasAvx2()) return EdgeSpans_Avx2;
#endif
    return CpuHasSse2() ? EdgeSpans_Sse2 : EdgeSpans_Scalar;
}

#else

void DiscSpans_Sse2(const DiscRows& disc, int32_t firstRow, int32_t count, int32_t* x0,
                    int32_t* x1) {
    DiscSpans_Scalar(disc, firstRow, count, x0, x1);
}

void ChordSpans_Sse2(double cx, int32_t width, const double* w, int32_t count, int32_t* x0,
                     int32_t* x1) {
    ChordSpans_Scalar(cx, width, w, count, x0, x1);
}

void EdgeSpans_Sse2(const EdgeLine& a, const EdgeLine& b, int32_t width, int32_t firstRow,
                    int32_t count, int32_t* x0, int32_t* x1) {
    EdgeSpans_Scalar(a, b, width, firstRow, count, x0, x1);
}

DiscSpansFunction BestDiscSpans() {
    return DiscSpans_Scalar;
}

ChordSpansFunction BestChordSpans() {
    return ChordSpans_Scalar;
}

EdgeSpansFunction BestEdgeSpans() {
    return EdgeSpans_Scalar;
}

#endif
