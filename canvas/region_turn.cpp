// Angles 90 and 270: source columns become region rows. The work is done in
// strips of 32 source rows × 64 source columns and in tiles of strips, so the
// source lines a tile reads and the region lines it writes stay in cache.
#include <algorithm>
#include <cstring>

#include "canvas/region_job.h"
#include "canvas/region_turn_strip.h"

namespace {

// Source bytes per row in one tile: 512 region rows, one 64-byte line of
// each source row.
constexpr int32_t kTileBytes = 64;

// The 32 rows of band b in the order the strip turner takes them: fed[q]
// supplies bit q of each stored word. A region byte holds 8 pixels with the
// leftmost in bit 7, so in ascending order (angle 90, dx = sy) byte g of the
// word takes rows 8g+7 .. 8g in bits 0..7; descending (270, dx = h-1-sy) the
// word's pixels run from row 31 down to row 0. Rows below the canvas repeat
// its last row.
void ArrangeBandRows(const RegionJob& job, int32_t band, bool descending, const uint8_t* fed[32]) {
    for (int32_t q = 0; q < 32; ++q) {
        int32_t group = q / 8, bit = q % 8;
        int32_t k = descending ? 24 - 8 * group + bit : 8 * group + 7 - bit;
        int32_t y = std::min(job.top + 32 * band + k, job.y1 - 1);
        fed[q] = CanvasRow(job.image, y);
    }
}

// The last strip of a row, fewer than 8 canvas bytes wide: turned from a
// padded copy so the turner never reads past the canvas row.
void TurnShortStrip(const uint8_t* const fed[32], int32_t byteColumn, int32_t bytes, uint8_t* first,
                    ptrdiff_t step) {
    uint8_t padded[32][8] = {};
    const uint8_t* paddedFed[32];
    for (int32_t q = 0; q < 32; ++q) {
        std::memcpy(padded[q], fed[q] + byteColumn, static_cast<size_t>(bytes));
        paddedFed[q] = padded[q];
    }
    uint32_t words[64];
    TurnStrip(paddedFed, 0, reinterpret_cast<uint8_t*>(words), 4);
    for (int32_t column = 0; column < 8 * bytes; ++column) {
        std::memcpy(first + column * step, &words[column], 4);
    }
}

} // namespace

void TurnRegion(const RegionJob& job) {
    const int32_t w = job.width;
    const ptrdiff_t rowBytes = job.height / 8;
    const int32_t bands = job.height / 32;
    const bool descending = job.angle == 270;
    // Stored (bottom-up) region row of source column sx: dy = w-1-sx gives sx
    // (angle 90 unmirrored, 270 mirrored), dy = sx gives w-1-sx.
    const bool ascending = job.mirror == descending;
    auto regionRow = [&](int32_t sx) {
        int32_t stored = ascending ? sx : w - 1 - sx;
        return job.target + static_cast<ptrdiff_t>(stored) * rowBytes;
    };
    const ptrdiff_t step = ascending ? rowBytes : -rowBytes;

    const int32_t firstBand = (job.y0 - job.top) / 32;
    const int32_t firstByte = job.x0 / 8;
    const int32_t endByte = (job.x1 + 7) / 8;
    const uint8_t* fed[32];
    for (int32_t tile = firstByte; tile < endByte; tile += kTileBytes) {
        const int32_t tileEnd = std::min(endByte, tile + kTileBytes);
        for (int32_t band = firstBand; band < bands; ++band) {
            ArrangeBandRows(job, band, descending, fed);
            const int32_t word = descending ? bands - 1 - band : band;
            for (int32_t byte = tile; byte < tileEnd; byte += 8) {
                uint8_t* first = regionRow(8 * byte - job.left) + 4 * word;
                if (tileEnd - byte >= 8) {
                    TurnStrip(fed, byte, first, step);
                } else {
                    TurnShortStrip(fed, byte, tileEnd - byte, first, step);
                }
            }
        }
    }

    // Bands above the canvas: paper.
    const int32_t firstSx = job.x0 - job.left;
    const int32_t endSx = job.x1 - job.left;
    if (firstBand > 0) {
        const ptrdiff_t aboveAt = descending ? rowBytes - 4 * firstBand : 0;
        for (int32_t sx = firstSx; sx < endSx; ++sx) {
            std::memset(regionRow(sx) + aboveAt, kPaperByte, static_cast<size_t>(4 * firstBand));
        }
    }
    // Columns left of the canvas: paper; right of it: copies of the last column.
    for (int32_t sx = 0; sx < firstSx; ++sx) {
        std::memset(regionRow(sx), kPaperByte, static_cast<size_t>(rowBytes));
    }
    const uint8_t* lastColumn = regionRow(endSx - 1);
    for (int32_t sx = endSx; sx < w; ++sx) {
        std::memcpy(regionRow(sx), lastColumn, static_cast<size_t>(rowBytes));
    }
}
