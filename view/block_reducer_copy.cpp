// At 1:1 and zoomed in the region is shown as it is: a 1-bit bitmap with the
// region's size and colours (the paint step magnifies it).
#include <cstring>

#include "view/block_reducer_bits.h"
#include "view/block_reducer_list.h"

DibSurface* CopyRegionBits(const CanvasRegion* region) {
    RegionRows rows;
    if (!ReadRegionRows(region, &rows)) return nullptr;
    DibSurface* out = CreateDibSurface(1, region->palette, 2, rows.width, rows.height);
    if (!out) return nullptr;
    // Same width and bit count, so the same row padding: one block copy.
    std::memcpy(out->bits, rows.bits, rows.stride * static_cast<size_t>(rows.height));
    return out;
}
