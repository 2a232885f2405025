// The block reducers of the zoom levels, as SelectBlockReducer hands them out.
// Each takes an extracted region (read, not released) and returns a new
// display bitmap owned by the caller, or none.
#pragma once

#include "view/view_state.h"

// B × B blocks to 8-bit palette indices (the set-pixel count), with the
// reducer's colour ramp as colour table.
DibSurface* ReduceBlocks16(const CanvasRegion* region);
DibSurface* ReduceBlocks8(const CanvasRegion* region);
DibSurface* ReduceBlocks4(const CanvasRegion* region);
DibSurface* ReduceBlocks2(const CanvasRegion* region);

// B × B blocks to 32-bit colours, red and blue counted over windows shifted
// left and right of the block.
DibSurface* ReduceSubPixel16(const CanvasRegion* region);
DibSurface* ReduceSubPixel8(const CanvasRegion* region);
DibSurface* ReduceSubPixel4(const CanvasRegion* region);

// 1:1 and zoomed in: the region's pixels in a new 1-bit bitmap.
DibSurface* CopyRegionBits(const CanvasRegion* region);
