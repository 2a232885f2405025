// Angles 0 and 180: whole rows, copied straight or flipped word by word.
// A large region's rows go out past the cache: the block is larger than the
// cache and is not read again soon, and so its lines are not read first. A
// small one (a stroke's dirty update) is read at once and stays in cache.
#include <algorithm>
#include <cstring>

#include "canvas/bit_reverse.h"
#include "canvas/region_job.h"
#include "canvas/row_flip.h"
#include "canvas/row_flip_stream.h"
#include "canvas/stream_copy.h"

namespace {

// Where one canvas row's pixels fall in a region row, in bytes.
struct RowSpan {
    int32_t leadBytes;  // region bytes left of the canvas (rectangle starts left of it)
    int32_t wholeBytes; // fully covered canvas bytes
    int32_t edgeBits;   // pixels of a partly covered last byte, 0 when none
    int32_t rowBytes;   // the region row
};

// A partly covered byte completed with the value of its last covered pixel.
uint8_t CompleteEdgeByte(uint8_t byte, int32_t coveredBits) {
    auto covered = static_cast<uint8_t>(0xFF00u >> coveredBits);
    bool lastIsPaper = (byte >> (8 - coveredBits)) & 1;
    return static_cast<uint8_t>((byte & covered) | (lastIsPaper ? ~covered : 0));
}

void CopyRowStraight(const uint8_t* source, uint8_t* target, const RowSpan& span, bool bypass) {
    std::memset(target, kPaperByte, static_cast<size_t>(span.leadBytes));
    int32_t at = span.leadBytes;
    if (bypass) {
        CopyBypassingCache(target + at, source, static_cast<size_t>(span.wholeBytes));
    } else {
        std::memcpy(target + at, source, static_cast<size_t>(span.wholeBytes));
    }
    at += span.wholeBytes;
    if (span.edgeBits) target[at++] = CompleteEdgeByte(source[span.wholeBytes], span.edgeBits);
    std::memset(target + at, kPaperByte, static_cast<size_t>(span.rowBytes - at));
}

// Where the processor cannot stream the flip's own stores, plain stores
// running backwards through memory are about half as fast as a forward
// copy, so a row is flipped a chunk at a time into a buffer and the
// chunks are copied out forwards: the canvas and the region are both walked
// from low to high addresses. A flip straight into the region, reading the
// canvas backwards, measured two to four times slower.
constexpr int32_t kFlipChunkBytes = 4096;

// A large region's chunks go out past the cache when its rows are walked
// downwards (angle 180); walked upwards, plain stores measured faster: the
// processor then fetches the target lines ahead and the next row's flip
// overlaps the stores. Where the flip can stream its own stores, a large
// region's rows go straight from the canvas to the region with no buffer,
// whichever way the rows are walked: streamed stores run backwards as fast
// as forwards, and the loads overlap them.
void FlipForwards(FlipRowBytesFunction flip, const uint8_t* source, uint8_t* end, int32_t count,
                  bool large, bool downwards) {
    static const FlipRowBytesFunction streaming = StreamingFlipRowBytes();
    if (large && streaming) {
        streaming(source, end, count);
        return;
    }
    alignas(64) uint8_t chunk[kFlipChunkBytes];
    uint8_t* target = end - count;
    for (int32_t done = 0; done < count;) {
        int32_t bytes = std::min(kFlipChunkBytes, count - done);
        // The next part of the target holds the source's last bytes not yet done.
        flip(source + count - done - bytes, chunk + bytes, bytes);
        if (large && downwards) {
            CopyBypassingCache(target + done, chunk, static_cast<size_t>(bytes));
        } else {
            std::memcpy(target + done, chunk, static_cast<size_t>(bytes));
        }
        done += bytes;
    }
}

// Source byte k lands at end - 1 - k, its bits reversed.
void CopyRowFlipped(const uint8_t* source, uint8_t* target, const RowSpan& span,
                    FlipRowBytesFunction flip, bool large, bool downwards) {
    uint8_t* end = target + (span.rowBytes - span.leadBytes);
    std::memset(end, kPaperByte, static_cast<size_t>(span.leadBytes));
    FlipForwards(flip, source, end, span.wholeBytes, large, downwards);
    int32_t covered = span.wholeBytes;
    if (span.edgeBits) {
        end[-1 - covered] = ReverseBits8(CompleteEdgeByte(source[covered], span.edgeBits));
        ++covered;
    }
    std::memset(target, kPaperByte, static_cast<size_t>(end - covered - target));
}

} // namespace

void CopyRegionRows(const RegionJob& job) {
    RowSpan span{};
    span.leadBytes = (job.x0 - job.left) / 8;
    span.wholeBytes = (job.x1 - job.x0) / 8;
    span.edgeBits = (job.x1 - job.x0) % 8;
    span.rowBytes = job.width / 8;
    const bool upsideDown = job.angle == 180;
    const bool flipped = job.mirror != upsideDown;
    const int32_t h = job.height;
    const bool large = RegionOutgrowsCache(job);
    static const FlipRowBytesFunction flip = BestFlipRowBytes();
    // Stored (bottom-up) row of source row sy: region row dy = sy, or h-1-sy at 180.
    auto regionRow = [&](int32_t sy) {
        int32_t stored = upsideDown ? sy : h - 1 - sy;
        return job.target + static_cast<ptrdiff_t>(stored) * span.rowBytes;
    };

    for (int32_t sy = 0; sy < job.y0 - job.top; ++sy) {
        std::memset(regionRow(sy), kPaperByte, static_cast<size_t>(span.rowBytes));
    }
    // Bottom row first: the canvas is stored bottom-up, so this walks it
    // towards higher addresses, the direction the processor fetches ahead in.
    for (int32_t y = job.y1 - 1; y >= job.y0; --y) {
        const uint8_t* source = CanvasRow(job.image, y) + job.x0 / 8;
        uint8_t* target = regionRow(y - job.top);
        if (flipped) {
            CopyRowFlipped(source, target, span, flip, large, upsideDown);
        } else {
            CopyRowStraight(source, target, span, large);
        }
    }
    FinishBypassingCopies();
    const uint8_t* lastRow = regionRow(job.y1 - 1 - job.top);
    for (int32_t sy = job.y1 - job.top; sy < h; ++sy) {
        std::memcpy(regionRow(sy), lastRow, static_cast<size_t>(span.rowBytes));
    }
}
