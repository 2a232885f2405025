// Sub-pixel block reducers: for each B × B block three counts over the same
// rows — red over the B columns starting s columns left of the block, green
// over the block, blue over the B columns starting s columns right — each
// looked up in the ramp's own channel, which sharpens the view on striped
// (RGB) displays.
//
// Seams: inside a row the shifted windows take their outside columns from
// the neighbouring words, so every block sees its true neighbours. At the
// ends of a row the edge column is repeated: the red window of the first
// block sees column 0 in the s columns before it, and the blue window of the
// last block sees the row's last column after it. A region's edge is the
// canvas edge or lies outside the rectangle the caller copies, so repeating
// the edge adds no coloured fringe there.
#include <cstdlib>

#include "view/block_reducer_bits.h"
#include "view/block_reducer_list.h"
#include "view/block_reducer_ramp.h"
#include "view/block_reducer_sub_pixel_wide.h"

namespace {

ReducerRamp rampSub16{256, RampFill::RepeatLast};
ReducerRamp rampSub8{65, RampFill::RepeatLast};
ReducerRamp rampSub4{17, RampFill::RepeatLast};

// One row in pixel order, with a stand-in word on either side and the
// padding bits of the last word replaced by the row's last column.
void LoadRowWithEdges(const uint8_t* row, int32_t width, int32_t words, uint32_t* ext) {
    int32_t w = 0;
    for (; w + kLanes <= words; w += kLanes)
        StoreAs(ext + w + 1, PixelOrder(LoadAs<WordLanes>(row + 4 * w)));
    for (; w < words; ++w) ext[w + 1] = PixelOrder(LoadAs<uint32_t>(row + 4 * w));
    int32_t valid = width - 32 * (words - 1); // 1..32 pixels in the last word
    uint32_t last = ext[words];
    uint32_t edge = (last >> (32 - valid)) & 1u;
    if (valid < 32) {
        uint32_t keep = ~0u << (32 - valid);
        last = (last & keep) | (edge ? ~keep : 0u);
        ext[words] = last;
    }
    ext[0] = 0u - (ext[1] >> 31);
    ext[words + 1] = 0u - edge;
}

// Adds one word's count fields (or kLanes words') to a block-row sum; as in
// the plain reducers, 4 × 4 blocks spread their nibble counts into bytes
// (left block in hi).
template <int B, typename T> inline void AddCounts(T x, uint32_t* hi, uint32_t* lo) {
    if (B >= 8) {
        StoreAs(hi, LoadAs<T>(hi) + ByteCounts(x));
    } else {
        T c = NibbleCounts(x);
        StoreAs(hi, LoadAs<T>(hi) + ((c >> 4) & 0x0F0F0F0Fu));
        StoreAs(lo, LoadAs<T>(lo) + (c & 0x0F0F0F0Fu));
    }
}

// Count of block j (0 … 32 / B − 1, left to right) of a word's sums.
template <int B> inline uint32_t BlockCount(uint32_t hi, uint32_t lo, int j) {
    if (B == 16) return SqueezeCount(PixelOrderByte(hi, 2 * j) + PixelOrderByte(hi, 2 * j + 1));
    if (B == 8) return PixelOrderByte(hi, j);
    return PixelOrderByte(j % 2 == 0 ? hi : lo, j / 2);
}

// Sums per word: red, green and blue, each as hi and lo.
struct ChannelSums {
    uint32_t* hi[3];
    uint32_t* lo[3];
};

// Set bits of the low S bits of each byte (the others are clear): a pair
// count for S <= 2, a full byte count otherwise.
template <int S, typename T> inline T EdgeCount(T x) {
    if (S == 1) return x;
    if (S == 2) return PairCounts(x);
    return ByteCounts(x);
}

template <int B, int S, typename T>
inline void AddWindows(const uint32_t* ext, int32_t w, const ChannelSums& sums) {
    T prev = LoadAs<T>(ext + w), cur = LoadAs<T>(ext + w + 1), next = LoadAs<T>(ext + w + 2);
    T red = (cur >> S) | (prev << (32 - S));
    T blue = (cur << S) | (next >> (32 - S));
    AddCounts<B>(red, sums.hi[0] + w, sums.lo[0] + w);
    AddCounts<B>(cur, sums.hi[1] + w, sums.lo[1] + w);
    AddCounts<B>(blue, sums.hi[2] + w, sums.lo[2] + w);
}

// The first row of a block row stores its counts, the others add theirs.
template <bool kFirst, typename T> inline void AddTo(uint32_t* sum, T counts) {
    StoreAs(sum, kFirst ? counts : LoadAs<T>(sum) + counts);
}

// Words as a little-endian load gives them: byte k of the row in bits 8k to
// 8k + 7, its leftmost pixel in the byte's top bit. Byte blocks keep their
// counts in place, so they need no pixel order: a block of 8 is one byte, a
// block of 16 two (its left half in the lower one).
template <typename T> inline T LittleOrder(T x) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    return (x >> 24) | ((x >> 8) & 0xFF00u) | ((x << 8) & 0xFF0000u) | (x << 24);
#else
    return x;
#endif
}

