// Zeroed heap blocks from the process heap.
#include "canvas/heap_block.h"

#include <windows.h>

void* AllocateHeapBlock(size_t bytes) {
    return HeapAlloc(GetProcessHeap(), 0, bytes);
}

void* AllocateZeroedHeapBlock(size_t bytes) {
    return HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, bytes);
}

bool FreeHeapBlock(void* block) {
    if (!block) return true;
    return HeapFree(GetProcessHeap(), 0, block) != FALSE;
}
