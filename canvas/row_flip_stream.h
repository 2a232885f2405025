// Left-right flip of a run of 1-bit pixel bytes straight into memory that
// will not be read again soon: the flipped bytes leave the registers in
// stores that bypass the cache, with no buffer in between.
#pragma once

#include <cstdint>

#include "canvas/row_flip.h"

// Source byte k is stored at end[-1 - k] with its bits reversed, as the
// flippers of canvas/row_flip.h do. The source is read forwards, the way the
// processor fetches ahead (read backwards, the same flip took three times as
// long); the target is filled downwards, 16 bytes a store where it is
// aligned, the ragged ends with ordinary stores. Call FinishBypassingCopies
// (canvas/stream_copy.h) after a series of runs.
void FlipRowBytesStreaming_Ssse3(const uint8_t* source, uint8_t* end, int32_t count);

// The SSSE3 form where the processor has it, else null: the caller then
// flips into a buffer and copies that out.
FlipRowBytesFunction StreamingFlipRowBytes();
