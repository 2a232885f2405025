// The brush's pressure response: the stroke diameter for a pen pressure.
#pragma once

#include <cstdint>

// Larger diameters are pointless on any canvas and would overflow the
// segment rectangle's integer arithmetic.
constexpr float kMaxBrushDiameter = 16777216.0f;

// The exponent of the curve for a hardness: 50 is linear, 0 gives 0.25 (soft:
// light pressure already draws wide), 100 gives 4.
float PressureExponent(int32_t hardness);

// d = (pressure / maxPressure)^exponent x penSize. The result is always a
// number from 0 to kMaxBrushDiameter: pressure beyond maxPressure counts as
// full, a device that reports no range (maxPressure 0) draws any touch at full
// size, and a pen size of zero or less gives 0.
float PressureDiameter(uint32_t pressure, uint32_t maxPressure, float exponent, int32_t penSize);