// Blocks of whole bytes need no shifted windows: the red window of a block is
// the block less its last S columns plus the last S columns of the block
// before, the blue window the block less its first S columns plus the first
// S of the block after. So each word adds its block counts and the counts of
// each block's first and last S columns, which take a mask and a short count
// instead of two shifts across words and two full counts. The edge counts
// sit at the bottom of each block's field.
template <int B, int S, bool kFirst, typename T>
inline void AddBlockEdges(T cur, int32_t w, const ChannelSums& sums) {
    static_assert(B >= 8 && S < 8, "byte blocks, edges inside one byte");
    constexpr uint32_t kLow = B == 8 ? 0x01010101u : 0x00010001u;
    constexpr uint32_t kEdge = kLow * ((1u << S) - 1);
    // The last S columns are the low bits of the block's right byte, the
    // first S the top bits of its left byte.
    constexpr int kTailShift = B == 16 ? 8 : 0;
    constexpr int kHeadShift = 8 - S;
    AddTo<kFirst>(sums.hi[1] + w, ByteCounts(cur));
    AddTo<kFirst>(sums.hi[0] + w, EdgeCount<S>((cur >> kTailShift) & kEdge));
    AddTo<kFirst>(sums.hi[2] + w, EdgeCount<S>((cur >> kHeadShift) & kEdge));
}

template <int B, int S>
void AccumulateRow(const uint32_t* ext, int32_t words, const ChannelSums& sums) {
    int32_t w = 0;
    for (; w + kLanes <= words; w += kLanes) AddWindows<B, S, WordLanes>(ext, w, sums);
    for (; w < words; ++w) AddWindows<B, S, uint32_t>(ext, w, sums);
}

// Byte blocks read the row itself, as they need no neighbouring words: the
// words from `from` on but the last straight from the row, the last with its
// padding bits replaced by the row's last column, as LoadRowWithEdges does.
// Adds the row's first and last column to the edge counts.
template <int B, int S, bool kFirst>
void AccumulateEdgeRow(const uint8_t* row, int32_t width, int32_t words, int32_t from,
                       const ChannelSums& sums, uint32_t* edgeLeft, uint32_t* edgeRight) {
    if (from >= words) {
        // All counted already, which only a row of whole words allows: its
        // last column is the last byte's lowest bit.
        *edgeLeft += row[0] >> 7;
        *edgeRight += row[4 * static_cast<size_t>(words) - 1] & 1u;
        return;
    }
    const int32_t whole = words - 1;
    int32_t w = from;
    for (; w + kLanes <= whole; w += kLanes)
        AddBlockEdges<B, S, kFirst>(LittleOrder(LoadAs<WordLanes>(row + 4 * w)), w, sums);
    for (; w < whole; ++w)
        AddBlockEdges<B, S, kFirst>(LittleOrder(LoadAs<uint32_t>(row + 4 * w)), w, sums);
    uint32_t last = PixelOrder(LoadAs<uint32_t>(row + 4 * whole));
    const int32_t valid = width - 32 * whole; // 1..32 pixels in the last word
    const uint32_t edge = (last >> (32 - valid)) & 1u;
    if (valid < 32) {
        const uint32_t keep = ~0u << (32 - valid);
        last = (last & keep) | (edge ? ~keep : 0u);
    }
    // Pixel order back to the machine's, then to little-endian order.
    AddBlockEdges<B, S, kFirst>(LittleOrder(PixelOrder(last)), whole, sums);
    *edgeLeft += row[0] >> 7;
    *edgeRight += edge;
}

