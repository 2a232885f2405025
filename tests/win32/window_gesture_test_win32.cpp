// The rotate and zoom drags in the real window, driven by real input
// (SendInput): where they end, the preview hand-over, and commands, wheel
// turns and resizes arriving while a preview thread draws.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "app/shell_win32.h"
#include "base/commands.h"
#include "tests/win32/window_harness.h"
#include "view/previews.h"

namespace {

using harness::Command;
using harness::Key;
using harness::Mouse;
using harness::MoveTo;
using harness::Pump;
using harness::ScreenShot;

// Waits for the next mouse move of the queue and handles it alone.
void DispatchOneMove() {
    for (int tries = 0; tries < 100; ++tries) {
        MSG message;
        if (PeekMessageW(&message, nullptr, WM_MOUSEMOVE, WM_MOUSEMOVE, PM_REMOVE)) {
            DispatchMessageW(&message);
            return;
        }
        Sleep(1);
    }
}

class Gestures : public ::testing::Test {
  protected:
    void SetUp() override {
        window = harness::Window();
        SetForegroundWindow(window);
        harness::DrawPattern(Rect{100, 100, 900, 700});
        Command(kFitToWindow);
    }
    ViewState* view() { return &TheApp()->viewHost.view; }
    // A drag with modifier keys held, along the points given.
    void Drag(std::initializer_list<WORD> keys, std::initializer_list<POINT> path) {
        for (WORD key : keys) Key(key, true);
        Pump(30);
        auto point = path.begin();
        MoveTo(point->x, point->y);
        Mouse(MOUSEEVENTF_LEFTDOWN);
        Pump(30);
        for (++point; point != path.end(); ++point) MoveTo(point->x, point->y, 40);
        Mouse(MOUSEEVENTF_LEFTUP);
        Pump(100);
        for (WORD key : keys) Key(key, false);
        Pump(100);
    }
    Point Centre() { return Point{view()->clientWidth / 2, view()->clientHeight / 2}; }
    // The view as shown equals the same view rebuilt from the canvas.
    void ExpectAFreshView() {
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        Pump(100);
        ScreenShot shown(window);
        Command(kRefreshCommand);
        ScreenShot fresh(window);
        ASSERT_EQ(shown.width(), fresh.width());
        int64_t differing = 0;
        for (size_t i = 0; i < shown.pixels().size(); ++i)
            differing += shown.pixels()[i] != fresh.pixels()[i];
        EXPECT_EQ(differing, 0);
    }
    HWND window = nullptr;
};

} // namespace

TEST_F(Gestures, ARotationDragBackToItsStartKeepsTheAngle) {
    const Point c = Centre();
    Drag({VK_CONTROL, VK_SPACE}, {POINT{c.x + 100, c.y}, POINT{c.x, c.y + 100},
                                  POINT{c.x - 80, c.y + 20}, POINT{c.x + 100, c.y}});
    EXPECT_EQ(TheApp()->rotating, 0);
    EXPECT_EQ(view()->freeRotation, 1);
    EXPECT_NEAR(view()->rotation, 0.0f, 1e-3);
    // A quarter turn of the pointer turns the view a quarter.
    Drag({VK_CONTROL, VK_SPACE},
         {POINT{c.x + 100, c.y}, POINT{c.x + 70, c.y + 70}, POINT{c.x, c.y + 100}});
    EXPECT_NEAR(std::fmod(view()->rotation + 360.0f, 360.0f), 270.0f, 0.5f);
    ExpectAFreshView();
    EXPECT_EQ(TheApp()->rotateKeyDown, 0);
    EXPECT_EQ(TheApp()->panKeyDown, 0);
}

