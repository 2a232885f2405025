// Copying a finished block into memory that will not be read again soon:
// the stores bypass the cache, so the target lines are neither read first
// nor pushed out of the cache the copy's caller still works in.
#pragma once

#include <cstddef>
#include <cstdint>

// Whole 64-byte lines of the target are streamed; partly covered lines at
// either end get ordinary stores.
void CopyBypassingCache(uint8_t* to, const uint8_t* from, size_t bytes);

// Streamed stores are weakly ordered: this makes them visible before
// anything stored later. Call once after a series of copies.
void FinishBypassingCopies();