// Each channel's ramp byte for each count, already placed in a pixel word
// whose bytes in memory are blue, green, red, 0 (so a pixel is three look-ups
// ORed together and one store, whatever the machine's byte order).
struct ChannelParts {
    uint32_t red[256];
    uint32_t green[256];
    uint32_t blue[256];
};

uint32_t PixelWord(uint8_t blue, uint8_t green, uint8_t red) {
    const uint8_t bytes[4] = {blue, green, red, 0};
    uint32_t word;
    std::memcpy(&word, bytes, 4);
    return word;
}

void MakeChannelParts(const RgbQuad table[256], ChannelParts* parts) {
    for (int i = 0; i < 256; ++i) {
        parts->red[i] = PixelWord(0, 0, table[i].rgbRed);
        parts->green[i] = PixelWord(0, table[i].rgbGreen, 0);
        parts->blue[i] = PixelWord(table[i].rgbBlue, 0, 0);
    }
}

// The same for sums of block edges: channel 0 holds the blocks' last S
// columns, 1 the blocks, 2 their first S columns; edgeLeft and edgeRight are
// what the stand-in columns outside the row add to the red window of the
// first block and the blue window of the last.
// The same for sums of block edges: channel 0 holds the blocks' last S
// columns, 1 the blocks, 2 their first S columns; edgeLeft and edgeRight are
// what the stand-in columns outside the row add to the red window of the
// first block and the blue window of the last. All blocks of a word at once:
// a word of block counts (B bits each; 16-bit blocks fold their two byte
// counts), less the edges, plus the neighbours' edges moved one block along.
// No field borrows or carries: an edge is part of its block, and every
// window holds at most B * B pixels.
// Starts at word `from`, whose blocks before it are done.
template <int B>
void FinishEdgeRow(const ChannelSums& sums, const ChannelParts& parts, int32_t outWidth,
                   uint32_t edgeLeft, uint32_t edgeRight, int32_t words, int32_t from,
                   uint8_t* row) {
    constexpr int kPerWord = 32 / B;
    constexpr uint32_t kField = B == 16 ? 0xFFFFu : 0xFFu;
    auto squeeze = [](uint32_t n) { return B == 16 ? SqueezeCount(n) : n; };
    const int32_t used = (outWidth + kPerWord - 1) / kPerWord;
    // As the last block of a word.
    uint32_t tailsBefore = from > 0 ? sums.hi[0][from - 1] : edgeLeft << (32 - B);
    for (int32_t w = from; w < used; ++w) {
        const uint32_t bytes = sums.hi[1][w];
        const uint32_t greens =
            B == 16 ? (bytes & 0x00FF00FFu) + ((bytes >> 8) & 0x00FF00FFu) : bytes;
        const uint32_t tails = sums.hi[0][w], heads = sums.hi[2][w];
        const uint32_t headsAfter = w + 1 < words ? sums.hi[2][w + 1] : edgeRight;
        const uint32_t reds = greens - tails + ((tails << B) | (tailsBefore >> (32 - B)));
        const uint32_t blues = greens - heads + ((heads >> B) | (headsAfter << (32 - B)));
        tailsBefore = tails;
        uint8_t* out = row + 4 * static_cast<size_t>(w) * kPerWord;
        auto put = [&](int j) {
            const int at = B * j;
            StoreAs(out + 4 * j, parts.red[squeeze((reds >> at) & kField)] |
                                     parts.green[squeeze((greens >> at) & kField)] |
                                     parts.blue[squeeze((blues >> at) & kField)]);
        };
        if (w + 1 < used) {
#pragma GCC unroll 4
            for (int j = 0; j < kPerWord; ++j) put(j);
        } else {
            for (int j = 0; j < outWidth - w * kPerWord; ++j) put(j);
        }
    }
}

