// Clipped copies between surfaces of the same format.
#include "view/surface_blit.h"

#include <algorithm>
#include <cstring>

namespace {

// Eight bits of `source` starting at bit `from`, first bit in the top bit.
// Reads the second byte only when the span straddles two bytes.
inline uint8_t GatherByte(const uint8_t* source, int64_t from) {
    const uint8_t* p = source + (from >> 3);
    uint32_t shift = static_cast<uint32_t>(from & 7);
    if (shift == 0) return p[0];
    return static_cast<uint8_t>((p[0] << shift) | (p[1] >> (8 - shift)));
}

// Eight bytes as one number, the first byte most significant, and back.
inline uint64_t LoadBigEndian64(const uint8_t* p) {
    uint64_t v;
    std::memcpy(&v, p, 8);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    v = __builtin_bswap64(v);
#endif
    return v;
}

inline void StoreBigEndian64(uint8_t* p, uint64_t v) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    v = __builtin_bswap64(v);
#endif
    std::memcpy(p, &v, 8);
}

// Writes the bits of `value` selected by `mask` into *cell.
inline void MergeByte(uint8_t* cell, uint8_t value, uint8_t mask) {
    *cell = static_cast<uint8_t>((*cell & ~mask) | (value & mask));
}

// Up to 8 bits from `from`, without reading past the last bit of the span.
inline uint8_t GatherBits(const uint8_t* source, int64_t from, int32_t count) {
    const uint8_t* p = source + (from >> 3);
    uint32_t shift = static_cast<uint32_t>(from & 7);
    uint32_t value = static_cast<uint32_t>(p[0]) << shift;
    if (shift + static_cast<uint32_t>(count) > 8) value |= p[1] >> (8 - shift);
    return static_cast<uint8_t>(value);
}

// Clips one axis of the copy: both starts move in, the length shrinks.
bool ClipAxis(int32_t* targetStart, int32_t* sourceStart, int32_t* length, int32_t targetSize,
              int32_t sourceSize) {
    int64_t t = *targetStart, s = *sourceStart, n = *length;
    int64_t skip = std::max<int64_t>({0, -t, -s});
    t += skip, s += skip, n -= skip;
    n = std::min({n, static_cast<int64_t>(targetSize) - t, static_cast<int64_t>(sourceSize) - s});
    if (n <= 0) return false;
    *targetStart = static_cast<int32_t>(t);
    *sourceStart = static_cast<int32_t>(s);
    *length = static_cast<int32_t>(n);
    return true;
}

} // namespace

void CopyBitSpan(uint8_t* target, int64_t to, const uint8_t* source, int64_t from, int64_t count) {
    if (count <= 0) return;
    // Head: bits up to the target's next byte boundary.
    int32_t head = static_cast<int32_t>((8 - (to & 7)) & 7);
    if (head > count) head = static_cast<int32_t>(count);
    if (head > 0) {
        uint32_t at = static_cast<uint32_t>(to & 7);
        uint8_t bits = static_cast<uint8_t>(GatherBits(source, from, head) >> at);
        uint8_t mask = static_cast<uint8_t>(static_cast<uint8_t>(0xFF00u >> head) >> at);
        MergeByte(target + (to >> 3), bits, mask);
        to += head, from += head, count -= head;
    }
    // Body: whole target bytes.
    int64_t whole = count >> 3;
    uint8_t* out = target + (to >> 3);
    if ((from & 7) == 0) {
        std::memcpy(out, source + (from >> 3), static_cast<size_t>(whole));
    } else {
        // Each gathered byte straddles two source bytes, both inside the span:
        // eight at a time while the ninth source byte is still inside.
        const uint8_t* in = source + (from >> 3);
        const uint32_t shift = static_cast<uint32_t>(from & 7);
        int64_t k = 0;
        for (; k + 9 <= whole; k += 8)
            StoreBigEndian64(out + k, LoadBigEndian64(in + k) << shift | in[k + 8] >> (8 - shift));
        for (; k < whole; ++k) out[k] = GatherByte(source, from + k * 8);
    }
    to += whole * 8, from += whole * 8, count -= whole * 8;
    // Tail: the remaining bits of a last target byte.
    if (count > 0) {
        int32_t tail = static_cast<int32_t>(count);
        uint8_t mask = static_cast<uint8_t>(0xFF00u >> tail);
        MergeByte(target + (to >> 3), GatherBits(source, from, tail), mask);
    }
}

int32_t BlitSurface(DibSurface* target, int32_t tx, int32_t ty, const DibSurface* source,
                    int32_t sx, int32_t sy, int32_t width, int32_t height) {
    if (!target || !source || !target->bits || !source->bits) return 1;
    const int32_t bitCount = source->header.biBitCount;
    if (bitCount != target->header.biBitCount) return 1;
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 32) return 1;
    const int32_t targetHeight = target->header.biHeight, sourceHeight = source->header.biHeight;
    if (!ClipAxis(&tx, &sx, &width, target->header.biWidth, source->header.biWidth)) return 1;
    if (!ClipAxis(&ty, &sy, &height, targetHeight, sourceHeight)) return 1;

    const int64_t targetStride = DibSurfaceStride(target), sourceStride = DibSurfaceStride(source);
    for (int32_t row = 0; row < height; ++row) {
        // Bottom-up storage: row y from the top is stored at height - 1 - y.
        uint8_t* to = target->bits + (targetHeight - 1 - (ty + row)) * targetStride;
        const uint8_t* from = source->bits + (sourceHeight - 1 - (sy + row)) * sourceStride;
        if (bitCount >= 8) {
            int64_t bytes = bitCount / 8;
            std::memcpy(to + tx * bytes, from + sx * bytes, static_cast<size_t>(width * bytes));
        } else {
            CopyBitSpan(to, static_cast<int64_t>(tx) * bitCount, from,
                        static_cast<int64_t>(sx) * bitCount,
                        static_cast<int64_t>(width) * bitCount);
        }
    }
    return 0;
}
