// The shapes the brush draws with: discs, thin lines and convex polygons, in ink or paper.
#include "engine/canvas_primitives.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/disc_chords.h"
#include "engine/row_fill.h"
#include "engine/span_ends.h"

namespace {

bool Drawable(const CanvasImage* image) {
    return image != nullptr && image->bits != nullptr && image->width > 0 && image->height > 0;
}

inline bool Finite(float a, float b) {
    return std::isfinite(a) && std::isfinite(b);
}

// The span of a row between two edge crossings, by the pixel-centre rule.
void FillCrossingSpan(uint8_t* row, int32_t width, double xa, double xb, int32_t colour) {
    double lo = std::min(xa, xb), hi = std::max(xa, xb);
    const int32_t x0 = FloorColumn(lo + 0.5, width), x1 = FloorColumn(hi - 0.5, width);
    FillRows_Scalar(row, 0, &x0, &x1, 1, width, colour);
}

// Spans are worked out a batch of rows at a time and filled afterwards: the
// square roots and divisions of a batch then overlap one another instead of
// each waiting behind the previous row's stores.
constexpr int32_t kSpanBatch = 64;

struct SpanBatch {
    int32_t x0[kSpanBatch]; // FloorColumn ends, -1 ... width
    int32_t x1[kSpanBatch];
};

// One chain of polygon edges, walked downwards from the top vertex. The
// current edge's slope is kept so a row costs no division.
struct EdgeChain {
    int32_t from;
    int32_t to;
    int32_t direction; // -1 towards lower indices, +1 towards higher
    int32_t stepsLeft; // guards against malformed (non-convex) input
    double slope;      // x change per unit of y on the current edge
};

int32_t Wrap(int32_t index, int32_t count) {
    return ((index % count) + count) % count;
}

void TakeEdge(EdgeChain* chain, const FloatPoint* points) {
    const FloatPoint& a = points[chain->from];
    const FloatPoint& b = points[chain->to];
    double height = static_cast<double>(b.y) - a.y;
    chain->slope = height != 0.0 ? (static_cast<double>(b.x) - a.x) / height : 0.0;
}

EdgeChain StartChain(const FloatPoint* points, int32_t count, int32_t top, int32_t direction) {
    EdgeChain chain{top, Wrap(top + direction, count), direction, count, 0.0};
    TakeEdge(&chain, points);
    return chain;
}

// Whether the chain leaves its current edge at row centre v.
inline bool ChainMovesOn(const EdgeChain& chain, const FloatPoint* points, double v) {
    return points[chain.to].y < v && chain.stepsLeft > 0;
}

// Moves the chain on until its current edge ends at or below row centre v.
void MoveChainOn(EdgeChain* chain, const FloatPoint* points, int32_t count, double v) {
    while (points[chain->to].y < v && chain->stepsLeft > 0) {
        chain->from = chain->to;
        chain->to = Wrap(chain->to + chain->direction, count);
        --chain->stepsLeft;
    }
    TakeEdge(chain, points);
}

// Most rows stay on the current edges: that test alone is inline.
inline void AdvanceChain(EdgeChain* chain, const FloatPoint* points, int32_t count, double v) {
    if (ChainMovesOn(*chain, points, v)) MoveChainOn(chain, points, count, v);
}

// How many rows from row y on (y's included, at most `most`) the chain keeps
// its current edge: those whose centre y + 0.5 lies at or above the edge's
// lower end, the rows ChainMovesOn says no to.
inline int32_t RowsOnEdge(const EdgeChain& chain, const FloatPoint* points, int32_t y,
                          int32_t most) {
    if (chain.stepsLeft <= 0) return most;
    const double lastRow = std::floor(static_cast<double>(points[chain.to].y) - 0.5);
    return static_cast<int32_t>(std::clamp(lastRow - y + 1.0, 1.0, static_cast<double>(most)));
}

// The current edge's crossing of row centres. A horizontal edge can only be
// current when it lies on the row centre: its far end is the crossing.
EdgeLine LineOf(const EdgeChain& chain, const FloatPoint* points) {
    const FloatPoint& a = points[chain.from];
    const FloatPoint& b = points[chain.to];
    if (a.y == b.y) return EdgeLine{b.x, a.y, 0.0};
    return EdgeLine{a.x, a.y, chain.slope};
}

// The walk along the longer axis ("major"); the other coordinate ("minor")
// moves one pixel whenever the error term reaches the major length.
void WalkLine(CanvasImage* image, bool alongY, float majorStart, float majorEnd, float minorStart,
              float minorEnd, float majorLength, float minorLength, int32_t colour) {
    int32_t majorExtent = alongY ? image->height : image->width;
    int32_t minorExtent = alongY ? image->width : image->height;
    int32_t step = minorEnd - minorStart >= 0.0f ? 1 : -1;
    float fraction = minorStart - std::floor(minorStart);
    float error = step > 0 ? fraction * majorLength : (1.0f - fraction) * majorLength;

    // Only the steps whose major coordinate lies on the canvas are walked, so
    // a line from far outside costs no more than one across the canvas.
    double steps = std::floor(static_cast<double>(majorEnd) - majorStart) + 1.0;
    double firstStep = std::max(0.0, std::ceil(-static_cast<double>(majorStart)));
    double lastStep =
        std::min(steps - 1.0, std::ceil(majorExtent - static_cast<double>(majorStart)) - 1.0);
    if (!(firstStep <= lastStep)) return;

    double minor = minorStart;
    if (firstStep > 0.0) {
        // Jump over the steps before the canvas edge in one go (majorLength is
        // at least 1 here, or there would be no step to skip).
        double total = static_cast<double>(error) + firstStep * minorLength;
        double carries = std::floor(total / majorLength);
        error = static_cast<float>(total - carries * majorLength);
        minor += step * carries;
    }
    double major = static_cast<double>(majorStart) + firstStep;
    int64_t count = static_cast<int64_t>(lastStep - firstStep) + 1;
    for (int64_t i = 0; i < count; ++i) {
        double pixelMinor = std::floor(minor);
        if (pixelMinor >= 0.0 && pixelMinor < minorExtent) {
            int32_t a = static_cast<int32_t>(std::floor(major + static_cast<double>(i)));
            int32_t b = static_cast<int32_t>(pixelMinor);
            if (alongY) {
                SetCanvasPixel(image, b, a, colour);
            } else {
                SetCanvasPixel(image, a, b, colour);
            }
        }
        error += minorLength;
        if (error >= majorLength) {
            minor += step;
            error -= majorLength;
        }
    }
}

} // namespace