template <int B>
void FinishPixelRow(const ChannelSums& sums, const ChannelParts& parts, int32_t outWidth,
                    uint8_t* row) {
    constexpr int kPerWord = 32 / B;
    auto pixelAt = [&](int32_t w, int j) {
        return parts.red[BlockCount<B>(sums.hi[0][w], sums.lo[0][w], j)] |
               parts.green[BlockCount<B>(sums.hi[1][w], sums.lo[1][w], j)] |
               parts.blue[BlockCount<B>(sums.hi[2][w], sums.lo[2][w], j)];
    };
    int32_t fullWords = outWidth / kPerWord;
    for (int32_t w = 0; w < fullWords; ++w)
        for (int j = 0; j < kPerWord; ++j)
            StoreAs(row + 4 * (static_cast<size_t>(w) * kPerWord + j), pixelAt(w, j));
    for (int32_t c = fullWords * kPerWord; c < outWidth; ++c)
        StoreAs(row + 4 * static_cast<size_t>(c), pixelAt(fullWords, c % kPerWord));
}

uint8_t* SumBytes(uint32_t* sum) {
    return reinterpret_cast<uint8_t*>(sum);
}

// The leading blocks of a byte-block row with the wide kernels; returns the
// words done. The columns beyond the row's ends go where the kernels read
// them: one field before the tails and one after the last word's heads,
// in the spare words around the sums.
template <int B>
int32_t FinishRowWide(const SubPixelKernels& wide, const ChannelSums& sums,
                      const ChannelParts& parts, const uint8_t (&rampBytes)[3][80],
                      int32_t outWidth, uint32_t edgeLeft, uint32_t edgeRight, size_t words,
                      uint8_t* outRow) {
    constexpr int kField = B / 8; // bytes per block
    uint8_t* tails = SumBytes(sums.hi[0]);
    uint8_t* heads = SumBytes(sums.hi[2]);
    tails[-kField] = static_cast<uint8_t>(edgeLeft);
    heads[4 * words] = static_cast<uint8_t>(edgeRight);
    const size_t blocks = static_cast<size_t>(outWidth);
    size_t done;
    if constexpr (B == 8) {
        done = wide.finish8(SumBytes(sums.hi[1]), tails, heads, rampBytes, blocks, outRow);
    } else {
        const uint32_t* const channels[3] = {parts.red, parts.green, parts.blue};
        done = wide.finish16(SumBytes(sums.hi[1]), tails, heads, channels, blocks, outRow);
    }
    return static_cast<int32_t>(done / (32 / B));
}

