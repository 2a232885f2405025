// Header readers of the formats whose size sits near the start of the file.
#include "reference/picture_header.h"

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

// The start-of-frame segment, reached by walking the segments before it.
bool JpegSize(const uint8_t* data, size_t size, uint32_t& width, uint32_t& height) {
    size_t at = 2;
    while (at + 4 <= size) {
        if (data[at] != 0xFF) return false;
        const uint8_t marker = data[at + 1];
        if (marker == 0xFF) { // fill byte
            ++at;
            continue;
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) { // no length
            at += 2;
            continue;
        }
        const size_t length = Big16(data + at + 2);
        if (length < 2) return false;
        const bool frame =
            marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame) {
            if (at + 9 > size) return false;
            return Found(Big16(data + at + 7), Big16(data + at + 5), width, height);
        }
        if (marker == 0xD9 || marker == 0xDA) return false; // image data before any frame
        at += 2 + length;
    }
    return false;
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
