// How many rows beside a band seam two workers may both add to.
#include "worker/seam_margin.h"

#include <cmath>

// Why the margin is safe. With R = (xPerRow, yPerRow) and C = (xPerColumn,
// yPerColumn), canvas pixel (i, j) lands at O + i R + j C, up to less than one
// 16.16 unit from truncating the row start. Two pixels that share a cell differ
// by at most 65535 units on each axis, so the exact difference
// di R + dj C is shorter than 65537 * sqrt(2). That vector is at least as long
// as the distance from di R to the line through C, which is
// |di| * |det(R, C)| / |C|. Hence rows that meet in one cell satisfy
//     |di| < 65537 * sqrt(2) * |C| / |det(R, C)|,
// about z * sqrt(2) rows for a rotation at scale z. A row further than that
// from both band edges shares no cell with any row outside the band. Two rows
// of slack cover rounding in the double arithmetic. The argument assumes the
// 16.16 positions of the band do not overflow, which holds for any output a
// renderer can allocate. Cells n apart along each axis make it n * 65536.
int64_t SeamMargin(int32_t xPerRow, int32_t yPerRow, int32_t xPerColumn, int32_t yPerColumn) {
    return SeamMarginAcross(1, xPerRow, yPerRow, xPerColumn, yPerColumn);
}

int64_t SeamMarginAcross(int32_t cells, int32_t xPerRow, int32_t yPerRow, int32_t xPerColumn,
                         int32_t yPerColumn) {
    int64_t p = static_cast<int64_t>(xPerRow) * yPerColumn;
    int64_t q = static_cast<int64_t>(yPerRow) * xPerColumn;
    int64_t det = 0;
    double magnitude = 0;
    if (__builtin_sub_overflow(p, q, &det)) {
        magnitude = 9.3e18; // |p - q| is at least 2^63
    } else {
        if (det == 0) return kEveryRowShared;
        magnitude = std::fabs(static_cast<double>(det));
    }
    double reach = cells * 65537.0 * std::sqrt(2.0) *
                   std::hypot(static_cast<double>(xPerColumn), static_cast<double>(yPerColumn)) /
                   magnitude;
    if (!(reach < 1e12)) return kEveryRowShared;
    return static_cast<int64_t>(reach) + 2;
}
