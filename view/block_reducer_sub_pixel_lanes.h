// The sub-pixel reducers' block-row counts over many bytes at once, written
// once for any width of byte lanes: each file that includes it supplies the
// lane operations for its instruction set and is built for that set alone,
// so everything here has internal linkage.
#pragma once

#include <cstddef>
#include <cstdint>

#include "view/block_reducer_sub_pixel_wide.h"

namespace {

// Set bits of a nibble, as 16 table entries.
constexpr uint8_t NibbleBits(int n) {
    return static_cast<uint8_t>((n & 1) + ((n >> 1) & 1) + ((n >> 2) & 1) + ((n >> 3) & 1));
}

// The four nibble tables of a block of B columns whose edges are S columns
// wide: the first S columns are the top S bits of the block's first byte,
// the last S the low S bits of its last byte. Entry n of a table counts the
// edge bits that nibble value n holds.
struct EdgeTables {
    uint8_t tailLow[16];  // last columns in the low nibble of the last byte
    uint8_t tailHigh[16]; // … in its high nibble (edges wider than 4)
    uint8_t headHigh[16]; // first columns in the high nibble of the first byte
    uint8_t headLow[16];  // … in its low nibble (edges wider than 4)
};

constexpr EdgeTables MakeEdgeTables(int S) {
    EdgeTables t{};
    const int inNibble = S < 4 ? S : 4, beyond = S > 4 ? S - 4 : 0;
    for (int n = 0; n < 16; ++n) {
        t.tailLow[n] = NibbleBits(n & ((1 << inNibble) - 1));
        t.tailHigh[n] = NibbleBits(n & ((1 << beyond) - 1));
        t.headHigh[n] = NibbleBits(n >> (4 - inNibble));
        t.headLow[n] = NibbleBits(n >> (4 - beyond));
    }
    return t;
}

constexpr uint8_t kNibbleBits[16] = {0, 1, 1, 2, 1, 2, 2, 3, 1, 2, 2, 3, 2, 3, 3, 4};

// Per-byte sums of one block row of B rows, V::kBytes columns of bytes at a
// time, for the bytes [0, bytes) (a multiple of V::kBytes): green gets each
// byte's set bits, tails and heads each block's last and first S columns in
// the block's first byte (the block's other byte, for B = 16, stays zero).
// That is the layout of the word-at-a-time sums, so either may finish a row.
template <class V, int B, int S>
void CountBlockRowLanes(const uint8_t* base, size_t stride, size_t bytes, uint8_t* green,
                        uint8_t* tails, uint8_t* heads) {
    static_assert(B == 8 || B == 16, "byte blocks");
    constexpr EdgeTables kEdges = MakeEdgeTables(S);
    const typename V::R bits = V::Table(kNibbleBits);
    const typename V::R tailLow = V::Table(kEdges.tailLow), tailHigh = V::Table(kEdges.tailHigh);
    const typename V::R headLow = V::Table(kEdges.headLow), headHigh = V::Table(kEdges.headHigh);
    const typename V::R nibble = V::Bytes(0x0F);
    // Eight rows at a time, each group's counts added to the sums: more rows
    // side by side strain the prefetcher, fewer add stores into the sums.
    constexpr int kGroup = 8;
    for (int r0 = 0; r0 < B; r0 += kGroup) {
        for (size_t i = 0; i < bytes; i += V::kBytes) {
            typename V::R g = V::Bytes(0), t = V::Bytes(0), h = V::Bytes(0);
            const uint8_t* p = base + r0 * stride + i;
            for (int r = 0; r < kGroup; ++r, p += stride) {
                // The same bytes of the next block row, so that they are on
                // their way while this one is finished.
                __builtin_prefetch(p + B * stride);
                const typename V::R x = V::Load(p);
                const typename V::R lo = V::And(x, nibble);
                const typename V::R hi = V::And(V::ShiftWords(x, 4), nibble);
                g = V::Add(g, V::Add(V::Look(bits, lo), V::Look(bits, hi)));
                if (B == 8) {
                    t = V::Add(t, V::Look(tailLow, lo));
                    h = V::Add(h, V::Look(headHigh, hi));
                } else {
                    t = V::Add(t, V::Add(V::Look(tailLow, lo), V::Look(tailHigh, hi)));
                    h = V::Add(h, V::Add(V::Look(headLow, lo), V::Look(headHigh, hi)));
                }
            }
            if (r0 > 0) {
                g = V::Add(g, V::Load(green + i));
                t = V::Add(t, V::Load(tails + i));
                h = V::Add(h, V::Load(heads + i));
            }
            if (B == 16 && r0 + kGroup == B) {
                // Tails were counted in every block's last byte, heads in its
                // first; both move to the first byte, the other byte cleared.
                t = V::ShiftWords(t, 8);
                h = V::And(h, V::Words(0x00FF));
            }
            V::Store(green + i, g);
            V::Store(tails + i, t);
            V::Store(heads + i, h);
        }
    }
}

// One channel's ramp byte for a count of 0 … 64, looked up in 16-entry
// pieces: a count minus the piece's start, pushed up by 0x70 with
// saturation, has its top bit clear (a shuffle index) only inside the piece.
template <class V>
typename V::R RampBytes(const typename V::R (&pieces)[4], typename V::R last, typename V::R count) {
    const typename V::R inside = V::Bytes(0x70);
    typename V::R r = V::Look(pieces[0], V::AddSaturated(count, inside));
    for (int k = 1; k < 4; ++k)
        r = V::Or(r, V::Look(pieces[k], V::AddSaturated(V::Sub(count, V::Bytes(16 * k)), inside)));
    return V::Or(r, V::And(V::Equal(count, V::Bytes(64)), last));
}

// The pixels of blocks [0, blocks) of an 8 × 8 block row (blocks a multiple
// of V::kBytes) from its per-byte sums: red counts the block less its last S
// columns plus the last S of the block before, blue the block less its
// first S plus the first S of the block after. tails[-1] and heads[blocks]
// must hold the counts of the columns beyond the ends. ramp holds each
// channel's ramp bytes (red, green, blue; 65 used of 80 each).
template <class V>
void FinishBlockRow8Lanes(const uint8_t* green, const uint8_t* tails, const uint8_t* heads,
                          const uint8_t (&ramp)[3][80], size_t blocks, uint8_t* out) {
    typename V::R pieces[3][4], last[3];
    for (int c = 0; c < 3; ++c) {
        for (int k = 0; k < 4; ++k) pieces[c][k] = V::Table(ramp[c] + 16 * k);
        last[c] = V::Bytes(ramp[c][64]);
    }
    for (size_t i = 0; i < blocks; i += V::kBytes) {
        const typename V::R g = V::Load(green + i);
        const typename V::R red = V::Add(V::Sub(g, V::Load(tails + i)), V::Load(tails + i - 1));
        const typename V::R blue = V::Add(V::Sub(g, V::Load(heads + i)), V::Load(heads + i + 1));
        V::StorePixels(out + 4 * i, RampBytes<V>(pieces[2], last[2], blue),
                       RampBytes<V>(pieces[1], last[1], g), RampBytes<V>(pieces[0], last[0], red));
    }
}

// The pixels of blocks [0, blocks) of a 16 × 16 block row (blocks a
// multiple of V::kBytes / 2) from its per-byte sums, as the 8 × 8 rows but
// with 16-bit counts, squeezed into 0 … 255 (see SqueezeCount), whose
// 256-entry look-ups are left to plain loads from parts (red, green, blue
// pixel parts, ORed). tails[-2] and heads[2 * blocks] must hold the counts
// beyond the blocks, each in a 16-bit field.
template <class V>
void FinishBlockRow16Lanes(const uint8_t* green, const uint8_t* tails, const uint8_t* heads,
                           const uint32_t* const (&parts)[3], size_t blocks, uint8_t* out) {
    constexpr size_t kBlocks = V::kBytes / 2;
    const typename V::R lowByte = V::Words(0x00FF), half = V::Words(127);
    auto squeeze = [&](typename V::R n) { return V::AddWords(n, V::GreaterWords(n, half)); };
    uint16_t counts[3][kBlocks];
    // In locals, and the pixels' stores marked as touching nothing else read
    // here, so that no store makes the compiler load the tables' addresses again.
    const uint32_t* const redParts = parts[0];
    const uint32_t* const greenParts = parts[1];
    const uint32_t* const blueParts = parts[2];
    for (size_t i = 0; i < 2 * blocks; i += V::kBytes) {
        const typename V::R bytes = V::Load(green + i);
        const typename V::R g = V::AddWords(V::And(bytes, lowByte), V::ShiftWords(bytes, 8));
        const typename V::R red =
            V::AddWords(V::SubWords(g, V::Load(tails + i)), V::Load(tails + i - 2));
        const typename V::R blue =
            V::AddWords(V::SubWords(g, V::Load(heads + i)), V::Load(heads + i + 2));
        V::Store(reinterpret_cast<uint8_t*>(counts[0]), squeeze(red));
        V::Store(reinterpret_cast<uint8_t*>(counts[1]), squeeze(g));
        V::Store(reinterpret_cast<uint8_t*>(counts[2]), squeeze(blue));
        uint8_t* __restrict pixels = out + 2 * i;
#pragma GCC unroll 16
        for (size_t j = 0; j < kBlocks; ++j) {
            const uint32_t pixel =
                redParts[counts[0][j]] | greenParts[counts[1][j]] | blueParts[counts[2][j]];
            __builtin_memcpy(pixels + 4 * j, &pixel, 4);
        }
    }
}

// The kernels over whole steps of V::kBytes: each does the leading part of
// its row that fills whole steps and says how much that was.
template <class V, int B, int S>
size_t CountsOf(const uint8_t* base, size_t stride, size_t bytes, uint8_t* green, uint8_t* tails,
                uint8_t* heads) {
    const size_t n = bytes / V::kBytes * V::kBytes;
    CountBlockRowLanes<V, B, S>(base, stride, n, green, tails, heads);
    return n;
}

template <class V>
size_t Finish8Of(const uint8_t* green, const uint8_t* tails, const uint8_t* heads,
                 const uint8_t (&ramp)[3][80], size_t blocks, uint8_t* out) {
    const size_t n = blocks / V::kBytes * V::kBytes;
    FinishBlockRow8Lanes<V>(green, tails, heads, ramp, n, out);
    return n;
}

template <class V>
size_t Finish16Of(const uint8_t* green, const uint8_t* tails, const uint8_t* heads,
                  const uint32_t* const (&parts)[3], size_t blocks, uint8_t* out) {
    constexpr size_t kBlocks = V::kBytes / 2;
    const size_t n = blocks / kBlocks * kBlocks;
    FinishBlockRow16Lanes<V>(green, tails, heads, parts, n, out);
    return n;
}

// The reducers' shifts: 2 columns for blocks of 8, 5 for blocks of 16.
template <class V> const SubPixelKernels* KernelsOf() {
    static const SubPixelKernels kernels{CountsOf<V, 8, 2>, CountsOf<V, 16, 5>, Finish8Of<V>,
                                         Finish16Of<V>};
    return &kernels;
}

} // namespace
