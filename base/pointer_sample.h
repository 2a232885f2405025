// One pointer position from any input path, in the layout of a tablet packet
// carrying buttons, X, Y, normal pressure and orientation.
#pragma once

#include <cstdint>

struct PointerSample {
    int32_t buttons;
    int32_t x; // sixteenths of a screen pixel on arrival, canvas pixels once converted
    int32_t y;
    int32_t pressure; // 0 = not touching, up to maxPressure
    int32_t azimuth;  // tenths of a degree
    int32_t altitude; // negative for the inverted pen
    int32_t twist;
};
static_assert(sizeof(PointerSample) == 28, "seven 32-bit fields");

constexpr int kHistoryLength = 41;

struct StrokeEngine {
    PointerSample current;
    PointerSample previous;
    uint32_t maxPressure;
    PointerSample history[kHistoryLength]; // index 0 is the newest
    PointerSample smoothed;
    PointerSample prevSmoothed;
    int32_t* smoothingRadius;
};
