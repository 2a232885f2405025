// The normalise pass without a division per pixel. For a count c in 1..255
// and n = sum * 65024 < 2^24, (n * ceil(2^32 / c)) >> 32 == n / c: the
// reciprocal is too large by less than c / 2^32, so the product overshoots
// n / c by less than n * c / 2^32 / c < 1 / c, too little to reach the next
// multiple of 1 / c. From that, a table of every (count, sum) pair's index.
#pragma once

#include <cstdint>

struct CountReciprocals {
    uint64_t of[256]; // of[c] = ceil(2^32 / c); of[0] unused
};

constexpr CountReciprocals MakeCountReciprocals() {
    CountReciprocals table{};
    for (uint64_t c = 1; c < 256; ++c) table.of[c] = ((uint64_t{1} << 32) + c - 1) / c;
    return table;
}

inline constexpr CountReciprocals kCountReciprocals = MakeCountReciprocals();

// The palette index of one output pixel: (s * 65024 / c + 128) >> 8 kept to
// a byte (sums wrap like the cells do), 255 when no sample arrived.
constexpr uint8_t NormalisedIndex(uint32_t sum, uint32_t count) {
    if (count == 0) return 255;
    uint64_t quotient = (uint64_t{sum} * 65024u * kCountReciprocals.of[count]) >> 32;
    return static_cast<uint8_t>((quotient + 128) >> 8);
}

struct NormaliseTable {
    uint8_t index[256][256]; // [count][sum]
};

constexpr NormaliseTable MakeNormaliseTable() {
    NormaliseTable table{};
    for (uint32_t c = 0; c < 256; ++c)
        for (uint32_t s = 0; s < 256; ++s) table.index[c][s] = NormalisedIndex(s, c);
    return table;
}

// 64 KiB, of which a render touches few rows: counts cluster around the
// square of the scale.
inline constexpr NormaliseTable kNormaliseTable = MakeNormaliseTable();
