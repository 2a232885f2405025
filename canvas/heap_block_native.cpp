// Zeroed heap blocks off Windows.
#include "canvas/heap_block.h"

#include <cstdlib>

// malloc(0) may return null; a zero-byte request still gets a block.
void* AllocateHeapBlock(size_t bytes) {
    return std::malloc(bytes ? bytes : 1);
}

void* AllocateZeroedHeapBlock(size_t bytes) {
    return std::calloc(bytes ? bytes : 1, 1);
}

bool FreeHeapBlock(void* block) {
    std::free(block);
    return true;
}
