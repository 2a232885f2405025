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
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "view/block_reducer_bits.h"
#include "view/block_reducer_list.h"
#include "view/block_reducer_ramp.h"

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

template <int B, int S, typename T>
inline void AddWindows(const uint32_t* ext, int32_t w, const ChannelSums& sums) {
    T prev = LoadAs<T>(ext + w), cur = LoadAs<T>(ext + w + 1), next = LoadAs<T>(ext + w + 2);
    T red = (cur >> S) | (prev << (32 - S));
    T blue = (cur << S) | (next >> (32 - S));
    AddCounts<B>(red, sums.hi[0] + w, sums.lo[0] + w);
    AddCounts<B>(cur, sums.hi[1] + w, sums.lo[1] + w);
    AddCounts<B>(blue, sums.hi[2] + w, sums.lo[2] + w);
}

// Drawings are mostly paper: a word whose windows (itself and its two
// neighbours) are all paper, or all ink, in every row of a block row has the
// colour of every other such word, with nothing to count.
// Folds one row into the AND and OR of the block row's columns.
void MergeRow(const uint32_t* ext, size_t count, uint32_t* allSet, uint32_t* anySet) {
    size_t i = 0;
    for (; i + kLanes <= count; i += kLanes) {
        WordLanes x = LoadAs<WordLanes>(ext + i);
        StoreAs(allSet + i, LoadAs<WordLanes>(allSet + i) & x);
        StoreAs(anySet + i, LoadAs<WordLanes>(anySet + i) | x);
    }
    for (; i < count; ++i) {
        allSet[i] &= ext[i];
        anySet[i] |= ext[i];
    }
}

// Marks each group of kLanes words that holds a mixed word, from the AND
// and OR of the block row's columns (stand-in words included): its sums must
// be added. The words of the other groups are each all paper or all ink.
void MarkMixedGroups(const uint32_t* allSet, const uint32_t* anySet, int32_t words,
                     uint8_t* groupMixed) {
    int32_t w = 0;
    for (; w + kLanes <= words; w += kLanes) {
        WordLanes all = LoadAs<WordLanes>(allSet + w) & LoadAs<WordLanes>(allSet + w + 1) &
                        LoadAs<WordLanes>(allSet + w + 2);
        WordLanes any = LoadAs<WordLanes>(anySet + w) | LoadAs<WordLanes>(anySet + w + 1) |
                        LoadAs<WordLanes>(anySet + w + 2);
        // A word is mixed unless all its bits are set in every row or none is.
        WordLanes mixed = (all != ~0u) & (any != 0u);
        uint32_t folded = 0;
        for (int32_t lane = 0; lane < kLanes; ++lane)
            folded |= LoadAs<uint32_t>(reinterpret_cast<const uint32_t*>(&mixed) + lane);
        groupMixed[w / kLanes] = folded != 0;
    }
    if (w < words) {
        uint32_t folded = 0;
        for (; w < words; ++w)
            folded |= (allSet[w] & allSet[w + 1] & allSet[w + 2]) != ~0u &&
                      (anySet[w] | anySet[w + 1] | anySet[w + 2]) != 0u;
        groupMixed[(w - 1) / kLanes] = folded != 0;
    }
}

