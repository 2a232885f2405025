// Blocks of the process heap: surfaces, canvas pixels and regions all come
// from here, so a block made on one thread can be freed on another.
#pragma once

#include <cstddef>
#include <cstdint>

// The largest pixel block a surface, canvas or region may ask for. Sizes
// above it are refused before any allocation, so byte counts and row offsets
// always fit the signed 32-bit arithmetic GDI and the renderers use.
constexpr uint64_t kLargestPixelBlock = 0x7FFFFFFF;

// Contents undefined; null when the heap has no room.
void* AllocateHeapBlock(size_t bytes);

// Every byte zero; null when the heap has no room.
void* AllocateZeroedHeapBlock(size_t bytes);

// Returns false when the heap refuses the block. Null is accepted.
bool FreeHeapBlock(void* block);
