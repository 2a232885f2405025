// The band-wide part of the stretch walk's box step.
#include "worker/stretch_boxes.h"

namespace {

// With size >= 256, each next h adds 256 to m and so at most one more size
// to q: two divisions per lane instead of one per entry, which a small band
// (a stroke's dirty update) would notice.
void FillEntryTable(uint32_t size, uint8_t (*table)[16]) {
    for (uint32_t u = 0; u < 8; ++u) {
        uint32_t q = (u << 16) / size, r = (u << 16) % size;
        for (uint32_t h = 0; h < 256; ++h) {
            table[h][u] = static_cast<uint8_t>((q < 56 ? q : 56) + 1);
            table[h][8 + u] = static_cast<uint8_t>(size - r - 1 < 255 ? size - r - 1 : 255);
            r += 256;
            if (r >= size) r -= size, ++q;
        }
    }
}

} // namespace

bool SetUpStretchBoxes(int32_t xPerColumn, int32_t yPerColumn, int32_t W, int32_t H,
                       StretchBoxes* boxes, EntryTables* tables) {
    const uint32_t xSize =
        xPerColumn < 0 ? 0u - static_cast<uint32_t>(xPerColumn) : static_cast<uint32_t>(xPerColumn);
    const uint32_t ySize =
        yPerColumn < 0 ? 0u - static_cast<uint32_t>(yPerColumn) : static_cast<uint32_t>(yPerColumn);
    // Cells entered by column 55 of a stretch: at most (65535 + 56 size) >> 16.
    if (xSize == 0 || ySize == 0 || xSize > 65536 || ySize > 65536 || W < 8) return false;
    const uint32_t lastRow = (65535 + 56 * ySize) >> 16;
    if (((65535 + 56 * xSize) >> 16) > 7 || lastRow > 6) return false;
    if (H <= static_cast<int32_t>(lastRow)) return false;
    boxes->xSize = xSize;
    boxes->ySize = ySize;
    boxes->xDivide = ((uint64_t{1} << 32) + xSize - 1) / xSize;
    boxes->yDivide = ((uint64_t{1} << 32) + ySize - 1) / ySize;
    for (uint32_t u = 0; u < 8; ++u) {
        for (int axis = 0; axis < 2; ++axis) {
            const uint32_t size = axis == 0 ? xSize : ySize;
            const uint32_t whole = (u << 16) / size, rest = (u << 16) % size;
            boxes->steps[8 * axis + u] = static_cast<uint8_t>(whole < 100 ? whole : 100);
            boxes->thresholds[8 * axis + u] = static_cast<uint16_t>(size - rest);
        }
    }
    boxes->tables = nullptr;
    if (xSize >= 256 && ySize >= 256) {
        FillEntryTable(xSize, tables->x);
        FillEntryTable(ySize, tables->y);
        boxes->tables = tables;
    }
    boxes->xFlip = xPerColumn < 0 ? 0xFFFFu : 0u;
    boxes->yFlip = yPerColumn < 0 ? 0xFFFFu : 0u;
    boxes->xFalling = xPerColumn < 0;
    boxes->boxOffset = xPerColumn < 0 ? -7 : 0;
    boxes->lowestCell = xPerColumn < 0 ? 7 : 0;
    boxes->cellRange = static_cast<uint32_t>(W - 8);
    boxes->rows = lastRow + 1;
    boxes->lowestRow = yPerColumn < 0 ? static_cast<int32_t>(lastRow) : 0;
    boxes->rowRange = static_cast<uint32_t>(H - 1) - lastRow;
    return true;
}
