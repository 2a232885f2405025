// Rectangle copy between two surfaces of the same pixel format, used for the
// view bitmaps instead of a GDI blit so that the same code runs everywhere
// and no device context is touched from the refresh thread.
#pragma once

#include "canvas/dib_surface.h"

// Copies the width x height block at (sx, sy) of `source` to (tx, ty) of
// `target`; coordinates count rows from the top. The block is clipped to both
// surfaces, so parts outside either are skipped. Bit counts 1, 4, 8 and 32
// (sub-byte pixels at any bit offset). Returns 0, or 1 when nothing could be
// copied (no surface, different bit counts or nothing left after clipping).
int32_t BlitSurface(DibSurface* target, int32_t tx, int32_t ty, const DibSurface* source,
                    int32_t sx, int32_t sy, int32_t width, int32_t height);

// Copies `count` bits, most significant bit of each byte first, from bit
// `from` of `source` to bit `to` of `target`; the other bits of the touched
// target bytes keep their values.
void CopyBitSpan(uint8_t* target, int64_t to, const uint8_t* source, int64_t from, int64_t count);
