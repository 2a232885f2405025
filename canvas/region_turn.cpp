// Angles 90 and 270: source columns become region rows. Work goes in
// tiles of up to kTileBytes source bytes across (8 × that many region rows)
// by all the bands down, or by groups of bands where the buffer cannot hold
// whole region rows. A tile is turned into the buffer, then copied out in a
// stream that bypasses the cache: the scattered stores of the turn stay in
// cache, each source line is fetched once and used whole, and region lines
// are written without being read first.
#include <algorithm>
#include <cstring>

#include "canvas/region_job.h"
#include "canvas/region_turn_quad.h"
#include "canvas/region_turn_strip.h"
#include "canvas/stream_copy.h"

namespace {

void CopyInCache(uint8_t* to, const uint8_t* from, size_t bytes) {
    std::memcpy(to, from, bytes);
}

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
    static const TurnQuadFunction turnQuad = BestTurnQuad();
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
    // Where the buffer holds a tile's whole region rows, they are laid out
    // as in the region and go out in one stream: no line of the region is
    // then written in parts at different times (each such line is read
    // first). Otherwise the bands go in groups the buffer can hold.
    const ptrdiff_t rowBytes = rows.rowBytes;
    int32_t tileBytes = kTileBytes;
    while (tileBytes > 8 && 8 * tileBytes * rowBytes > static_cast<ptrdiff_t>(kTurnScratchBytes))
        tileBytes /= 2;
    const bool wholeRows =
        firstBand == 0 && 8 * tileBytes * rowBytes <= static_cast<ptrdiff_t>(kTurnScratchBytes);
    if (!wholeRows) tileBytes = kTileBytes;
    // Groups leave room for the buffer rows' padding to a line and one more.
    const int32_t groupBands =
        wholeRows ? bands : static_cast<int32_t>(kTurnScratchBytes / (32 * kTileBytes)) - 32;
    uint8_t* const buffer = job.scratch;
    // A small region (a stroke's dirty update) is read by the reducer at
    // once: it stays in cache.
    void (*const copyOut)(uint8_t*, const uint8_t*, size_t) =
        RegionOutgrowsCache(job) ? CopyBypassingCache : CopyInCache;
    // Tiles end on the source's cache lines (every row lies the same way when
    // the stride is a whole number of lines), so no line is fetched for two
    // tiles: the first tile is cut short to reach a line's end.
    const auto firstAt = reinterpret_cast<uintptr_t>(CanvasRow(job.image, job.y0) + firstByte);
    const int32_t toLineEnd =
        static_cast<int32_t>((tileBytes - firstAt % tileBytes) % tileBytes / 8 * 8);
    const int32_t firstTileEnd = firstByte + (toLineEnd ? toLineEnd : tileBytes);

