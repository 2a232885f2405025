// Pen samples from pointer records, the pinch's placement of the view, and
// the one finger followed through multi-touch collections.
#include "input/touch_geometry.h"

#include <cmath>

#include "view/preview_frames.h"

namespace {

Point PinchShift(Point mid, Point anchor, float r) {
    return Point{static_cast<int32_t>(static_cast<float>(mid.x - anchor.x) / r),
                 static_cast<int32_t>(static_cast<float>(mid.y - anchor.y) / r)};
}

Point FingerPosition(const FingerRecord& finger) {
    return Point{static_cast<int32_t>(finger.x * 2048.0f),
                 static_cast<int32_t>(finger.y * 2048.0f)};
}

} // namespace

PointerSample PenSample(const PointerPenInfoRecord& pen) {
    PointerSample sample{};
    sample.x = pen.pointerInfo.ptPixelLocationRaw.x * 16;
    sample.y = pen.pointerInfo.ptPixelLocationRaw.y * 16;
    sample.pressure = static_cast<int32_t>(pen.pressure > 1024 ? 1024 : pen.pressure);
    sample.azimuth = 1300;
    sample.altitude = (pen.penFlags & kPenFlagInverted) ? -550 : 550;
    return sample;
}

float ContactDistance(Point a, Point b) {
    const float dx = static_cast<float>(a.x - b.x), dy = static_cast<float>(a.y - b.y);
    return std::sqrt(dx * dx + dy * dy);
}

Point ContactMidpoint(Point a, Point b) {
    return Point{(a.x + b.x) / 2, (a.y + b.y) / 2};
}

float PinchRatio(float scale, float distance, float startDistance) {
    // Two contacts that went down on one spot give no measure: no zoom.
    if (!(startDistance > 0.0f)) return 1.0f;
    return ClampPreviewMagnification(scale, distance / startDistance);
}

void PlacePinchPreview(ViewState* view, Point mid, Point anchor, Point origin, float r) {
    const Point p = PinchShift(mid, anchor, r);
    const int32_t cx = view->clientWidth / 2, cy = view->clientHeight / 2;
    view->centreX = cx - origin.x - p.x;
    view->originX = static_cast<int32_t>(static_cast<float>(cx) * r - (cx - origin.x)) + p.x;
    view->centreY = cy - origin.y - p.y;
    view->originY = static_cast<int32_t>(static_cast<float>(cy) * r - (cy - origin.y)) + p.y;
}

void PlacePinchEnd(ViewState* view, Point mid, Point anchor, Point origin, float r) {
    const Point p = PinchShift(mid, anchor, r);
    const int32_t cx = view->clientWidth / 2, cy = view->clientHeight / 2;
    view->originX = origin.x + p.x;
    view->centreX = cx - origin.x - p.x;
    view->originY = origin.y + p.y;
    view->centreY = cy - origin.y - p.y;
}

bool TrackFingers(DeviceState* devices, const FingerCollection* collection, Point* scrollBy) {
    if (!collection || collection->fingerCount < 0 || collection->fingerCount > kMostFingers)
        return false;
    if (collection->fingerCount > 0 && !collection->fingers) return false;
    bool scrolled = false;
    *scrollBy = Point{0, 0};
    for (int32_t i = 0; i < collection->fingerCount; ++i) {
        const FingerRecord& finger = collection->fingers[i];
        const Point at = FingerPosition(finger);
        if (finger.touchState == 1 && finger.confidence && devices->trackedFinger == 0) {
            devices->trackedFinger = finger.fingerId;
            devices->fingerPos = at;
        } else if (finger.touchState == 2 && finger.confidence &&
                   finger.fingerId == devices->trackedFinger && devices->trackedFinger != 0) {
            scrollBy->x += devices->fingerPos.x - at.x;
            scrollBy->y += devices->fingerPos.y - at.y;
            devices->fingerPos = at;
            scrolled = true;
        } else if (finger.touchState == 3 && finger.fingerId == devices->trackedFinger) {
            devices->trackedFinger = 0;
        }
    }
    return scrolled;
}
