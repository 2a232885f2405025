// How the accumulate pass walks its rows. AccumulateBand picks by itself;
// tests force each walk and instruction set to hold them all to one result.
#pragma once

#include "worker/row_band.h"

enum class RowWalk {
    Automatic, // stretches (with boxes) for big bands whose steps stay within one cell
    Runs,      // run lengths from reciprocals, any steps
    Stretches, // crossing masks, 56 columns at a time, where the steps allow
    Boxes,     // the same with the box step wherever it fits (as big bands have it)
};

enum class BitInstructions {
    Automatic, // popcnt and bmi where the processor has them
    Portable,  // any x86 (or other) processor
};

void AccumulateBandWith(const RowBand* band, RowWalk walk, BitInstructions instructions);
