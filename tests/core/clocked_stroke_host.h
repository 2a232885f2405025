// A stroke host for drawing without a window, shared by the core tests and the
// benchmarks: neutral answers, and the clock the caller points it at (0 when
// it points nowhere).
#pragma once

#include <cstdint>

#include "engine/stroke_host.h"

inline const uint32_t* strokeHostClock = nullptr;

inline const StrokeHost kClockedStrokeHost{
    [] { return false; },
    [](GdiHandle) {
        return Point{0, 0};
    },
    [](GdiHandle, Point) { return true; },
    [](GdiHandle, const Rect*) {},
    [](GdiHandle) {},
    [] { return strokeHostClock ? *strokeHostClock : 0u; },
};
