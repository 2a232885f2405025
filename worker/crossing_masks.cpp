// The crossing masks of the accumulate pass: which bits of a word fall into the next cell.
#include "worker/crossing_masks.h"

bool BuildCrossingMasks(int32_t step, CrossingMasks* masks) {
    uint32_t size = step < 0 ? 0u - static_cast<uint32_t>(step) : static_cast<uint32_t>(step);
    if (size > 65536) return false;
    std::memset(masks->bits, 0, sizeof masks->bits);
    masks->flip = step < 0 ? 0xFFFFu : 0u;
    if (size == 0) { // never leaves its cell: one period of no crossings
        masks->shift = 16, masks->inverse = 0, masks->wrap = 0;
        return true;
    }
    uint32_t shift = static_cast<uint32_t>(__builtin_ctz(size));
    uint32_t odd = size >> shift, wrap = (1u << (16 - shift)) - 1;
    uint32_t inverse = odd; // Newton's iteration doubles the valid bits
    for (int round = 0; round < 5; ++round) inverse *= 2 - odd * inverse;
    masks->shift = shift, masks->inverse = inverse & wrap, masks->wrap = wrap;
    // Bit p is set when p * odd mod 2^(16 - t) < odd, for one period and the
    // 64 bits a window starting at its end reads.
    uint32_t residue = 0;
    for (uint32_t p = 0; p < wrap + 1 + 64; ++p) {
        if (residue < odd) masks->bits[p >> 3] |= static_cast<uint8_t>(1u << (p & 7));
        residue = (residue + odd) & wrap;
    }
    return true;
}
