// The shape of one brush segment: end dab, one-pixel line or the hull of two discs.
#include "engine/segment_shape.h"

#include <algorithm>
#include <cmath>

#include "engine/pressure_curve.h"

namespace {

constexpr float kHalfPi = 1.5707964f;

// One side of a one-pixel-wide end: half a pixel from the centre in the
// direction angle (y up, hence the minus on the y offset).
FloatPoint EndPoint(float cx, float cy, float theta, float turn) {
    double angle = static_cast<double>(theta) + static_cast<double>(turn);
    return FloatPoint{cx + static_cast<float>(0.5 * std::cos(angle)),
                      cy - static_cast<float>(0.5 * std::sin(angle))};
}

// Callers pass checked diameters; this keeps a stray NaN or infinity from
// ever reaching the rasterisers or the integer rectangle.
float SaneDiameter(float d) {
    if (!(d >= 0.0f)) return 0.0f;
    return std::min(d, kMaxBrushDiameter);
}

int32_t Saturate(int64_t value) {
    return static_cast<int32_t>(std::min<int64_t>(std::max<int64_t>(value, INT32_MIN), INT32_MAX));
}

// Where the thin line ends: the point between the two ends at which the
// diameter passes 0.7, measured from the thin end.
FloatPoint ThinEnd(float xThick, float yThick, float dThick, float xThin, float yThin,
                   float dThin) {
    float share = 0.7f - dThin;
    float span = dThick - dThin;
    return FloatPoint{(xThick - xThin) * share / span + xThin,
                      (yThick - yThin) * share / span + yThin};
}

void ShapeThinPart(SegmentShape* shape, float x0, float y0, float d0, float x1, float y1,
                   float d1) {
    if (d0 >= 0.7f && d1 < 0.7f) {
        FloatPoint q = ThinEnd(x0, y0, d0, x1, y1, d1);
        shape->lineFrom = FloatPoint{x0 + 0.5f, y0 + 0.5f};
        shape->lineTo = FloatPoint{q.x + 0.5f, q.y + 0.5f};
        shape->hasLine = 1;
    } else if (d0 < 0.7f) {
        FloatPoint q = ThinEnd(x1, y1, d1, x0, y0, d0);
        shape->lineFrom = FloatPoint{q.x + 0.5f, q.y + 0.5f};
        shape->lineTo = FloatPoint{x1 + 0.5f, y1 + 0.5f};
        shape->hasLine = 1;
    } else if (d0 <= 1.0f || d1 <= 1.0f) {
        shape->lineFrom = FloatPoint{x0 + 0.25f, y0 + 0.25f};
        shape->lineTo = FloatPoint{x1 + 0.25f, y1 + 0.25f};
        shape->hasLine = 1;
    }
}

// Where a diameter at or below 1 grows to 1 along the segment. Both ends at
// exactly 1 (a one-pixel pen at full pressure) make the ratio 0/0; taking the
// end itself then gives a one-pixel band along the whole segment.
float OnePixelShare(float dNear, float dFar) {
    if (dFar == dNear) return 0.0f;
    return (1.0f - dNear) / (dFar - dNear);
}

void ShapeWidePart(SegmentShape* shape, float x0, float y0, float d0, float x1, float y1, float d1,
                   float dx, float dy) {
    float r0 = d0 * 0.5f, r1 = d1 * 0.5f;
    float l2 = dx * dx + dy * dy;
    float g = r0 - r1;
    float hsq = l2 - g * g;
    if (!(hsq > 0.0f)) return; // one disc lies inside the other
    float s = static_cast<float>(std::sqrt(static_cast<double>(hsq)));
    FloatPoint a{x0 + r0 * (s * dy + g * dx) / l2, y0 + r0 * (g * dy - s * dx) / l2};
    FloatPoint b{x0 + r0 * (g * dx - s * dy) / l2, y0 + r0 * (s * dx + g * dy) / l2};

    float rdx = -dx, rdy = -dy, rg = r1 - r0;
    float rhsq = l2 - rg * rg;
    if (!(rhsq > 0.0f)) return;
    float rs = static_cast<float>(std::sqrt(static_cast<double>(rhsq)));
    FloatPoint c{x1 + r1 * (rs * rdy + rg * rdx) / l2, y1 + r1 * (rg * rdy - rs * rdx) / l2};
    FloatPoint d{x1 + r1 * (rg * rdx - rs * rdy) / l2, y1 + r1 * (rs * rdx + rg * rdy) / l2};

    // The direction of travel measured with y pointing up, as the one-pixel
    // ends expect: theta + pi/2 is then the left-hand side of the stroke in
    // y-up terms, i.e. the same side as A and D, which keeps the replaced
    // quadrilateral in the order and orientation of the tangent one.
    float theta = static_cast<float>(std::atan2(-static_cast<double>(dy), static_cast<double>(dx)));
    // The centre of a one-pixel end is p + 1/4 moved by (dx + 0.5) * t, not
    // dx * t, so it sits up to half a pixel off the axis. Left so on purpose:
    // changing it would move the pixels of every thin stroke end.
    if (d0 <= 1.0f) {
        float t = OnePixelShare(d0, d1);
        float mx = x0 + 0.25f + (x1 + 0.25f - x0 + 0.25f) * t;
        float my = y0 + 0.25f + (y1 + 0.25f - y0 + 0.25f) * t;
        a = EndPoint(mx, my, theta, kHalfPi);
        b = EndPoint(mx, my, theta, -kHalfPi);
    }
    if (d1 <= 1.0f) {
        float t = OnePixelShare(d1, d0);
        float nx = x1 + 0.25f + (x0 + 0.25f - x1 + 0.25f) * t;
        float ny = y1 + 0.25f + (y0 + 0.25f - y1 + 0.25f) * t;
        c = EndPoint(nx, ny, theta, -kHalfPi);
        d = EndPoint(nx, ny, theta, kHalfPi);
    }
    shape->quad[0] = a;
    shape->quad[1] = b;
    shape->quad[2] = c;
    shape->quad[3] = d;
    shape->hasQuad = 1;
}

} // namespace

