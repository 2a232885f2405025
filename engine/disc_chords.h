// The half chords of a disc's rows, kept from one disc to the next: a stroke
// dabs the same radius at the same offset from the pixel grid over and over.
#pragma once

#include <cstdint>

// The half chords w of rows first ... last of the disc (cy, r), bit for bit
// the values the square-root path gives (sqrt(r² - dy²), dy from the row's
// centre, at least zero), or nullptr where the disc is one this table does
// not serve (far off the canvas's range, radii below 1 or above 1024). The pointer
// stays good until this thread's next call.
const double* CachedHalfChords(float cy, float r, int32_t first, int32_t last);
