// Reading only the recording of a picture: the PNG chunks are walked, the
// header is checked and the image data is skipped unread, so a dropped file
// costs no more than its "stEp" chunk (and its pen changes, "peNs") however
// large its picture claims to be.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/pen_log.h"
#include "base/step_log.h"

// Largest "stEp" chunk taken (a full recording is 3 200 016 bytes).
constexpr uint32_t kMaxStepChunkBytes = 8000000;

enum class PngStepsResult {
    kRecording,   // a "stEp" chunk that fits the log was copied into it
    kNoRecording, // a PNG without a usable "stEp" chunk; the log is unchanged
    kNotAPng,     // unreadable, not a PNG, or a broken header; the log is unchanged
};

// With pens not null, a recording taken brings its pen changes (or an empty
// pen log when the file has none that fit it); see TakePenChunk.
PngStepsResult ReadPngSteps(const char16_t* path, StepLog* log, PenLog* pens = nullptr);
PngStepsResult ReadPngStepsMemory(const uint8_t* data, size_t size, StepLog* log,
                                  PenLog* pens = nullptr);

// Copies a recording chunk's data into the log only when its step count is
// 0 … 200000 and the data really holds that many steps; true when copied.
bool TakeStepChunk(const uint8_t* data, size_t size, StepLog* log);
