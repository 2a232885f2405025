// Placement and 16.16 stepping of the accumulating renderers.
#include <cmath>
#include <cstring>

#include "base/numeric.h"
#include "view/scaled_renderer_internal.h"

namespace {

bool Finite(const FloatRect& r) {
    return std::isfinite(r.left) && std::isfinite(r.top) && std::isfinite(r.right) &&
           std::isfinite(r.bottom);
}

// Values past this are refused before they are narrowed to 32 bits.
constexpr double kCoordinateLimit = 1073741824.0; // 2^30

bool InRange(double value) {
    return std::fabs(value) < kCoordinateLimit;
}

} // namespace

void BindSourceFrame(SourceFrame* frame, const CanvasImage* source, const ViewState* view) {
    std::memset(&frame->canvas, 0, sizeof frame->canvas);
    frame->canvas.image = *source;
    CopyViewFields(&frame->view, view);
    frame->view.canvas = &frame->canvas;
}

bool UsableSource(const CanvasImage* source) {
    return source && source->bits && source->header.biBitCount == 1 && source->width > 0 &&
           source->height > 0 && source->header.biWidth > 0 && source->header.biHeight > 0;
}

namespace {

// The output's placement and size: the rectangle's float box in bitmap
// pixels, truncated at its near edges and rounded up at its far ones.
bool PlanOutput(const Canvas* canvas, const ViewState* v, Rect rect, AccumulatePlan* plan,
                double* right, double* bottom) {
    const FloatRect d = FreeCanvasRectToBitmapFloat(canvas, v, rect);
    if (!Finite(d)) return false;
    const double x0 = std::trunc(static_cast<double>(d.left)),
                 y0 = std::trunc(static_cast<double>(d.top));
    *right = std::ceil(static_cast<double>(d.right));
    *bottom = std::ceil(static_cast<double>(d.bottom));
    if (!InRange(x0) || !InRange(y0) || !InRange(*right) || !InRange(*bottom)) return false;
    const double width = std::trunc(*right - x0), height = std::trunc(*bottom - y0);
    if (width < 1 || height < 1 || width > kMaxRenderSide || height > kMaxRenderSide) return false;
    if (width * height > static_cast<double>(kMaxAccumulatePixels)) return false;
    plan->x0 = static_cast<int32_t>(x0);
    plan->y0 = static_cast<int32_t>(y0);
    plan->width = static_cast<int32_t>(width);
    plan->height = static_cast<int32_t>(height);
    return true;
}

// The canvas columns and rows to walk: the canvas box of the output
// rectangle, widened and clamped to the image.
bool PlanVisit(const CanvasImage* source, const ViewState* v, double z, double right, double bottom,
               AccumulatePlan* plan) {
    const float x0 = static_cast<float>(plan->x0), y0 = static_cast<float>(plan->y0);
    const float cornerX[4] = {x0, static_cast<float>(right), x0, static_cast<float>(right)};
    const float cornerY[4] = {y0, y0, static_cast<float>(bottom), static_cast<float>(bottom)};
    double minX = 0, minY = 0, maxX = 0, maxY = 0;
    for (int k = 0; k < 4; ++k) {
        float x = cornerX[k], y = cornerY[k];
        FreeBitmapToCanvasFloat(v, &x, &y);
        if (!std::isfinite(x) || !std::isfinite(y)) return false;
        if (k == 0 || x < minX) minX = x;
        if (k == 0 || x > maxX) maxX = x;
        if (k == 0 || y < minY) minY = y;
        if (k == 0 || y > maxY) maxY = y;
    }
    // Widened before clamping: the bitmap-to-canvas mapping works from the
    // bitmap's own rounded size and so sits up to 0.71 display pixels off the
    // inverse of canvas-to-bitmap, and a canvas pixel lying exactly on the
    // box's far edge belongs inside. Without the margin the cells along an
    // update's border (or the mirrored canvas's last column) miss pixels.
    // Extra pixels cost little: their cells lie outside and are skipped.
    const double margin = std::ceil(z) + 2.0;
    // The walk reads the image through its header too: stay inside both.
    const double logicalWidth = std::min(source->width, source->header.biWidth);
    const double logicalHeight = std::min(source->height, source->header.biHeight);
    auto clamp = [](double value, double high) {
        return value < 0 ? 0.0 : (value > high ? high : value);
    };
    plan->visit = Rect{static_cast<int32_t>(clamp(std::trunc(minX) - margin, logicalWidth)),
                       static_cast<int32_t>(clamp(std::trunc(minY) - margin, logicalHeight)),
                       static_cast<int32_t>(clamp(std::trunc(maxX) + margin, logicalWidth)),
                       static_cast<int32_t>(clamp(std::trunc(maxY) + margin, logicalHeight))};
    return true;
}

// The 16.16 output position of the walk's first canvas pixel and the steps
// per canvas column and row; false when the walk could leave 32 bits (with
// room for the single-precision row starts of the 16-bit renderer).
bool PlanSteps(const Canvas* canvas, const ViewState* v, double z, AccumulatePlan* plan) {
    float px = static_cast<float>(plan->visit.left), py = static_cast<float>(plan->visit.top);
    FreeCanvasToBitmapFloat(canvas, v, &px, &py);
    const double xOrigin = std::floor((static_cast<double>(px) - plan->x0) * 65536.0);
    const double yOrigin = std::floor((static_cast<double>(py) - plan->y0) * 65536.0);
    if (!(std::fabs(xOrigin) < 2147483647.0) || !(std::fabs(yOrigin) < 2147483647.0)) return false;
    plan->xOrigin = static_cast<int32_t>(xOrigin);
    plan->yOrigin = static_cast<int32_t>(yOrigin);

    // A mirror turns only the column steps.
    const float theta = DegreesToRadians(v->rotation);
    const double c = std::cos(static_cast<double>(theta)), s = std::sin(static_cast<double>(theta));
    if (!FloorToInt32Step(65536.0 * c / z, &plan->xPerColumn) ||
        !FloorToInt32Step(-65536.0 * s / z, &plan->yPerColumn) ||
        !FloorToInt32Step(65536.0 * s / z, &plan->xPerRow) ||
        !FloorToInt32Step(65536.0 * c / z, &plan->yPerRow))
        return false;
    if (v->mirror) {
        plan->xPerColumn = -plan->xPerColumn;
        plan->yPerColumn = -plan->yPerColumn;
    }
    const double columns = static_cast<double>(plan->visit.right) - plan->visit.left;
    const double rows = static_cast<double>(plan->visit.bottom) - plan->visit.top;
    const double reachX = std::fabs(xOrigin) +
                          columns * std::fabs(static_cast<double>(plan->xPerColumn)) +
                          rows * std::fabs(static_cast<double>(plan->xPerRow));
    const double reachY = std::fabs(yOrigin) +
                          columns * std::fabs(static_cast<double>(plan->yPerColumn)) +
                          rows * std::fabs(static_cast<double>(plan->yPerRow));
    return reachX < 2.0e9 && reachY < 2.0e9;
}

} // namespace

