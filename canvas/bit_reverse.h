// Reversing the pixel order of 1-bit pixel words. A row's bytes loaded as a
// little-endian word hold the leftmost pixel in bit 7 of the lowest byte, so a
// full bit reversal of the word is exactly a left-right flip of its pixels.
#pragma once

#include <cstdint>

inline uint32_t ReverseBits32(uint32_t v) {
    v = (v >> 16) | (v << 16);
    v = ((v >> 8) & 0x00FF00FFu) | ((v & 0x00FF00FFu) << 8);
    v = ((v >> 4) & 0x0F0F0F0Fu) | ((v & 0x0F0F0F0Fu) << 4);
    v = ((v >> 2) & 0x33333333u) | ((v & 0x33333333u) << 2);
    v = ((v >> 1) & 0x55555555u) | ((v & 0x55555555u) << 1);
    return v;
}

// Two words at once: also swaps the two words, as a flip of the pair needs.
inline uint64_t ReverseBits64(uint64_t v) {
    v = (v >> 32) | (v << 32);
    v = ((v >> 16) & 0x0000FFFF0000FFFFull) | ((v & 0x0000FFFF0000FFFFull) << 16);
    v = ((v >> 8) & 0x00FF00FF00FF00FFull) | ((v & 0x00FF00FF00FF00FFull) << 8);
    v = ((v >> 4) & 0x0F0F0F0F0F0F0F0Full) | ((v & 0x0F0F0F0F0F0F0F0Full) << 4);
    v = ((v >> 2) & 0x3333333333333333ull) | ((v & 0x3333333333333333ull) << 2);
    v = ((v >> 1) & 0x5555555555555555ull) | ((v & 0x5555555555555555ull) << 1);
    return v;
}

inline uint8_t ReverseBits8(uint8_t byte) {
    uint32_t v = byte;
    v = ((v >> 4) & 0x0Fu) | ((v & 0x0Fu) << 4);
    v = ((v >> 2) & 0x33u) | ((v & 0x33u) << 2);
    v = ((v >> 1) & 0x55u) | ((v & 0x55u) << 1);
    return static_cast<uint8_t>(v);
}
