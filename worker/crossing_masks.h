// Where a canvas row crosses from one output cell into the next along one
// axis, 64 columns at a time. Positions advance by a fixed 16.16 step, so
// column k of a stretch starting at rising fraction g enters a new cell when
// (g + k * |step|) mod 65536 < |step|. With |step| = 2^t * a (a odd) that bit
// depends only on (g >> t) * a^-1 mod 2^(16 - t), so every stretch is a
// window into one periodic bit string, built once per band.
#pragma once

#include <cstdint>
#include <cstring>

struct CrossingMasks {
    uint32_t flip;          // 0xFFFF for falling positions, whose fraction is mirrored
    uint32_t shift;         // t
    uint32_t inverse;       // a^-1 mod 2^(16 - t)
    uint32_t wrap;          // 2^(16 - t) - 1
    uint8_t bits[8200 + 8]; // one period plus 64 bits, lowest column first
};

// Fills masks for a column step of at most one cell (|step| <= 65536); false
// for larger steps, which skip cells and are walked another way.
bool BuildCrossingMasks(int32_t step, CrossingMasks* masks);

// Where in the bit string the stretch starting at this 16.16 position reads.
// Moving the stretch n columns on moves its phase n bits on (modulo wrap + 1).
inline uint32_t CrossingPhase(const CrossingMasks& masks, uint32_t position) {
    uint32_t rising = (position ^ masks.flip) & 0xFFFFu;
    return ((rising >> masks.shift) * masks.inverse) & masks.wrap;
}

// Bit k set: column k of the stretch lies in another cell than column k - 1.
// Bits 0..56 are exact.
inline uint64_t CrossingMaskAt(const CrossingMasks& masks, uint32_t phase) {
    uint64_t window;
    std::memcpy(&window, masks.bits + (phase >> 3), sizeof window);
    return window >> (phase & 7);
}

// The same from the position of column 0.
inline uint64_t CrossingMask(const CrossingMasks& masks, uint32_t position) {
    return CrossingMaskAt(masks, CrossingPhase(masks, position));
}