// Adds one row's windows to the sums of the groups that hold a mixed word;
// the words of those groups all count as mixed from then on.
template <int B, int S>
void AccumulateRow(const uint32_t* ext, int32_t words, const uint8_t* groupMixed,
                   const ChannelSums& sums) {
    int32_t w = 0;
    for (; w + kLanes <= words; w += kLanes)
        if (groupMixed[w / kLanes]) AddWindows<B, S, WordLanes>(ext, w, sums);
    for (; w < words; ++w)
        if (groupMixed[w / kLanes]) AddWindows<B, S, uint32_t>(ext, w, sums);
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

// The colour of a word whose windows are all alike, as the counting path
// makes it: the same sums run through the same look-ups.
template <int B, int S> uint32_t UniformPixel(uint32_t fill, const ChannelParts& parts) {
    uint32_t hi[3][1] = {}, lo[3][1] = {};
    const ChannelSums sums{{hi[0], hi[1], hi[2]}, {lo[0], lo[1], lo[2]}};
    const uint32_t ext[3] = {fill, fill, fill};
    for (int r = 0; r < B; ++r) AddWindows<B, S, uint32_t>(ext, 0, sums);
    return parts.red[BlockCount<B>(hi[0][0], lo[0][0], 0)] |
           parts.green[BlockCount<B>(hi[1][0], lo[1][0], 0)] |
           parts.blue[BlockCount<B>(hi[2][0], lo[2][0], 0)];
}

template <int B>
void FinishPixelRow(const ChannelSums& sums, const ChannelParts& parts, const uint32_t* allSet,
                    const uint8_t* groupMixed, const uint32_t uniform[2], int32_t outWidth,
                    uint8_t* row) {
    constexpr int kPerWord = 32 / B;
    auto pixelAt = [&](int32_t w, int j) {
        return parts.red[BlockCount<B>(sums.hi[0][w], sums.lo[0][w], j)] |
               parts.green[BlockCount<B>(sums.hi[1][w], sums.lo[1][w], j)] |
               parts.blue[BlockCount<B>(sums.hi[2][w], sums.lo[2][w], j)];
    };
    int32_t fullWords = outWidth / kPerWord;
    for (int32_t w = 0; w < fullWords; ++w) {
        uint8_t* at = row + 4 * static_cast<size_t>(w) * kPerWord;
        if (!groupMixed[w / kLanes]) {
            // An alike word is paper when all its own bits are set.
            const uint32_t pixel = uniform[allSet[w + 1] == ~0u ? 0 : 1];
            for (int j = 0; j < kPerWord; ++j) StoreAs(at + 4 * j, pixel);
        } else {
            for (int j = 0; j < kPerWord; ++j) StoreAs(at + 4 * j, pixelAt(w, j));
        }
    }
    for (int32_t c = fullWords * kPerWord; c < outWidth; ++c)
        StoreAs(row + 4 * static_cast<size_t>(c),
                groupMixed[fullWords / kLanes] ? pixelAt(fullWords, c % kPerWord)
                                               : uniform[allSet[fullWords + 1] == ~0u ? 0 : 1]);
}

template <int B, int S> DibSurface* ReduceSubPixel(const CanvasRegion* region, ReducerRamp* ramp) {
    RegionRows rows;
    if (!ReadRegionRows(region, &rows)) return nullptr;
    int32_t outWidth = rows.width / B, outHeight = rows.height / B;
    if (outWidth <= 0 || outHeight <= 0) return nullptr;
    RgbQuad table[256];
    CurrentRampTable(ramp, region->palette, table);
    ChannelParts parts;
    MakeChannelParts(table, &parts);
    // Paper, then ink.
    const uint32_t uniform[2] = {UniformPixel<B, S>(~0u, parts), UniformPixel<B, S>(0u, parts)};
    DibSurface* out = CreateDibSurface(32, nullptr, 0, outWidth, outHeight);
    if (!out) return nullptr;

    // Scratch: six sum arrays, the block row's B rows with their two stand-in
    // words, the AND and OR of its columns, and the group marks.
    const size_t words = static_cast<size_t>(rows.words);
    const size_t extWords = words + 2;
    const size_t groups = (words + kLanes - 1) / kLanes;
    const size_t scratchWords = 6 * words + (B + 2) * extWords + (groups + 3) / 4 + 1;
    uint32_t* scratch = static_cast<uint32_t*>(std::malloc(scratchWords * sizeof(uint32_t)));
    if (!scratch) {
        ReleaseDibSurface(&out);
        return nullptr;
    }
    ChannelSums sums;
    for (int c = 0; c < 3; ++c) {
        sums.hi[c] = scratch + (2 * c) * words;
        sums.lo[c] = scratch + (2 * c + 1) * words;
    }
    uint32_t* ext = scratch + 6 * words; // B rows of extWords
    uint32_t* allSet = ext + B * extWords;
    uint32_t* anySet = allSet + extWords;
    auto* groupMixed = reinterpret_cast<uint8_t*>(anySet + extWords);
    size_t outStride = static_cast<size_t>(DibSurfaceStride(out));
    for (int32_t k = 0; k < outHeight; ++k) {
        for (int r = 0; r < B; ++r) {
            uint32_t* rowExt = ext + r * extWords;
            LoadRowWithEdges(RegionRow(rows, static_cast<int64_t>(k) * B + r), rows.width,
                             rows.words, rowExt);
            if (r == 0) {
                std::memcpy(allSet, rowExt, extWords * sizeof(uint32_t));
                std::memcpy(anySet, rowExt, extWords * sizeof(uint32_t));
            } else {
                MergeRow(rowExt, extWords, allSet, anySet);
            }
        }
        MarkMixedGroups(allSet, anySet, rows.words, groupMixed);
        std::memset(scratch, 0, 6 * words * sizeof(uint32_t));
        for (int r = 0; r < B; ++r)
            AccumulateRow<B, S>(ext + r * extWords, rows.words, groupMixed, sums);
        FinishPixelRow<B>(sums, parts, allSet, groupMixed, uniform, outWidth,
                          out->bits + k * outStride);
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
