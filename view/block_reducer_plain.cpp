// Plain block reducers: each output pixel is the number of set canvas pixels
// in its B × B block, used as an index into the reducer's colour ramp. The
// rows of a block row are counted a word at a time and their per-field
// counts added, so no loop ever runs per pixel.
#include <cstdlib>

#include "view/block_reducer_bits.h"
#include "view/block_reducer_list.h"
#include "view/block_reducer_ramp.h"
#include "view/block_reducer_wide.h"

namespace {

ReducerRamp ramp16{256, RampFill::RepeatLast};
ReducerRamp ramp8{65, RampFill::RepeatLast};
ReducerRamp ramp4{17, RampFill::RepeatLast};
ReducerRamp ramp2{5, RampFill::Zero};

// One row's count fields of one word (or of kLanes words side by side when
// T is WordLanes), added into the block row's sums.
//
// 16 and 8: per-byte counts. The nibble counts of three rows are gathered in
// nib before they are spread into bytes (3 × 4 still fits a nibble), which
// saves the byte step on two rows of three. Step says where the row stands
// in its group: kStart begins nib, kAdd adds to it, kFlush adds nib and the
// row into the byte sums in hi, kSingle adds the row alone.
// 4: per-nibble counts spread into bytes, left block of each byte in hi and
// right block in lo. 2: per-pair counts spread into nibbles the same way.
enum GroupStep { kStart, kAdd, kFlush, kSingle };

template <int B, int Step, typename T>
inline void AddRow(const uint8_t* p, uint32_t* hi, uint32_t* lo, uint32_t* nib) {
    T x = LoadAs<T>(p);
    if (B >= 8) {
        T n = NibbleCounts(x);
        if (Step == kStart) StoreAs(nib, n);
        if (Step == kAdd) StoreAs(nib, LoadAs<T>(nib) + n);
        if (Step == kFlush) StoreAs(hi, LoadAs<T>(hi) + NibblesToBytes(LoadAs<T>(nib) + n));
        if (Step == kSingle) StoreAs(hi, LoadAs<T>(hi) + NibblesToBytes(n));
    } else if (B == 4) {
        T c = NibbleCounts(x);
        StoreAs(hi, LoadAs<T>(hi) + ((c >> 4) & 0x0F0F0F0Fu));
        StoreAs(lo, LoadAs<T>(lo) + (c & 0x0F0F0F0Fu));
    } else {
        T c = PairCounts(x);
        StoreAs(hi, LoadAs<T>(hi) + ((c >> 2) & 0x33333333u));
        StoreAs(lo, LoadAs<T>(lo) + (c & 0x33333333u));
    }
}

// One row, word by word. Rows are taken one at a time so that the block row,
// one contiguous run of memory, is read strictly front to back (reading
// several rows side by side proved about twice as slow); the sums, a few
// kilobytes, stay in the first-level cache.
template <int B, int Step>
void AddRowWords(const uint8_t* row, int32_t words, uint32_t* hi, uint32_t* lo, uint32_t* nib) {
    int32_t w = 0;
    if (B >= 8 && WideBlockCountsUsable()) w = AddByteCounts_Avx2(row, Step, words, hi, nib);
    for (; w + kLanes <= words; w += kLanes)
        AddRow<B, Step, WordLanes>(row + 4 * static_cast<size_t>(w), hi + w, lo + w, nib + w);
    for (; w < words; ++w)
        AddRow<B, Step, uint32_t>(row + 4 * static_cast<size_t>(w), hi + w, lo + w, nib + w);
}

// Per-field sums of the B rows of one block row: at most 128 (16), 64 (8),
// 16 (4) or 4 (2), so no field overflows.
template <int B>
void AccumulateBlockRow(const uint8_t* base, size_t stride, int32_t words, uint32_t* hi,
                        uint32_t* lo, uint32_t* nib) {
    std::memset(hi, 0, 2 * sizeof(uint32_t) * static_cast<size_t>(words));
    int r = 0;
    if (B >= 8) {
        for (; r + 3 <= B; r += 3) {
            AddRowWords<B, kStart>(base + r * stride, words, hi, lo, nib);
            AddRowWords<B, kAdd>(base + (r + 1) * stride, words, hi, lo, nib);
            AddRowWords<B, kFlush>(base + (r + 2) * stride, words, hi, lo, nib);
        }
        if (B - r == 2) {
            AddRowWords<B, kStart>(base + r * stride, words, hi, lo, nib);
            AddRowWords<B, kFlush>(base + (r + 1) * stride, words, hi, lo, nib);
            return;
        }
    }
    for (; r < B; ++r) AddRowWords<B, kSingle>(base + r * stride, words, hi, lo, nib);
}

// The row's output pixels, left to right. The sums are read as bytes, which
// keeps memory order whatever the machine's byte order.
template <int B>
void FinishBlockRow(const uint32_t* hiWords, const uint32_t* loWords, int32_t outWidth,
                    uint8_t* row) {
    const uint8_t* hi = reinterpret_cast<const uint8_t*>(hiWords);
    const uint8_t* lo = reinterpret_cast<const uint8_t*>(loWords);
    size_t n = static_cast<size_t>(outWidth);
    if (B == 16) {
        for (size_t j = 0; j < n; ++j)
            row[j] = static_cast<uint8_t>(SqueezeCount(hi[2 * j] + hi[2 * j + 1]));
    } else if (B == 8) {
        std::memcpy(row, hi, n);
    } else if (B == 4) {
        for (size_t j = 0; j < n; ++j) row[j] = j & 1 ? lo[j / 2] : hi[j / 2];
    } else {
        // Byte i holds blocks 4i … 4i + 3 as: hi high nibble, lo high, hi low, lo low.
        for (size_t j = 0; j < n; ++j) {
            uint8_t both = j & 1 ? lo[j / 4] : hi[j / 4];
            row[j] = static_cast<uint8_t>(j & 2 ? both & 15 : both >> 4);
        }
    }
}

template <int B> DibSurface* ReducePlain(const CanvasRegion* region, ReducerRamp* ramp) {
    RampJob job;
    if (!StartRampJob(region, ramp, B, &job)) return nullptr;
    const RegionRows& rows = job.rows;
    const int32_t outWidth = job.outWidth, outHeight = job.outHeight;
    DibSurface* out = CreateDibSurface(8, job.table, 256, outWidth, outHeight);
    if (!out) return nullptr;

    // Scratch per word: the two sums and the gathered nibble counts.
    size_t words = static_cast<size_t>(rows.words);
    void* scratch = std::malloc(words * 3 * sizeof(uint32_t));
    if (!scratch) {
        ReleaseDibSurface(&out);
        return nullptr;
    }
    uint32_t* hi = static_cast<uint32_t*>(scratch);
    uint32_t* lo = hi + words;
    uint32_t* nib = lo + words;
    size_t outStride = static_cast<size_t>(DibSurfaceStride(out));
    for (int32_t k = 0; k < outHeight; ++k) {
        AccumulateBlockRow<B>(RegionRow(rows, static_cast<int64_t>(k) * B), rows.stride, rows.words,
                              hi, lo, nib);
        FinishBlockRow<B>(hi, lo, outWidth, out->bits + k * outStride);
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
