// The per-phase tables of the stretch walk's box step.
#include "worker/stretch_boxes.h"

#include <cstdlib>
#include <cstring>

#include "worker/row_runs.h"

namespace {

// The columns among 0..55 where a stretch at this phase enters a new cell,
// at most `limit` of them; -1 when there are more.
int FindCrossings(const CrossingMasks& masks, uint32_t phase, int limit, uint8_t* at) {
    uint64_t bits = CrossingMaskAt(masks, phase) & ((uint64_t{1} << kStretch) - 1);
    int n = 0;
    for (; bits != 0; bits &= bits - 1) {
        if (n == limit) return -1;
        at[n++] = static_cast<uint8_t>(__builtin_ctzll(bits));
    }
    return n;
}

} // namespace

bool BuildStretchBoxes(const CrossingMasks& xMasks, const CrossingMasks& yMasks, bool falling,
                       int32_t W, StretchBoxes* boxes) {
    boxes->memory = nullptr;
    if (W < 8) return false;
    const size_t xPhases = size_t{xMasks.wrap} + 1, yPhases = size_t{yMasks.wrap} + 1;
    uint8_t* memory = static_cast<uint8_t*>(std::malloc(17 * (xPhases + yPhases)));
    if (memory == nullptr) return false;
    uint8_t* xLanes = memory;
    uint8_t* yRows = xLanes + 16 * xPhases;
    uint8_t* xCount = yRows + 16 * yPhases;
    uint8_t* yCount = xCount + xPhases;
    int most = 7;
    for (uint32_t phase = 0; phase < xPhases; ++phase) {
        // xs_0 = 0, xs_1.. the crossings, 56 for cells the stretch never enters.
        uint8_t xs[9 + 8];
        const int n = FindCrossings(xMasks, phase, 7, xs + 1);
        if (n < 0) {
            std::free(memory);
            return false;
        }
        xs[0] = 0;
        std::memset(xs + 1 + n, kStretch, 8 - static_cast<size_t>(n));
        uint8_t* lanes = xLanes + 16 * size_t{phase};
        for (int m = 0; m < 8; ++m) {
            const int u = falling ? 7 - m : m; // cell u along x sits at byte m
            lanes[m] = xs[u];
            lanes[8 + m] = xs[u + 1];
        }
        xCount[phase] = static_cast<uint8_t>(n);
    }
    for (uint32_t phase = 0; phase < yPhases; ++phase) {
        uint8_t* rows = yRows + 16 * size_t{phase};
        const int n = FindCrossings(yMasks, phase, 14, rows + 1);
        if (n < 0) {
            std::free(memory);
            return false;
        }
        rows[0] = 0;
        std::memset(rows + 1 + n, kStretch, 15 - static_cast<size_t>(n));
        yCount[phase] = static_cast<uint8_t>(n);
        if (n > most) most = n;
    }
    boxes->xLanes = xLanes;
    boxes->yRows = yRows;
    boxes->xCount = xCount;
    boxes->yCount = yCount;
    boxes->boxOffset = falling ? -7 : 0;
    boxes->lowestCell = falling ? 7 : 0;
    boxes->cellRange = static_cast<uint32_t>(W - 8);
    boxes->cellsAcross = most + 1;
    boxes->memory = memory;
    return true;
}

void FreeStretchBoxes(StretchBoxes* boxes) {
    std::free(boxes->memory);
    boxes->memory = nullptr;
}
