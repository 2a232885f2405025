// How far from its own edges a band's rows can share output cells with the
// rows of a neighbouring band: only those rows need atomic adds.
#pragma once

#include <cstdint>

// Returned when every row has to be treated as shared (degenerate steps).
constexpr int64_t kEveryRowShared = INT64_MAX;

// Rows i of a band with i < rowBegin + margin or i >= rowEnd - margin may add
// into cells that rows outside the band also reach; the others cannot.
int64_t SeamMargin(int32_t xPerRow, int32_t yPerRow, int32_t xPerColumn, int32_t yPerColumn);

// The same for rows that add into cells up to `cells` - 1 cells away from
// those their pixels fall in, along either axis.
int64_t SeamMarginAcross(int32_t cells, int32_t xPerRow, int32_t yPerRow, int32_t xPerColumn,
                         int32_t yPerColumn);