void FillSpan(CanvasImage* image, int32_t x0, int32_t x1, int32_t y, int32_t colour) {
    if (!Drawable(image)) return;
    if (x1 < x0 || x1 < 0 || x0 >= image->width || y < 0 || y >= image->height) return;
    x0 = std::max(x0, 0);
    x1 = std::min(x1, image->width - 1);
    FillRowSpan(CanvasRow(image, y), x0, x1, colour);
}

void SetCanvasPixel(CanvasImage* image, int32_t x, int32_t y, int32_t colour) {
    if (!Drawable(image)) return;
    if (x < 0 || x >= image->width || y < 0 || y >= image->height) return;
    uint8_t* byte = CanvasRow(image, y) + (x >> 3);
    uint8_t bit = static_cast<uint8_t>(0x80u >> (x & 7));
    *byte = colour != 0 ? static_cast<uint8_t>(*byte | bit) : static_cast<uint8_t>(*byte & ~bit);
}

void FillDisc(CanvasImage* image, float cx, float cy, float r, int32_t colour) {
    if (!Drawable(image) || !Finite(cx, cy) || !std::isfinite(r) || !(r > 0.0f)) return;
    double first = std::floor(static_cast<double>(cy) - r + 0.5);
    double last = std::floor(static_cast<double>(cy) + r - 0.5);
    first = std::max(first, 0.0);
    last = std::min(last, static_cast<double>(image->height - 1));
    if (first > last) return;
    static const DiscSpansFunction discSpans = BestDiscSpans();
    static const ChordSpansFunction chordSpans = BestChordSpans();
    static const FillRowsFunction fillRows = BestFillRows();
    const DiscRows disc{cx, cy, static_cast<double>(r) * r, image->width};
    // Rows are stored bottom-up: the next canvas row is one stride lower.
    const ptrdiff_t stride = CanvasStride(image);
    uint8_t* row = CanvasRow(image, static_cast<int32_t>(first));
    SpanBatch spans;
    const auto start = static_cast<int32_t>(first);
    const int32_t end = static_cast<int32_t>(last) + 1;
    const double* chords = CachedHalfChords(cy, r, start, end - 1);
    for (int32_t y0 = start; y0 < end; y0 += kSpanBatch) {
        const int32_t count = std::min(kSpanBatch, end - y0);
        if (chords != nullptr) {
            chordSpans(disc.cx, disc.width, chords + (y0 - start), count, spans.x0, spans.x1);
        } else {
            discSpans(disc, y0, count, spans.x0, spans.x1);
        }
        fillRows(row, stride, spans.x0, spans.x1, count, image->width, colour);
        row -= stride * count;
    }
}

