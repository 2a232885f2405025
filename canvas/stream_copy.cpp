// Copies of finished blocks that bypass the cache where the processor allows it.
#include "canvas/stream_copy.h"

#include <cstring>

#include "base/cpu_features.h"

#if PINDORA_X86
#include <emmintrin.h>

// SSE2 is part of every x86-64 processor; 32-bit builds ask first.
namespace {

__attribute__((target("sse2"))) void StreamBlocks(uint8_t* to, const uint8_t* from, size_t blocks) {
    for (size_t i = 0; i < blocks; ++i) {
        const auto* source = reinterpret_cast<const __m128i*>(from + 64 * i);
        auto* target = reinterpret_cast<__m128i*>(to + 64 * i);
        __m128i a = _mm_loadu_si128(source), b = _mm_loadu_si128(source + 1);
        __m128i c = _mm_loadu_si128(source + 2), d = _mm_loadu_si128(source + 3);
        _mm_stream_si128(target, a);
        _mm_stream_si128(target + 1, b);
        _mm_stream_si128(target + 2, c);
        _mm_stream_si128(target + 3, d);
    }
}

__attribute__((target("sse2"))) void StreamFence() {
    _mm_sfence();
}

} // namespace

void CopyBypassingCache(uint8_t* to, const uint8_t* from, size_t bytes) {
    static const bool streaming = CpuHasSse2();
    if (!streaming) {
        std::memcpy(to, from, bytes);
        return;
    }
    size_t head = (64 - (reinterpret_cast<uintptr_t>(to) & 63)) & 63;
    if (head > bytes) head = bytes;
    std::memcpy(to, from, head);
    to += head;
    from += head;
    bytes -= head;
    size_t blocks = bytes / 64;
    StreamBlocks(to, from, blocks);
    std::memcpy(to + 64 * blocks, from + 64 * blocks, bytes - 64 * blocks);
}

void FinishBypassingCopies() {
    static const bool streaming = CpuHasSse2();
    if (streaming) StreamFence();
}

#else

void FinishBypassingCopies() {}

void CopyBypassingCache(uint8_t* to, const uint8_t* from, size_t bytes) {
    std::memcpy(to, from, bytes);
}

#endif
