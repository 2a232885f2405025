// Pen samples from pointer records, the pinch's limits and placement, and the
// finger tracker fed with ordinary and hostile collections.
#include <gtest/gtest.h>

#include "input/touch_geometry.h"

TEST(TouchGeometry, PenSamplesCarryScreenSixteenthsAndTheInvertedEnd) {
    PointerPenInfoRecord pen{};
    pen.pointerInfo.ptPixelLocation = Point{1, 1};
    pen.pointerInfo.ptPixelLocationRaw = Point{-20, 301};
    pen.pressure = 512;
    PointerSample sample = PenSample(pen);
    EXPECT_EQ(sample.x, -320);
    EXPECT_EQ(sample.y, 4816);
    EXPECT_EQ(sample.pressure, 512);
    EXPECT_EQ(sample.azimuth, 1300);
    EXPECT_EQ(sample.altitude, 550);
    pen.penFlags = kPenFlagInverted;
    pen.pressure = 70000; // beyond the documented range
    sample = PenSample(pen);
    EXPECT_EQ(sample.altitude, -550);
    EXPECT_EQ(sample.pressure, 1024);
}

TEST(TouchGeometry, APinchStopsAtScalesOneAndSixteen) {
    EXPECT_FLOAT_EQ(PinchRatio(4.0f, 200.0f, 100.0f), 2.0f);
    EXPECT_FLOAT_EQ(4.0f / PinchRatio(4.0f, 1000.0f, 10.0f), 1.0f);
    EXPECT_FLOAT_EQ(4.0f / PinchRatio(4.0f, 1.0f, 100.0f), 16.0f);
    EXPECT_FLOAT_EQ(PinchRatio(4.0f, 0.0f, 0.0f), 1.0f); // both contacts on one spot

    ViewState view{};
    view.clientWidth = 800;
    view.clientHeight = 601;
    const Point mid{410, 300}, anchor{400, 300}, origin{-100, -50};
    PlacePinchPreview(&view, mid, anchor, origin, 2.0f);
    EXPECT_EQ(view.centreX, 495);
    EXPECT_EQ(view.originX, 305);
    EXPECT_EQ(view.centreY, 350);
    EXPECT_EQ(view.originY, 250);
    PlacePinchEnd(&view, mid, anchor, origin, 2.0f);
    EXPECT_EQ(view.originX, -95);
    EXPECT_EQ(view.centreX, 495);
    EXPECT_EQ(view.originY, -50);

    EXPECT_EQ(ContactMidpoint(Point{-3, 4}, Point{0, 1}).x, -1); // toward zero
    EXPECT_FLOAT_EQ(ContactDistance(Point{0, 0}, Point{3, 4}), 5.0f);
}

TEST(TouchGeometry, OneFingerIsFollowedAndBadCollectionsAreIgnored) {
    DeviceState devices{};
    FingerRecord fingers[3]{};
    fingers[0] = FingerRecord{5, 0.5f, 0.25f, 0, 0, 0, 0, true, 1};
    fingers[1] = FingerRecord{6, 0.1f, 0.1f, 0, 0, 0, 0, true, 1};
    FingerCollection collection{1, 0, 1, 2, fingers};
    Point by{};
    EXPECT_FALSE(TrackFingers(&devices, &collection, &by));
    EXPECT_EQ(devices.trackedFinger, 5);
    EXPECT_EQ(devices.fingerPos.x, 1024);
    EXPECT_EQ(devices.fingerPos.y, 512);

    fingers[0] = FingerRecord{6, 0.9f, 0.9f, 0, 0, 0, 0, true, 2}; // another finger
    fingers[1] = FingerRecord{5, 0.5f, 0.5f, 0, 0, 0, 0, true, 2};
    fingers[2] = FingerRecord{5, 0.0f, 0.0f, 0, 0, 0, 0, false, 2}; // not confident
    collection.fingerCount = 3;
    EXPECT_TRUE(TrackFingers(&devices, &collection, &by));
    EXPECT_EQ(by.x, 0);
    EXPECT_EQ(by.y, -512);

    for (int32_t count : {-1, kMostFingers + 1}) {
        collection.fingerCount = count;
        EXPECT_FALSE(TrackFingers(&devices, &collection, &by));
    }
    collection.fingerCount = 2;
    collection.fingers = nullptr;
    EXPECT_FALSE(TrackFingers(&devices, &collection, &by));
    EXPECT_FALSE(TrackFingers(&devices, nullptr, &by));
    EXPECT_EQ(devices.trackedFinger, 5);

    fingers[0].touchState = 3;
    fingers[0].fingerId = 5;
    collection.fingers = fingers;
    collection.fingerCount = 1;
    TrackFingers(&devices, &collection, &by);
    EXPECT_EQ(devices.trackedFinger, 0);
}