void DrawThinLine(CanvasImage* image, float x0, float y0, float x1, float y1, int32_t colour) {
    if (!Drawable(image) || !Finite(x0, y0) || !Finite(x1, y1)) return;
    float ady = static_cast<float>(std::fabs(static_cast<double>(y1) - y0));
    float adx = static_cast<float>(std::fabs(static_cast<double>(x1) - x0));
    if (!Finite(adx, ady)) return; // end points at opposite ends of the float range
    if (ady >= adx) {
        if (y0 <= y1) {
            WalkLine(image, true, y0, y1, x0, x1, ady, adx, colour);
        } else {
            WalkLine(image, true, y1, y0, x1, x0, ady, adx, colour);
        }
    } else if (x0 <= x1) {
        WalkLine(image, false, x0, x1, y0, y1, adx, ady, colour);
    } else {
        WalkLine(image, false, x1, x0, y1, y0, adx, ady, colour);
    }
}

void FillConvexPolygon(CanvasImage* image, const FloatPoint* points, int32_t count,
                       int32_t colour) {
    if (!Drawable(image) || points == nullptr || count <= 0) return;
    int32_t top = 0, bottom = 0;
    float minX = points[0].x, maxX = points[0].x;
    for (int32_t i = 0; i < count; ++i) {
        if (!Finite(points[i].x, points[i].y)) return;
        if (points[i].y < points[top].y) top = i;
        if (points[i].y > points[bottom].y) bottom = i;
        minX = std::min(minX, points[i].x);
        maxX = std::max(maxX, points[i].x);
    }
    double yFirst = std::floor(static_cast<double>(points[top].y) + 0.5);
    double yLast = std::floor(static_cast<double>(points[bottom].y) - 0.5);
    if (yFirst > yLast) return;
    if (yFirst == yLast) {
        if (yFirst < 0.0 || yFirst >= image->height) return;
        FillCrossingSpan(CanvasRow(image, static_cast<int32_t>(yFirst)), image->width, minX, maxX,
                         colour);
        return;
    }
    double rowFrom = std::max(yFirst, 0.0);
    double rowTo = std::min(yLast, static_cast<double>(image->height - 1));
    if (rowFrom > rowTo) return;

    static const EdgeSpansFunction edgeSpans = BestEdgeSpans();
    static const FillRowsFunction fillRows = BestFillRows();
    EdgeChain down = StartChain(points, count, top, -1);
    EdgeChain up = StartChain(points, count, top, +1);
    const ptrdiff_t stride = CanvasStride(image);
    uint8_t* row = CanvasRow(image, static_cast<int32_t>(rowFrom));
    SpanBatch spans;
    const int32_t end = static_cast<int32_t>(rowTo) + 1;
    for (int32_t y0 = static_cast<int32_t>(rowFrom); y0 < end; y0 += kSpanBatch) {
        const int32_t rows = std::min(kSpanBatch, end - y0);
        // Rows on which neither chain moves on share their two edges.
        for (int32_t i = 0; i < rows;) {
            const double v = y0 + i + 0.5;
            AdvanceChain(&down, points, count, v);
            AdvanceChain(&up, points, count, v);
            const int32_t n = std::min(RowsOnEdge(down, points, y0 + i, rows - i),
                                       RowsOnEdge(up, points, y0 + i, rows - i));
            edgeSpans(LineOf(down, points), LineOf(up, points), image->width, y0 + i, n,
                      spans.x0 + i, spans.x1 + i);
            i += n;
        }
        fillRows(row, stride, spans.x0, spans.x1, rows, image->width, colour);
        row -= stride * rows;
    }
}
