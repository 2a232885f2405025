// The nearest-pixel renderer's whole output bytes eight canvas samples at a
// time with AVX2 gathers, beside the plain per-pixel walk in
// scaled_renderer_nearest.cpp, which is its reference.
#pragma once

#include <cstdint>

// Up to `bytes` whole output bytes (eight display pixels each, leftmost in
// the top bit) from the 16.16 walk starting at (x, y) and stepping (dx, dy)
// per pixel, every position inside the canvas, whose row cy starts at
// bottomRow - cy * stride. Stops before a byte that samples canvas row 0,
// the last in memory, where reading four bytes at a time could pass the end
// of the pixels. Returns the bytes done.
typedef int32_t (*NearestBytes)(const uint8_t* bottomRow, int32_t stride, uint32_t x, uint32_t y,
                                uint32_t dx, uint32_t dy, uint8_t* out, int32_t bytes);

int32_t NearestBytes_Avx2(const uint8_t* bottomRow, int32_t stride, uint32_t x, uint32_t y,
                          uint32_t dx, uint32_t dy, uint8_t* out, int32_t bytes);

// The gathering code where it is built in and the processor runs it, else
// none. Tests may switch it off.
NearestBytes BestNearestBytes();
void AllowWideNearestBytes(bool allow);
