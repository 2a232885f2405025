// A per-thread table of a disc's half chords, rebuilt when the radius or the
// centre's offset from the pixel grid changes.
#include "engine/disc_chords.h"

#include <algorithm>
#include <cmath>

namespace {

// Centres from 1 to 2^22 and radii up to 1024: there a row's distance from
// the centre, cy - (y + 0.5), is exact in double both as the square-root path
// works it out and as fy - (k + 0.5) with fy the centre's fraction and k the
// row's offset from floor(cy), so the table's chords match it bit for bit.
constexpr double kLargestCentre = 4194304.0;
// Wider discs spend little of their time on square roots next to their
// long rows; the limit keeps the table a plain array, with nothing to free
// when a thread ends.
constexpr float kLargestRadius = 1024.0f;
constexpr int32_t kMostRows = 2 * 1024 + 4;

struct ChordTable {
    float r = 0.0f;
    double fy = -1.0;   // no disc yet
    int32_t kFirst = 0; // row offset of w[0] from floor(cy)
    int32_t rows = 0;
    double w[kMostRows];
};

void Rebuild(ChordTable* table, double fy, float r) {
    const double rr = static_cast<double>(r) * r;
    // One row more at each end than the disc's rows, so rounding of the
    // callers' row range can never fall off the table.
    const auto kFirst = static_cast<int32_t>(std::floor(fy - r + 0.5)) - 1;
    const auto kLast = static_cast<int32_t>(std::floor(fy + r - 0.5)) + 1;
    table->rows = std::min(kLast - kFirst + 1, kMostRows);
    for (int32_t k = kFirst; k < kFirst + table->rows; ++k) {
        const double dy = fy - (static_cast<double>(k) + 0.5);
        const double left = rr - dy * dy;
        table->w[k - kFirst] = std::sqrt(left < 0.0 ? 0.0 : left);
    }
    table->r = r;
    table->fy = fy;
    table->kFirst = kFirst;
}

} // namespace

const double* CachedHalfChords(float cy, float r, int32_t first, int32_t last) {
    if (!(cy >= 1.0f && cy < kLargestCentre && r >= 1.0f && r <= kLargestRadius)) return nullptr;
    thread_local ChordTable table;
    const double floorCy = std::floor(static_cast<double>(cy));
    const double fy = static_cast<double>(cy) - floorCy;
    if (table.r != r || table.fy != fy) Rebuild(&table, fy, r);
    const auto base = static_cast<int32_t>(floorCy) + table.kFirst;
    if (first < base || last >= base + table.rows) return nullptr;
    return table.w + (first - base);
}
