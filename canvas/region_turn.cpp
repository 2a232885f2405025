// Angles 90 and 270: source columns become region rows. Work goes in
// tiles of kTileBytes source bytes across (8 × kTileBytes region rows) by a
// group of bands down. A tile is turned into a buffer small enough to stay in
// cache, then each of its region-row pieces is copied out in one stream that
// bypasses the cache: the scattered word stores of the turn hit the
// first-level cache, each source line is fetched once and used whole, and
// region lines are written without being read first.
#include <algorithm>
#include <cstring>

#include "canvas/region_job.h"
#include "canvas/region_turn_strip.h"
#include "canvas/stream_copy.h"

namespace {

// 512 region rows per tile: each source line read is used whole before the
// walk moves on.
constexpr int32_t kTileBytes = 64;
// Bands turned strip by strip before the next: 16 bands fill a cache line
// of each buffer row.
constexpr int32_t kChunkBands = 16;

// Which band row feeds bit q of each stored word. A region byte holds 8
// pixels with the leftmost in bit 7, so in ascending order (angle 90,
// dx = sy) byte g of the word takes rows 8g+7 .. 8g in bits 0..7; descending
// (270, dx = h-1-sy) the word's pixels run from row 31 down to row 0.
int32_t FedRow(int32_t q, bool descending) {
    int32_t group = q / 8, bit = q % 8;
    return descending ? 24 - 8 * group + bit : 8 * group + 7 - bit;
}

// The last strip of a row, fewer than 8 canvas bytes wide: turned from a
// padded copy so the turner never reads past the canvas row.
void TurnShortStrip(TurnStripFunction turn, const uint8_t* const fed[32], int32_t byteColumn,
                    int32_t bytes, uint8_t* first, ptrdiff_t step) {
    uint8_t padded[32][8] = {};
    const uint8_t* paddedFed[32];
    for (int32_t q = 0; q < 32; ++q) {
        std::memcpy(padded[q], fed[q] + byteColumn, static_cast<size_t>(bytes));
        paddedFed[q] = padded[q];
    }
    uint32_t words[64];
    turn(paddedFed, 0, reinterpret_cast<uint8_t*>(words), 4);
    for (int32_t column = 0; column < 8 * bytes; ++column) {
        std::memcpy(first + column * step, &words[column], 4);
    }
}

// Where the turned rows go: the stored (bottom-up) region row of source
// column sx is sx itself (angle 90 unmirrored, 270 mirrored) or w-1-sx.
struct TurnedRows {
    uint8_t* target;
    int32_t width;
    ptrdiff_t rowBytes;
    bool ascending;
    uint8_t* Row(int32_t sx) const {
        const int32_t stored = ascending ? sx : width - 1 - sx;
        return target + static_cast<ptrdiff_t>(stored) * rowBytes;
    }
};

// The source rows of each band of a chunk, in fed order. Bands from
// firstCutBand down reach below the canvas and repeat its last row.
void FeedChunk(const RegionJob& job, int32_t chunk, int32_t chunkEnd, int32_t firstCutBand,
               bool descending, const ptrdiff_t fedOffset[32],
               const uint8_t* chunkFed[kChunkBands][32]) {
    for (int32_t band = chunk; band < chunkEnd; ++band) {
        const uint8_t** fed = chunkFed[band - chunk];
        const uint8_t* first = CanvasRow(job.image, std::min(job.top + 32 * band, job.y1 - 1));
        if (band < firstCutBand) {
            for (int32_t q = 0; q < 32; ++q) fed[q] = first + fedOffset[q];
            continue;
        }
        for (int32_t q = 0; q < 32; ++q) {
            const int32_t y = std::min(job.top + 32 * band + FedRow(q, descending), job.y1 - 1);
            fed[q] = CanvasRow(job.image, y);
        }
    }
}

// The region's parts off the canvas: bands above it and columns left of it
// are paper, columns right of it copy its last column.
void FillOffCanvas(const RegionJob& job, const TurnedRows& rows, int32_t firstBand,
                   bool descending) {
    const int32_t firstSx = job.x0 - job.left;
    const int32_t endSx = job.x1 - job.left;
    if (firstBand > 0) {
        const ptrdiff_t aboveAt = descending ? rows.rowBytes - 4 * firstBand : 0;
        for (int32_t sx = firstSx; sx < endSx; ++sx)
            std::memset(rows.Row(sx) + aboveAt, kPaperByte, static_cast<size_t>(4 * firstBand));
    }
    for (int32_t sx = 0; sx < firstSx; ++sx)
        std::memset(rows.Row(sx), kPaperByte, static_cast<size_t>(rows.rowBytes));
    const uint8_t* lastColumn = rows.Row(endSx - 1);
    for (int32_t sx = endSx; sx < rows.width; ++sx)
        std::memcpy(rows.Row(sx), lastColumn, static_cast<size_t>(rows.rowBytes));
}

} // namespace