TEST_F(Gestures, AZoomDragTowardsTheCentreZoomsOutWithinItsLimits) {
    const Point c = Centre();
    const float before = view()->scale;
    // Four times as far out: a quarter of the scale (never under 1).
    Drag({VK_SHIFT, VK_SPACE}, {POINT{c.x + 100, c.y}, POINT{c.x + 400, c.y + 10}});
    EXPECT_EQ(TheApp()->zooming, 0);
    const float zoomedIn = std::max(1.0f, before / 4);
    EXPECT_FLOAT_EQ(view()->scale, zoomedIn);
    // Started 50 pixels out, the drag measures against 100: back at 50 it
    // has halved the distance and doubles the scale.
    Drag({VK_SHIFT, VK_SPACE}, {POINT{c.x + 50, c.y}, POINT{c.x + 70, c.y}, POINT{c.x + 50, c.y}});
    EXPECT_FLOAT_EQ(view()->scale, std::min(16.0f, zoomedIn * 2));
    // Right at the centre the scale stops at 16.
    Drag({VK_SHIFT, VK_SPACE}, {POINT{c.x + 100, c.y}, POINT{c.x + 2, c.y}});
    EXPECT_FLOAT_EQ(view()->scale, 16.0f);
    ExpectAFreshView();
    // Shift was released after the button: no key stays down, so the next
    // Space drag pans instead of zooming.
    EXPECT_EQ(TheApp()->zoomKeyDown, 0);
}

TEST_F(Gestures, AnUnchangedAngleDoesNotWakeThePreview) {
    const Point c = Centre();
    MoveTo(c.x + 30, c.y + 90);
    AppState* app = TheApp();
    app->rotating = 1;
    app->rotateStartAngle = 0.0f;
    RequestRotatePreview(app); // the first request at this spot may start one
    EXPECT_EQ(RequestRotatePreview(app), 1);
    WaitForRotatePreview(app, 1);
    app->rotating = 0;
    Command(kFitToWindow);
}

TEST_F(Gestures, CommandsWheelAndResizesDuringDragsLeaveAFreshView) {
    RECT original;
    GetWindowRect(window, &original);
    const UINT commands[] = {kNewDrawing, kFitToWindow, kRotateRight,
                             kMirror,     kZoomIn,      kRotateLeft};
    for (int round = 0; round < 12; ++round) {
        SCOPED_TRACE(testing::Message() << "round " << round);
        // A new drawing of a blank canvas saves no file.
        const UINT command = commands[round % 6];
        harness::DrawPattern(command == kNewDrawing ? Rect{0, 0, 0, 0} : Rect{200, 200, 1200, 900});
        const Point c = Centre();
        const bool zoom = round % 3 == 2;
        Key(zoom ? VK_SHIFT : VK_CONTROL, true);
        Key(VK_SPACE, true);
        MoveTo(c.x + 120, c.y + 10);
        Mouse(MOUSEEVENTF_LEFTDOWN);
        Pump(30);
        // Wine resets modifier keys sent as input when the X pointer moves;
        // the drag, begun at the button press, goes on without them.
        ASSERT_EQ(zoom ? TheApp()->zooming : TheApp()->rotating, 1) << "round " << round;
        for (int step = 0; step < 6; ++step) {
            const double a = 0.3 * (step + 1);
            POINT p{static_cast<LONG>(c.x + 120 * std::cos(a)),
                    static_cast<LONG>(c.y + 120 * std::sin(a))};
            ClientToScreen(window, &p);
            SetCursorPos(p.x, p.y);
            Mouse(MOUSEEVENTF_MOVE);
            // The move starts a preview thread; what follows arrives while
            // it is still drawing.
            DispatchOneMove();
            switch (step) {
            case 1:
                // As an accelerator, the pop-up menu or the game pad sends it.
                SendMessageW(window, WM_COMMAND, command, 0);
                break;
            case 2:
                SetWindowPos(window, nullptr, 0, 0, 500 + 40 * (round % 4), 400 + 30 * (round % 3),
                             SWP_NOMOVE | SWP_NOZORDER);
                break;
            case 3:
                SendMessageW(window, WM_MOUSEWHEEL, MAKEWPARAM(MK_LBUTTON, round & 1 ? 120 : -120),
                             0);
                break;
            default:
                break;
            }
            Pump(15);
        }
        Mouse(MOUSEEVENTF_LEFTUP);
        Key(VK_SPACE, false);
        Key(zoom ? VK_SHIFT : VK_CONTROL, false);
        Pump(150);
        ASSERT_TRUE(IsWindow(window));
        EXPECT_EQ(TheApp()->rotating | TheApp()->zooming, 0) << "round " << round;
        ExpectAFreshView();
    }
    SetWindowPos(window, nullptr, 0, 0, original.right - original.left,
                 original.bottom - original.top, SWP_NOMOVE | SWP_NOZORDER);
    Pump(200);
    harness::DrawPattern(Rect{0, 0, 0, 0});
    Command(kNewDrawing);
}