SegmentShape ShapeSegment(Point p0, float d0, Point p1, float d1) {
    SegmentShape shape{};
    d0 = SaneDiameter(d0);
    d1 = SaneDiameter(d1);
    float x0 = static_cast<float>(p0.x), y0 = static_cast<float>(p0.y);
    float x1 = static_cast<float>(p1.x), y1 = static_cast<float>(p1.y);
    if (d0 >= 2.0f) {
        shape.hasDab = 1;
        shape.dabCentre = FloatPoint{x0 + 0.25f, y0 + 0.25f};
        shape.dabRadius = d0 * 0.5f;
    }
    if ((p0.x == p1.x && p0.y == p1.y) || (d0 < 0.7f && d1 < 0.7f)) return shape;
    ShapeThinPart(&shape, x0, y0, d0, x1, y1, d1);
    if (d0 >= 1.0f || d1 >= 1.0f) {
        // Differences taken exactly before rounding, so far-apart points
        // cannot overflow.
        float dx = static_cast<float>(static_cast<int64_t>(p1.x) - p0.x);
        float dy = static_cast<float>(static_cast<int64_t>(p1.y) - p0.y);
        ShapeWidePart(&shape, x0, y0, d0, x1, y1, d1, dx, dy);
    }
    return shape;
}

Rect SegmentRectangle(Point p0, float d0, Point p1, float d1) {
    d0 = SaneDiameter(d0);
    d1 = SaneDiameter(d1);
    double widest = d0 > d1 ? d0 : d1;
    int64_t e = static_cast<int64_t>((widest + 1.0) * 0.5);
    return Rect{Saturate(static_cast<int64_t>(std::min(p0.x, p1.x)) - e),
                Saturate(static_cast<int64_t>(std::min(p0.y, p1.y)) - e),
                Saturate(static_cast<int64_t>(std::max(p0.x, p1.x)) + e + 1),
                Saturate(static_cast<int64_t>(std::max(p0.y, p1.y)) + e + 1)};
}
