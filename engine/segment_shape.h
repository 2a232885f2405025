// The geometry of one round-brush segment, worked out before anything touches
// the canvas: a dab at the start, a one-pixel line where the stroke is thinner
// than about a pixel, and the quadrilateral between the outer tangents of the
// two end discs.
#pragma once

#include <cstdint>

#include "base/bitmap_types.h"
#include "engine/canvas_primitives.h"

struct SegmentShape {
    int32_t hasDab;
    FloatPoint dabCentre;
    float dabRadius;
    int32_t hasLine;
    FloatPoint lineFrom;
    FloatPoint lineTo;
    int32_t hasQuad;
    FloatPoint quad[4]; // A, B on the start side, C, D on the end side
};

// d0 and d1 are the diameters at p0 and p1, finite and not negative.
SegmentShape ShapeSegment(Point p0, float d0, Point p1, float d1);

// The canvas rectangle (right and bottom exclusive) the segment may change,
// saturated to the 32-bit range.
Rect SegmentRectangle(Point p0, float d0, Point p1, float d1);