template <int B, int S> DibSurface* ReduceSubPixel(const CanvasRegion* region, ReducerRamp* ramp) {
    RampJob job;
    if (!StartRampJob(region, ramp, B, &job)) return nullptr;
    const RegionRows& rows = job.rows;
    const int32_t outWidth = job.outWidth, outHeight = job.outHeight;
    ChannelParts parts;
    MakeChannelParts(job.table, &parts);
    DibSurface* out = CreateDibSurface(32, nullptr, 0, outWidth, outHeight);
    if (!out) return nullptr;

    // Scratch: six sum arrays, each with a spare word before and after it,
    // and one row with its two stand-in words.
    size_t words = static_cast<size_t>(rows.words);
    uint32_t* scratch = static_cast<uint32_t*>(std::calloc(7 * (words + 2), sizeof(uint32_t)));
    if (!scratch) {
        ReleaseDibSurface(&out);
        return nullptr;
    }
    ChannelSums sums;
    for (int c = 0; c < 3; ++c) {
        sums.hi[c] = scratch + 1 + (2 * c) * (words + 2);
        sums.lo[c] = scratch + 1 + (2 * c + 1) * (words + 2);
    }
    uint32_t* ext = scratch + 6 * (words + 2);
    size_t outStride = static_cast<size_t>(DibSurfaceStride(out));
    // Byte blocks count their rows with the byte-shuffle kernels where the
    // processor has them, all but a last word with padding bits, which need
    // care, and finish their pixels with them too.
    const SubPixelKernels* wide = B >= 8 ? BestSubPixelKernels() : nullptr;
    const SubPixelCounts wideCounts = !wide ? nullptr : B == 8 ? wide->counts8 : wide->counts16;
    const size_t wideBytes = 4 * (rows.width % 32 == 0 ? words : words - 1);
    uint8_t rampBytes[3][80] = {};
    for (int i = 0; i <= 64; ++i) {
        rampBytes[0][i] = job.table[i].rgbRed;
        rampBytes[1][i] = job.table[i].rgbGreen;
        rampBytes[2][i] = job.table[i].rgbBlue;
    }
    for (int32_t k = 0; k < outHeight; ++k) {
        // Byte blocks store their first row's counts; the others add to zeros.
        if (B < 8)
            for (int c = 0; c < 3; ++c) {
                std::memset(sums.hi[c], 0, words * sizeof(uint32_t));
                std::memset(sums.lo[c], 0, words * sizeof(uint32_t));
            }
        uint32_t edgeLeft = 0, edgeRight = 0;
        int32_t from = 0;
        if (wideCounts)
            from = static_cast<int32_t>(wideCounts(RegionRow(rows, static_cast<int64_t>(k) * B),
                                                   rows.stride, wideBytes, SumBytes(sums.hi[1]),
                                                   SumBytes(sums.hi[0]), SumBytes(sums.hi[2])) /
                                        4);
        for (int r = 0; r < B; ++r) {
            const uint8_t* row = RegionRow(rows, static_cast<int64_t>(k) * B + r);
            if constexpr (B >= 8) {
                if (r == 0)
                    AccumulateEdgeRow<B, S, true>(row, rows.width, rows.words, from, sums,
                                                  &edgeLeft, &edgeRight);
                else
                    AccumulateEdgeRow<B, S, false>(row, rows.width, rows.words, from, sums,
                                                   &edgeLeft, &edgeRight);
            } else {
                LoadRowWithEdges(row, rows.width, rows.words, ext);
                AccumulateRow<B, S>(ext, rows.words, sums);
            }
        }
        if constexpr (B >= 8) {
            uint8_t* outRow = out->bits + k * outStride;
            const int32_t done = wide ? FinishRowWide<B>(*wide, sums, parts, rampBytes, outWidth,
                                                         S * edgeLeft, S * edgeRight, words, outRow)
                                      : 0;
            FinishEdgeRow<B>(sums, parts, outWidth, S * edgeLeft, S * edgeRight, rows.words, done,
                             outRow);
        } else
            FinishPixelRow<B>(sums, parts, outWidth, out->bits + k * outStride);
    }
    std::free(scratch);
    return out;
}

} // namespace

DibSurface* ReduceSubPixel16(const CanvasRegion* region) {
    return ReduceSubPixel<16, 5>(region, &rampSub16);
}
DibSurface* ReduceSubPixel8(const CanvasRegion* region) {
    return ReduceSubPixel<8, 2>(region, &rampSub8);
}
DibSurface* ReduceSubPixel4(const CanvasRegion* region) {
    return ReduceSubPixel<4, 1>(region, &rampSub4);
}
