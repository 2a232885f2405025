// Fuzzes the header readers that see every dropped picture before a codec does.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "reference/decoded_picture.h"
#include "reference/picture_header.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // An exact-size copy, so that any read past the end is caught.
    std::vector<uint8_t> bytes(data, data + size);
    uint32_t width = 0, height = 0;
    if (DeclaredPictureSize(bytes.data(), bytes.size(), width, height)) {
        if (width == 0 || height == 0) std::abort();
        (void)ReferenceSizeAccepted(width, height);
    }
    const uint16_t orientation = DeclaredOrientation(bytes.data(), bytes.size());
    if (orientation < 1 || orientation > 8) std::abort();
    return 0;
}
