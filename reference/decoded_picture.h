// A reference picture as the system codecs decoded it, and the size the
// decoder accepts: the cap is checked on the frame's declared size before any
// pixel memory is taken.
#pragma once

#include <cstdint>
#include <vector>

// Top-down rows, one 0xAARRGGBB word per pixel (straight, not premultiplied alpha).
struct DecodedPicture {
    uint32_t width = 0, height = 0;
    std::vector<uint32_t> pixels;
};

// Largest picture taken: 64 million pixels (256 MB decoded), more than a
// 60-megapixel camera gives; a picture with either side above kMaxReferenceSide
// is refused as well, whatever its pixel count.
constexpr uint64_t kMaxReferencePixels = 64000000;
constexpr uint32_t kMaxReferenceSide = 65535;

// Whether a frame of that declared size may be decoded.
constexpr bool ReferenceSizeAccepted(uint64_t width, uint64_t height) {
    return width > 0 && height > 0 && width <= kMaxReferenceSide && height <= kMaxReferenceSide &&
           width * height <= kMaxReferencePixels;
}