bool PlanAccumulate(const CanvasImage* source, const ViewState* view, Rect rect,
                    AccumulatePlan* plan) {
    if (!UsableSource(source) || !view || !plan) return false;
    if (rect.left >= rect.right || rect.top >= rect.bottom) return false;
    const double z = view->scale;
    if (!(z > 0.0) || !std::isfinite(z) || !std::isfinite(view->rotation)) return false;
    SourceFrame frame;
    BindSourceFrame(&frame, source, view);
    double right = 0, bottom = 0;
    return PlanOutput(&frame.canvas, &frame.view, rect, plan, &right, &bottom) &&
           PlanVisit(source, &frame.view, z, right, bottom, plan) &&
           PlanSteps(&frame.canvas, &frame.view, z, plan);
}

bool CellMayGather256(const AccumulatePlan& plan) {
    // The canvas pixels of one cell lie in the cell's preimage, a
    // parallelogram; a convex set of area A and perimeter P holds at most
    // A + P / 2 + 1 lattice points. With the steps as a matrix M (output
    // units per column and row), the preimage has area 1 / |det M| and sides
    // |M^-1 e1| and |M^-1 e2|.
    const double xc = plan.xPerColumn / 65536.0, yc = plan.yPerColumn / 65536.0;
    const double xr = plan.xPerRow / 65536.0, yr = plan.yPerRow / 65536.0;
    const double det = xc * yr - xr * yc;
    if (!(std::fabs(det) > 1e-12)) return true;
    const double area = 1.0 / std::fabs(det);
    const double side1 = std::hypot(yr, yc) / std::fabs(det);
    const double side2 = std::hypot(xr, xc) / std::fabs(det);
    // A small allowance for the rounding of this estimate itself.
    return area + side1 + side2 + 1.0 >= 256.0 - 1e-6;
}

bool AccumulateOnThreads(const AccumulatePlan& plan, int32_t threadsAllowed, int32_t processors) {
    return threadsAllowed != 0 && processors > 1 && plan.width >= 256 && plan.height >= 256;
}
