// The pointer and finger records the system and the multi-touch library
// deliver, and the arithmetic of pen samples, pinches and the tracked finger.
#pragma once

#include <cstdint>

#include "base/app_state.h"
#include "base/pointer_sample.h"

// Same layout as POINTER_INFO.
struct PointerInfoRecord {
    uint32_t pointerType;
    uint32_t pointerId;
    uint32_t frameId;
    uint32_t pointerFlags;
    void* sourceDevice;
    void* hwndTarget;
    Point ptPixelLocation;
    Point ptHimetricLocation;
    Point ptPixelLocationRaw;
    Point ptHimetricLocationRaw;
    uint32_t dwTime;
    uint32_t historyCount;
    int32_t inputData;
    uint32_t dwKeyStates;
    uint64_t performanceCount;
    int32_t buttonChangeType;
};

// Same layout as POINTER_PEN_INFO.
struct PointerPenInfoRecord {
    PointerInfoRecord pointerInfo;
    uint32_t penFlags;
    uint32_t penMask;
    uint32_t pressure;
    uint32_t rotation;
    int32_t tiltX;
    int32_t tiltY;
};

enum : uint32_t {
    kPointerTouch = 2,
    kPointerPen = 3,
    kPointerFlagUp = 0x40000,
    kPenFlagInverted = 0x2,
    kFingerMessage = 0x6205,
};

// One finger of the multi-touch library's collection (36 bytes).
struct FingerRecord {
    int32_t fingerId;
    float x, y; // 0 … 1 across the touch surface
    float width, height;
    uint16_t sensitivity;
    float orientation;
    bool confidence;
    int32_t touchState; // 1 down, 2 hold, 3 up
};
static_assert(sizeof(FingerRecord) == 36, "finger records are 36 bytes");

struct FingerCollection {
    int32_t version;
    int32_t deviceId;
    int32_t frameNumber;
    int32_t fingerCount;
    const FingerRecord* fingers;
};

// More fingers than any surface reports: a larger count is not trusted.
constexpr int32_t kMostFingers = 64;

// A pen pointer's sample: screen sixteenths, pressure 0 … 1024, the fixed
// azimuth and an altitude whose sign tells the eraser end.
PointerSample PenSample(const PointerPenInfoRecord& pen);

float ContactDistance(Point a, Point b);
Point ContactMidpoint(Point a, Point b); // halves truncated toward zero

// The pinch's distance ratio, limited so that the scale stays in 1 … 16.
float PinchRatio(float scale, float distance, float startDistance);

// The view's centre and origin while a pinch of ratio r around the client
// midpoint `mid` is previewed, and once it has ended.
void PlacePinchPreview(ViewState* view, Point mid, Point anchor, Point origin, float r);
void PlacePinchEnd(ViewState* view, Point mid, Point anchor, Point origin, float r);

// Follows one finger through a collection; true with the scroll (in finger
// units) when the followed finger moved while held. A collection with an
// implausible count is ignored.
bool TrackFingers(DeviceState* devices, const FingerCollection* collection, Point* scrollBy);
