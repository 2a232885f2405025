// Header readers of the formats whose size sits near the start of the file.
#include "reference/picture_header.h"

#include <algorithm>
#include <cstring>

namespace {

uint32_t Big16(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) << 8 | p[1];
}
uint32_t Big32(const uint8_t* p) {
    return Big16(p) << 16 | Big16(p + 2);
}
uint32_t Little16(const uint8_t* p) {
    return static_cast<uint32_t>(p[1]) << 8 | p[0];
}
uint32_t Little24(const uint8_t* p) {
    return static_cast<uint32_t>(p[2]) << 16 | Little16(p);
}
uint32_t Little32(const uint8_t* p) {
    return static_cast<uint32_t>(p[3]) << 24 | Little24(p);
}

bool Starts(const uint8_t* data, size_t size, const char* magic, size_t at = 0) {
    const size_t length = std::strlen(magic);
    return size >= at + length && std::memcmp(data + at, magic, length) == 0;
}

bool Found(uint32_t w, uint32_t h, uint32_t& width, uint32_t& height) {
    if (w == 0 || h == 0) return false;
    width = w;
    height = h;
    return true;
}

// Walks a JPEG's segments up to its image data, handing each segment's marker
// and bytes (after the length) to `visit` until it answers true.
template <typename Visit> void WalkJpeg(const uint8_t* data, size_t size, Visit visit) {
    size_t at = 2;
    while (at + 4 <= size) {
        if (data[at] != 0xFF) return;
        const uint8_t marker = data[at + 1];
        if (marker == 0xFF) { // fill byte
            ++at;
            continue;
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) { // no length
            at += 2;
            continue;
        }
        if (marker == 0xD9 || marker == 0xDA) return; // the image data
        const size_t length = Big16(data + at + 2);
        if (length < 2) return;
        const size_t available = std::min(length - 2, size - (at + 4));
        if (visit(marker, data + at + 4, available)) return;
        at += 2 + length;
    }
}

// The start-of-frame segment's size.
bool JpegSize(const uint8_t* data, size_t size, uint32_t& width, uint32_t& height) {
    bool found = false;
    WalkJpeg(data, size, [&](uint8_t marker, const uint8_t* segment, size_t length) {
        const bool frame =
            marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (!frame) return false;
        found = length >= 5 && Found(Big16(segment + 3), Big16(segment + 1), width, height);
        return true;
    });
    return found;
}

// Tag 274 of the first directory of an "Exif" segment, in either byte order.
uint16_t ExifOrientation(const uint8_t* segment, size_t length) {
    if (length < 14 || std::memcmp(segment, "Exif\0\0", 6) != 0) return 1;
    const uint8_t* tiff = segment + 6;
    const size_t tiffSize = length - 6;
    const bool little = tiff[0] == 'I' && tiff[1] == 'I';
    if (!little && !(tiff[0] == 'M' && tiff[1] == 'M')) return 1;
    auto read16 = [&](size_t at) { return little ? Little16(tiff + at) : Big16(tiff + at); };
    auto read32 = [&](size_t at) { return little ? Little32(tiff + at) : Big32(tiff + at); };
    const size_t directory = read32(4);
    if (directory > tiffSize - 2) return 1;
    const size_t entries = read16(directory);
    for (size_t i = 0; i < entries; ++i) {
        const size_t entry = directory + 2 + i * 12;
        if (entry + 12 > tiffSize) return 1;
        if (read16(entry) != 0x0112) continue;
        const uint32_t value = read16(entry + 8);
        return read16(entry + 2) == 3 && value >= 1 && value <= 8 ? static_cast<uint16_t>(value)
                                                                  : 1;
    }
    return 1;
}

bool BmpSize(const uint8_t* data, size_t size, uint32_t& width, uint32_t& height) {
    if (size < 26) return false;
    if (Little32(data + 14) == 12)
        return Found(Little16(data + 18), Little16(data + 20), width, height);
    const int32_t w = static_cast<int32_t>(Little32(data + 18));
    const int32_t h = static_cast<int32_t>(Little32(data + 22));
    if (w <= 0 || h == INT32_MIN) return false;
    return Found(static_cast<uint32_t>(w), static_cast<uint32_t>(h < 0 ? -h : h), width, height);
}

bool WebpSize(const uint8_t* data, size_t size, uint32_t& width, uint32_t& height) {
    if (Starts(data, size, "VP8X", 12) && size >= 30)
        return Found(Little24(data + 24) + 1, Little24(data + 27) + 1, width, height);
    if (Starts(data, size, "VP8 ", 12) && size >= 30 && data[23] == 0x9D && data[24] == 0x01 &&
        data[25] == 0x2A)
        return Found(Little16(data + 26) & 0x3FFF, Little16(data + 28) & 0x3FFF, width, height);
    if (Starts(data, size, "VP8L", 12) && size >= 25 && data[20] == 0x2F) {
        const uint32_t bits = Little32(data + 21);
        return Found((bits & 0x3FFF) + 1, ((bits >> 14) & 0x3FFF) + 1, width, height);
    }
    return false;
}

} // namespace

bool DeclaredPictureSize(const uint8_t* data, size_t size, uint32_t& width, uint32_t& height) {
    if (!data) return false;
    if (Starts(data, size, "\x89PNG\r\n\x1a\n") && Starts(data, size, "IHDR", 12) && size >= 24)
        return Found(Big32(data + 16), Big32(data + 20), width, height);
    if (size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF)
        return JpegSize(data, size, width, height);
    if ((Starts(data, size, "GIF87a") || Starts(data, size, "GIF89a")) && size >= 10)
        return Found(Little16(data + 6), Little16(data + 8), width, height);
    if (Starts(data, size, "BM")) return BmpSize(data, size, width, height);
    if (Starts(data, size, "RIFF") && Starts(data, size, "WEBP", 8))
        return WebpSize(data, size, width, height);
    return false;
}

uint16_t DeclaredOrientation(const uint8_t* data, size_t size) {
    if (!data || size < 3 || data[0] != 0xFF || data[1] != 0xD8 || data[2] != 0xFF) return 1;
    uint16_t orientation = 1;
    WalkJpeg(data, size, [&](uint8_t marker, const uint8_t* segment, size_t length) {
        if (marker != 0xE1) return false;
        orientation = ExifOrientation(segment, length);
        return orientation != 1;
    });
    return orientation;
}