    const uint8_t* chunkFed[kChunkBands][32];
    for (int32_t group = firstBand; group < bands; group += groupBands) {
        const int32_t groupEnd = std::min(bands, group + groupBands);
        // The group's words in a region row: bands ascending at 90, descending at 270.
        const ptrdiff_t pieceAt = 4 * (descending ? bands - groupEnd : group);
        const ptrdiff_t pieceBytes = 4 * (groupEnd - group);
        // Buffer rows an odd number of cache lines apart: with a power-of-two
        // step a strip's 64 stores would crowd into a few cache sets.
        const ptrdiff_t paddedStep = (pieceBytes + 63) / 64 % 2 ? (pieceBytes + 63) / 64 * 64
                                                                : (pieceBytes + 63) / 64 * 64 + 64;
        bool upward = true;
        for (int32_t tile = firstByte, tileEnd; tile < endByte; tile = tileEnd, upward = !upward) {
            tileEnd = std::min(endByte, tile == firstByte ? firstTileEnd : tile + tileBytes);
            const int32_t columns = 8 * (tileEnd - tile);
            // Source column c's piece lies at columnAt + c × bufferStep.
            const ptrdiff_t bufferStep = !wholeRows       ? paddedStep
                                         : rows.ascending ? rowBytes
                                                          : -rowBytes;
            uint8_t* const columnAt = bufferStep < 0 ? buffer + (columns - 1) * rowBytes : buffer;
            const int32_t firstSx = 8 * tile - job.left;
            // Bands go in chunks counted from the group's bottom. Tiles walk
            // them alternately up (towards higher addresses: the canvas is
            // stored bottom-up) and down, so each tile starts on the rows the
            // one before ended on: half of its pages are then still in the
            // processor's address cache, where walks all in one direction
            // would always start on the pages visited longest ago. Within a
            // chunk each strip runs down all its bands
            // before the next strip: its 64 buffer rows then take whole
            // cache lines while they stay in the first-level cache, and the
            // chunk's source lines, fetched by the first strip, serve the
            // others from cache.
            const int32_t chunks = (groupEnd - group + kChunkBands - 1) / kChunkBands;
            for (int32_t step = 0; step < chunks; ++step) {
                const int32_t fromBottom = upward ? step : chunks - 1 - step;
                const int32_t chunkEnd = groupEnd - kChunkBands * fromBottom;
                const int32_t chunk = std::max(group, chunkEnd - kChunkBands);
                FeedChunk(job, chunk, chunkEnd, firstCutBand, descending, fedOffset, chunkFed);
                // The next chunk's source lines, a share before each call,
                // where there is one and it lies wholly on the canvas.
                const bool lastOfTile = step + 1 == chunks;
                const int32_t nextFromBottom = lastOfTile ? fromBottom
                                               : upward   ? fromBottom + 1
                                                          : fromBottom - 1;
                const int32_t nextEnd = groupEnd - kChunkBands * nextFromBottom;
                const int32_t nextChunk = std::max(group, nextEnd - kChunkBands);
                const bool fetchNext = !lastOfTile && nextEnd - 1 < firstCutBand;
                const int32_t aheadRows = 32 * (nextEnd - nextChunk);
                const uint8_t* aheadFirst =
                    CanvasRow(job.image, std::min(job.top + 32 * nextEnd - 1, job.y1 - 1));
                // The tile's 32-byte strips take the bands four at a time;
                // bands left over, and bytes beyond the last such strip, go
                // through the 8-byte strips.
                const int32_t wideStrips = (tileEnd - tile) / 32;
                const int32_t narrowFrom = tile + 32 * wideStrips;
                const int32_t quads = (chunkEnd - chunk) / 4;
                // The next chunk's lines are fetched a share before each call.
                const int32_t wideParts = wideStrips * (quads + 1);
                const int32_t parts = wideParts + (tileEnd - narrowFrom + 7) / 8;
                auto wordAt = [&](int32_t band) {
                    return 4 * (descending ? groupEnd - 1 - band : band - group);
                };
                auto fetchAhead = [&](int32_t part) {
                    if (!fetchNext) return;
                    for (int32_t r = part; r < aheadRows; r += parts) {
                        const uint8_t* line = aheadFirst + r * stride;
                        const auto head = reinterpret_cast<uintptr_t>(line + tile);
                        const auto tail = reinterpret_cast<uintptr_t>(line + tileEnd - 1);
                        __builtin_prefetch(line + tile);
                        // A second line only where the tile's bytes cross into one.
                        if (head >> 6 != tail >> 6) __builtin_prefetch(line + tileEnd - 1);
                    }
                };
                for (int32_t wide = 0; wide < wideStrips; ++wide) {
                    const int32_t byte = tile + 32 * wide;
                    uint8_t* column = columnAt + 8 * (byte - tile) * bufferStep;
                    for (int32_t q = 0; q < quads; ++q) {
                        // The wide step reads a call's rows towards lower
                        // addresses at 90 degrees and towards higher ones at
                        // 270; the calls follow in the same direction (down
                        // the chunk at 90, up it at 270), which keeps the
                        // processor's read-ahead on track from call to call.
                        const int32_t band = chunk + 4 * (descending ? quads - 1 - q : q);
                        fetchAhead(wide * (quads + 1) + q);
                        // Into the buffer in region order: at 270 the later bands first.
                        const uint8_t* const* quad[4];
                        for (int32_t k = 0; k < 4; ++k)
                            quad[k] = chunkFed[band - chunk + (descending ? 3 - k : k)];
                        turnQuad(quad, byte, column + wordAt(descending ? band + 3 : band),
                                 bufferStep);
                    }
                    const int32_t leftFrom = chunk + 4 * quads;
                    fetchAhead(wide * (quads + 1) + quads);
                    if (leftFrom == chunkEnd) continue;
                    for (int32_t piece = 0; piece < 4; ++piece) {
                        turnBands(chunkFed + (leftFrom - chunk), chunkEnd - leftFrom,
                                  byte + 8 * piece,
                                  column + 64 * piece * bufferStep + wordAt(leftFrom),
                                  descending ? -4 : 4, bufferStep);
                    }
                }
                for (int32_t byte = narrowFrom; byte < tileEnd; byte += 8) {
                    fetchAhead(wideParts + (byte - narrowFrom) / 8);
                    uint8_t* column = columnAt + 8 * (byte - tile) * bufferStep;
                    // Into the buffer, one row piece per source column.
                    if (tileEnd - byte >= 8) {
                        turnBands(chunkFed, chunkEnd - chunk, byte, column + wordAt(chunk),
                                  descending ? -4 : 4, bufferStep);
                        continue;
                    }
                    for (int32_t band = chunk; band < chunkEnd; ++band) {
                        TurnShortStrip(turn, chunkFed[band - chunk], byte, tileEnd - byte,
                                       column + wordAt(band), bufferStep);
                    }
                }
            }
            if (wholeRows) {
                const int32_t lowest = rows.ascending ? firstSx : firstSx + columns - 1;
                copyOut(rows.Row(lowest), buffer, static_cast<size_t>(columns * rowBytes));
                continue;
            }
            for (int32_t column = 0; column < columns; ++column) {
                copyOut(rows.Row(firstSx + column) + pieceAt, columnAt + column * bufferStep,
                        static_cast<size_t>(pieceBytes));
            }
        }
    }
    FinishBypassingCopies();
    FillOffCanvas(job, rows, firstBand, descending);
}