void TurnRegion(const RegionJob& job) {
    static const TurnStripFunction turn = BestTurnStrip();
    static const TurnBandsFunction turnBands = BestTurnBands();
    const int32_t bands = job.height / 32;
    const bool descending = job.angle == 270;
    const TurnedRows rows{job.target, job.width, job.height / 8, job.mirror == descending};

    // Offsets of a band's rows from its first row, in fed order (rows are
    // stored bottom-up, so lower rows lie at lower addresses).
    const ptrdiff_t stride = CanvasStride(job.image);
    ptrdiff_t fedOffset[32];
    for (int32_t q = 0; q < 32; ++q) fedOffset[q] = -FedRow(q, descending) * stride;
    const int32_t firstCutBand = (job.y1 - job.top) / 32;

    const int32_t firstBand = (job.y0 - job.top) / 32;
    const int32_t firstByte = job.x0 / 8;
    const int32_t endByte = (job.x1 + 7) / 8;
    // Leaves room for the buffer rows' padding to a line and one more.
    const int32_t groupBands = static_cast<int32_t>(kTurnScratchBytes / (32 * kTileBytes)) - 32;
    uint8_t* const buffer = job.scratch;
    // Tiles end on the source's cache lines (every row lies the same way when
    // the stride is a whole number of lines), so no line is fetched for two
    // tiles: the first tile is cut short to reach a line's end.
    const auto firstAt = reinterpret_cast<uintptr_t>(CanvasRow(job.image, job.y0) + firstByte);
    const int32_t toLineEnd =
        static_cast<int32_t>((kTileBytes - firstAt % kTileBytes) % kTileBytes / 8 * 8);
    const int32_t firstTileEnd = firstByte + (toLineEnd ? toLineEnd : kTileBytes);

    const uint8_t* chunkFed[kChunkBands][32];
    for (int32_t group = firstBand; group < bands; group += groupBands) {
        const int32_t groupEnd = std::min(bands, group + groupBands);
        // The group's words in a region row: bands ascending at 90, descending at 270.
        const ptrdiff_t pieceAt = 4 * (descending ? bands - groupEnd : group);
        const ptrdiff_t pieceBytes = 4 * (groupEnd - group);
        // Buffer rows an odd number of cache lines apart: with a power-of-two
        // step a strip's 64 stores would crowd into a few cache sets.
        const ptrdiff_t bufferStep = (pieceBytes + 63) / 64 % 2 ? (pieceBytes + 63) / 64 * 64
                                                                : (pieceBytes + 63) / 64 * 64 + 64;
        for (int32_t tile = firstByte, tileEnd; tile < endByte; tile = tileEnd) {
            tileEnd = std::min(endByte, tile == firstByte ? firstTileEnd : tile + kTileBytes);
            const int32_t firstSx = 8 * tile - job.left;
            // Bands go in chunks, bottom chunk first (the canvas is stored
            // bottom-up, so this walks it towards higher addresses). Within
            // a chunk each strip runs down all its bands before the next
            // strip: its 64 buffer rows then take whole cache lines while
            // they stay in the first-level cache, and the chunk's source
            // lines, fetched by the first strip, serve the others from cache.
            for (int32_t chunkEnd = groupEnd; chunkEnd > group; chunkEnd -= kChunkBands) {
                const int32_t chunk = std::max(group, chunkEnd - kChunkBands);
                FeedChunk(job, chunk, chunkEnd, firstCutBand, descending, fedOffset, chunkFed);
                // The next chunk's source lines, a share with each strip.
                const int32_t nextChunk = std::max(group, chunk - kChunkBands);
                const int32_t aheadRows = 32 * (chunk - nextChunk);
                const uint8_t* aheadFirst = CanvasRow(
                    job.image, std::min(job.top + 32 * nextChunk + aheadRows - 1, job.y1 - 1));
                const int32_t strips = (tileEnd - tile + 7) / 8;
                for (int32_t strip = 0; strip < strips; ++strip) {
                    const int32_t byte = tile + 8 * strip;
                    if (chunk > group && chunk - 1 < firstCutBand) {
                        for (int32_t r = strip; r < aheadRows; r += strips) {
                            const uint8_t* line = aheadFirst + r * stride;
                            const auto head = reinterpret_cast<uintptr_t>(line + tile);
                            const auto tail = reinterpret_cast<uintptr_t>(line + tileEnd - 1);
                            __builtin_prefetch(line + tile);
                            // A second line only where the tile's bytes cross into one.
                            if (head >> 6 != tail >> 6) __builtin_prefetch(line + tileEnd - 1);
                        }
                    }
                    uint8_t* column = buffer + 8 * (byte - tile) * bufferStep;
                    // Into the buffer, one row piece per source column.
                    if (tileEnd - byte >= 8) {
                        const ptrdiff_t firstWordAt =
                            4 * (descending ? groupEnd - 1 - chunk : chunk - group);
                        turnBands(chunkFed, chunkEnd - chunk, byte, column + firstWordAt,
                                  descending ? -4 : 4, bufferStep);
                        continue;
                    }
                    for (int32_t band = chunk; band < chunkEnd; ++band) {
                        const ptrdiff_t wordAt =
                            4 * (descending ? groupEnd - 1 - band : band - group);
                        TurnShortStrip(turn, chunkFed[band - chunk], byte, tileEnd - byte,
                                       column + wordAt, bufferStep);
                    }
                }
            }
            for (int32_t column = 0; column < 8 * (tileEnd - tile); ++column) {
                CopyBypassingCache(rows.Row(firstSx + column) + pieceAt,
                                   buffer + column * bufferStep, static_cast<size_t>(pieceBytes));
            }
        }
    }
    FinishBypassingCopies();
    FillOffCanvas(job, rows, firstBand, descending);
}
