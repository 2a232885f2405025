// The pixel size a picture file declares in its first bytes (PNG, JPEG, GIF,
// BMP, WebP), read without any codec, so that a hostile size is refused before
// a codec sees the file.
#pragma once

#include <cstddef>
#include <cstdint>

// How many leading bytes of a file DeclaredPictureSize looks at, at most.
constexpr size_t kPictureHeaderBytes = 256 * 1024;

// True with the declared width and height (both above 0) when the bytes start
// a picture of a known format whose size lies within them; false otherwise
// (an unknown format, a size declared further on, or a broken header): the
// codec's own frame size is checked then.
bool DeclaredPictureSize(const uint8_t* data, size_t size, uint32_t& width, uint32_t& height);
