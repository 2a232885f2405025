// Plain block reducers: each output pixel is the number of set canvas pixels
// in its B × B block, used as an index into the reducer's colour ramp. The
// rows of a block row are counted a word at a time and their per-field
// counts added, so no loop ever runs per pixel.
#include <cstdlib>

#include "view/block_reducer_bits.h"
#include "view/block_reducer_list.h"
#include "view/block_reducer_ramp.h"

namespace {

ReducerRamp ramp16{256, RampFill::RepeatLast};
ReducerRamp ramp8{65, RampFill::RepeatLast};
ReducerRamp ramp4{17, RampFill::RepeatLast};
ReducerRamp ramp2{5, RampFill::Zero};

// Sums of one block row, word by word. 16 and 8: per-byte counts, at most
// 128 and 64, in hi. 4: per-nibble counts spread into bytes (left block of
// each byte in hi, right block in lo), at most 16. 2: per-pair counts spread
// into nibbles the same way, at most 4.
template <int B>
void AccumulateBlockRow(const uint8_t* base, size_t stride, int32_t words, uint32_t* hi,
                        uint32_t* lo) {
    for (int32_t w = 0; w < words; ++w) {
        const uint8_t* p = base + 4 * static_cast<size_t>(w);
        uint32_t sumHi = 0, sumLo = 0;
        for (int r = 0; r < B; ++r) {
            uint32_t x = LoadNative32(p + r * stride);
            if (B >= 8) {
                sumHi += ByteCounts(x);
            } else if (B == 4) {
                uint32_t c = NibbleCounts(x);
                sumHi += (c >> 4) & 0x0F0F0F0Fu;
                sumLo += c & 0x0F0F0F0Fu;
            } else {
                uint32_t c = PairCounts(x);
                sumHi += (c >> 2) & 0x33333333u;
                sumLo += c & 0x33333333u;
            }
        }
        hi[w] = sumHi;
        lo[w] = sumLo;
    }
}

// Block values of one row in column order; the sums are read as bytes, which
// keeps memory order whatever the machine's byte order.
template <int B>
void FinishBlockRow(const uint32_t* hiWords, const uint32_t* loWords, int32_t words, uint8_t* row) {
    const uint8_t* hi = reinterpret_cast<const uint8_t*>(hiWords);
    const uint8_t* lo = reinterpret_cast<const uint8_t*>(loWords);
    size_t bytes = 4 * static_cast<size_t>(words);
    for (size_t i = 0; i < bytes; ++i) {
        if (B == 16) {
            if (i % 2 == 0) row[i / 2] = static_cast<uint8_t>(SqueezeCount(hi[i] + hi[i + 1]));
        } else if (B == 8) {
            row[i] = hi[i];
        } else if (B == 4) {
            row[2 * i] = hi[i];
            row[2 * i + 1] = lo[i];
        } else {
            row[4 * i] = static_cast<uint8_t>(hi[i] >> 4);
            row[4 * i + 1] = static_cast<uint8_t>(lo[i] >> 4);
            row[4 * i + 2] = hi[i] & 15;
            row[4 * i + 3] = lo[i] & 15;
        }
    }
}

template <int B> DibSurface* ReducePlain(const CanvasRegion* region, ReducerRamp* ramp) {
    RegionRows rows;
    if (!ReadRegionRows(region, &rows)) return nullptr;
    int32_t outWidth = rows.width / B, outHeight = rows.height / B;
    if (outWidth <= 0 || outHeight <= 0) return nullptr;
    RgbQuad table[256];
    CurrentRampTable(ramp, region->palette, table);
    DibSurface* out = CreateDibSurface(8, table, 256, outWidth, outHeight);
    if (!out) return nullptr;

    // Scratch: the two sums per word and one finished row (32 / B per word).
    size_t words = static_cast<size_t>(rows.words);
    void* scratch = std::malloc(words * (8 + 32 / B));
    if (!scratch) {
        ReleaseDibSurface(&out);
        return nullptr;
    }
    uint32_t* hi = static_cast<uint32_t*>(scratch);
    uint32_t* lo = hi + words;
    uint8_t* finished = reinterpret_cast<uint8_t*>(lo + words);
    size_t outStride = static_cast<size_t>(DibSurfaceStride(out));
    for (int32_t k = 0; k < outHeight; ++k) {
        AccumulateBlockRow<B>(RegionRow(rows, static_cast<int64_t>(k) * B), rows.stride, rows.words,
                              hi, lo);
        FinishBlockRow<B>(hi, lo, rows.words, finished);
        std::memcpy(out->bits + k * outStride, finished, static_cast<size_t>(outWidth));
    }
    std::free(scratch);
    return out;
}

} // namespace

DibSurface* ReduceBlocks16(const CanvasRegion* region) {
    return ReducePlain<16>(region, &ramp16);
}
DibSurface* ReduceBlocks8(const CanvasRegion* region) {
    return ReducePlain<8>(region, &ramp8);
}
DibSurface* ReduceBlocks4(const CanvasRegion* region) {
    return ReducePlain<4>(region, &ramp4);
}
DibSurface* ReduceBlocks2(const CanvasRegion* region) {
    return ReducePlain<2>(region, &ramp2);
}
