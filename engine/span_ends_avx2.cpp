// The row spans of discs and polygons four rows per instruction (AVX2), with
// the same roundings as the plain forms in span_ends.cpp.
#include "base/cpu_features.h"
#include "engine/span_ends.h"

#if PINDORA_AVX2_KERNELS

#include <immintrin.h>

namespace {

// FloorColumn of four values: the same clamps (a NaN becomes -1: max gives
// its second operand then), and floor is exact on that range.
__attribute__((target("avx2"), always_inline)) inline __m128i FloorColumns4(__m256d x,
                                                                            __m256d width) {
    x = _mm256_min_pd(_mm256_max_pd(x, _mm256_set1_pd(-1.0)), width);
    return _mm256_cvttpd_epi32(_mm256_round_pd(x, _MM_FROUND_TO_NEG_INF | _MM_FROUND_NO_EXC));
}

inline void Store4(int32_t* at, __m128i v) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(at), v);
}

} // namespace

__attribute__((target("avx2"))) void ChordSpans_Avx2(double cx, int32_t width, const double* w,
                                                     int32_t count, int32_t* x0, int32_t* x1) {
    const __m256d centre = _mm256_set1_pd(cx), half = _mm256_set1_pd(0.5);
    const __m256d limit = _mm256_set1_pd(static_cast<double>(width));
    int32_t i = 0;
    for (; i + 4 <= count; i += 4) {
        const __m256d chord = _mm256_loadu_pd(w + i);
        Store4(x0 + i, FloorColumns4(_mm256_add_pd(_mm256_sub_pd(centre, chord), half), limit));
        Store4(x1 + i, FloorColumns4(_mm256_sub_pd(_mm256_add_pd(centre, chord), half), limit));
    }
    if (i < count) ChordSpans_Sse2(cx, width, w + i, count - i, x0 + i, x1 + i);
}

__attribute__((target("avx2"))) void EdgeSpans_Avx2(const EdgeLine& a, const EdgeLine& b,
                                                    int32_t width, int32_t firstRow, int32_t count,
                                                    int32_t* x0, int32_t* x1) {
    const __m256d ax = _mm256_set1_pd(a.x), ay = _mm256_set1_pd(a.y);
    const __m256d as = _mm256_set1_pd(a.slope);
    const __m256d bx = _mm256_set1_pd(b.x), by = _mm256_set1_pd(b.y);
    const __m256d bs = _mm256_set1_pd(b.slope);
    const __m256d half = _mm256_set1_pd(0.5);
    const __m256d limit = _mm256_set1_pd(static_cast<double>(width));
    const __m256d steps = _mm256_setr_pd(0.5, 1.5, 2.5, 3.5);
    int32_t i = 0;
    for (; i + 4 <= count; i += 4) {
        // Row centres firstRow + i + k + 0.5, exact in double as the plain
        // form has them.
        const __m256d v = _mm256_add_pd(_mm256_set1_pd(static_cast<double>(firstRow + i)), steps);
        const __m256d xa = _mm256_add_pd(ax, _mm256_mul_pd(as, _mm256_sub_pd(v, ay)));
        const __m256d xb = _mm256_add_pd(bx, _mm256_mul_pd(bs, _mm256_sub_pd(v, by)));
        // min and max as the plain form has them: xa unless xb is below
        // (above), a NaN included.
        Store4(x0 + i, FloorColumns4(_mm256_add_pd(_mm256_min_pd(xb, xa), half), limit));
        Store4(x1 + i, FloorColumns4(_mm256_sub_pd(_mm256_max_pd(xb, xa), half), limit));
    }
    if (i < count) EdgeSpans_Sse2(a, b, width, firstRow + i, count - i, x0 + i, x1 + i);
}

#endif
