// The pen log's chunk "peNs": ancillary, private, safe to copy, written after
// "stEp" only when the recording holds pen changes. Little-endian like
// "stEp": a 32-bit count n, then n changes of 16 bytes (step, pen size,
// hardness, flags), so its length is exactly 4 + 16 * n.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/pen_log.h"

constexpr char kPenChunkName[] = "peNs";
// Largest "peNs" chunk taken: one change for every step of a full log.
constexpr uint32_t kMaxPenChunkBytes = 4 + 16 * static_cast<uint32_t>(kMaxSteps);

// The chunk's data for the changes that hold from a step below stepCount;
// empty when there are none (no chunk is written then).
std::vector<uint8_t> EncodePenChunk(const PenLog* pens, int32_t stepCount);

// Takes a chunk's data into the pen log only when it is well formed for a
// recording of stepCount steps: the exact length for its count, step indices
// strictly increasing within 0 .. stepCount - 1, no flag bits other than
// kPenErasing. Otherwise the pen log is emptied and false returned (the
// recording then replays with the user's pen, as a file without the chunk).
bool TakePenChunk(const uint8_t* data, size_t size, int32_t stepCount, PenLog* pens);

// What a reader gathers while walking the chunks: the last "peNs" data and
// whether a recording was taken into the step log on this read.
struct PenChunkFinder {
    std::vector<uint8_t> data;
    bool found = false;
    bool recordingTaken = false;
};

// After the walk: when a recording was taken, the pen log gets the chunk
// checked against it (or is emptied); otherwise it is left as it was.
void FinishPenChunk(const PenChunkFinder& finder, int32_t stepCount, PenLog* pens);
