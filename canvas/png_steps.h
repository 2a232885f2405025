// Reading only the recording of a picture: the PNG chunks are walked, the
// header is checked and the image data is skipped unread, so a dropped file
// costs no more than its "stEp" chunk however large its picture claims to be.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/step_log.h"

// Largest "stEp" chunk taken (a full recording is 3 200 016 bytes).
constexpr uint32_t kMaxStepChunkBytes = 8000000;

enum class PngStepsResult {
    kRecording,   // a "stEp" chunk that fits the log was copied into it
    kNoRecording, // a PNG without a usable "stEp" chunk; the log is unchanged
    kNotAPng,     // unreadable, not a PNG, or a broken header; the log is unchanged
};

PngStepsResult ReadPngSteps(const char16_t* path, StepLog* log);
PngStepsResult ReadPngStepsMemory(const uint8_t* data, size_t size, StepLog* log);

// Copies a recording chunk's data into the log only when its step count is
// 0 … 200000 and the data really holds that many steps; true when copied.
bool TakeStepChunk(const uint8_t* data, size_t size, StepLog* log);
