// The round pressure brush: one segment from the previous smoothed sample to the current one.
#include "engine/round_brush.h"

#include "engine/canvas_primitives.h"
#include "engine/pressure_curve.h"
#include "engine/segment_shape.h"

namespace {

constexpr int32_t kBrushParamCount =
    static_cast<int32_t>(sizeof(Settings::brushParams) / sizeof(BrushParams));

// The parameters of the current brush index. A canvas record without its
// references, or an index past the table, draws nothing rather than reading
// beyond the settings' table.
BrushParams CurrentParams(const Canvas& canvas) {
    if (canvas.brushParams == nullptr || canvas.brushIndex == nullptr) return BrushParams{0, 50};
    int32_t index = *canvas.brushIndex;
    if (index < 0 || index >= kBrushParamCount) return BrushParams{0, 50};
    return canvas.brushParams[index];
}

// The segment's two ends and their diameters.
struct SegmentEnds {
    Point p0, p1;
    float d0, d1;
};

SegmentEnds EndsOf(const StrokeEngine& stroke, const Canvas& canvas) {
    BrushParams params = CurrentParams(canvas);
    float exponent = PressureExponent(params.penHardness);
    // Pressures are read as unsigned, like the device reports them.
    return SegmentEnds{Point{stroke.prevSmoothed.x, stroke.prevSmoothed.y},
                       Point{stroke.smoothed.x, stroke.smoothed.y},
                       PressureDiameter(static_cast<uint32_t>(stroke.prevSmoothed.pressure),
                                        stroke.maxPressure, exponent, params.penSize),
                       PressureDiameter(static_cast<uint32_t>(stroke.smoothed.pressure),
                                        stroke.maxPressure, exponent, params.penSize)};
}

} // namespace

int32_t RoundBrush(const StrokeEngine* strokeRecord, Canvas* canvas, Rect* segment) {
    const SegmentEnds ends = EndsOf(*strokeRecord, *canvas);
    SegmentShape shape = ShapeSegment(ends.p0, ends.d0, ends.p1, ends.d1);
    CanvasImage* image = &canvas->image;
    const int32_t ink = 0;
    if (shape.hasDab) FillDisc(image, shape.dabCentre.x, shape.dabCentre.y, shape.dabRadius, ink);
    if (shape.hasLine) {
        DrawThinLine(image, shape.lineFrom.x, shape.lineFrom.y, shape.lineTo.x, shape.lineTo.y,
                     ink);
    }
    if (shape.hasQuad) FillConvexPolygon(image, shape.quad, 4, ink);

    if (segment != nullptr) *segment = SegmentRectangle(ends.p0, ends.d0, ends.p1, ends.d1);
    return 1;
}

Rect RoundBrushReach(const StrokeEngine* stroke, const Canvas* canvas) {
    const SegmentEnds ends = EndsOf(*stroke, *canvas);
    return SegmentRectangle(ends.p0, ends.d0, ends.p1, ends.d1);
}
