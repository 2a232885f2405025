// In-process window tests: the real main window under wine on a (virtual)
// display. A known pattern is written into the canvas, the view is refreshed
// and what the window shows is read back from the screen.
#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "app/shell_win32.h"
#include "base/commands.h"
#include "base/report.h"
#include "tests/win32/window_harness.h"

namespace {

using harness::Command;
using harness::DrawPattern;
using harness::ScreenShot;

class MainWindow : public ::testing::Test {
  protected:
    void SetUp() override { window = harness::Window(); }
    AppState* app() { return TheApp(); }
    ViewState* view() { return &TheApp()->viewHost.view; }
    Point ClientOf(int32_t canvasX, int32_t canvasY) {
        int32_t x = canvasX, y = canvasY;
        view()->transforms.canvasToClient(view()->canvas, view(), &x, &y);
        return Point{x, y};
    }
    HWND window = nullptr;
};

} // namespace

TEST_F(MainWindow, StartsWithACanvasEightTimesTheClientArea) {
    RECT client;
    GetClientRect(window, &client);
    EXPECT_EQ(app()->canvas.image.width, 8 * client.right);
    EXPECT_EQ(app()->canvas.image.height, 8 * client.bottom);
    EXPECT_EQ(view()->scale, 8.0f);
    wchar_t title[260];
    GetWindowTextW(window, title, 260);
    EXPECT_EQ(std::wstring(title).rfind(L"pindora - ", 0), 0u) << title;
    EXPECT_NE(std::wstring(title).find(L" - 1/8.000 - "), std::wstring::npos) << title;
}

TEST_F(MainWindow, ShowsTheCanvasAtScaleEight) {
    const int32_t W = app()->canvas.image.width, H = app()->canvas.image.height;
    DrawPattern(Rect{W / 4, H / 4, W / 2, H / 2});
    Command(kFitToWindow);
    Command(kRefreshCommand);
    ScreenShot shot(window);
    Point inside = ClientOf(3 * W / 8, 3 * H / 8), paper = ClientOf(3 * W / 4, 3 * H / 4);
    EXPECT_LT(shot.Grey(inside.x, inside.y), 10);
    EXPECT_GT(shot.Grey(paper.x, paper.y), 245);
    // An edge between ink and paper is shown in between (anti-aliased).
    Point edge = ClientOf(W / 4, 3 * H / 8);
    EXPECT_LT(shot.Grey(edge.x - 2, edge.y), 245 + 11);
    EXPECT_GT(shot.Grey(edge.x - 2, edge.y), 245);
    EXPECT_LT(shot.Grey(edge.x + 2, edge.y), 10);
}

TEST_F(MainWindow, ShowsCanvasPixelsMagnifiedAtScaleHalf) {
    const int32_t W = app()->canvas.image.width, H = app()->canvas.image.height;
    const int32_t cx = W / 2, cy = H / 2;
    DrawPattern(Rect{cx, cy, cx + 1, cy + 1}); // one ink pixel
    Command(kFitToWindow);
    Command(kZoomTo + 5); // scale 0.5
    ASSERT_EQ(view()->scale, 0.5f);
    ScreenShot shot(window);
    Point at = ClientOf(cx, cy);
    ASSERT_GE(shot.Grey(at.x, at.y), 0) << "the pixel is off the window";
    for (int dy = 0; dy < 2; ++dy)
        for (int dx = 0; dx < 2; ++dx) EXPECT_LT(shot.Grey(at.x + dx, at.y + dy), 10);
    EXPECT_GT(shot.Grey(at.x + 2, at.y), 245);
    EXPECT_GT(shot.Grey(at.x - 1, at.y), 245);
    EXPECT_GT(shot.Grey(at.x, at.y + 2), 245);
}

TEST_F(MainWindow, ShowsTheCanvasTurnedThirtyDegrees) {
    const int32_t W = app()->canvas.image.width, H = app()->canvas.image.height;
    DrawPattern(Rect{W / 4, H / 4, W / 2, H / 2});
    Command(kFitToWindow);
    Command(kRotateStepRight);
    Command(kRotateStepRight);
    ASSERT_EQ(view()->freeRotation, 1);
    ASSERT_NEAR(view()->rotation, 30.0f, 1e-4);
    ScreenShot shot(window);
    Point inside = ClientOf(3 * W / 8, 3 * H / 8), paper = ClientOf(3 * W / 4, 3 * H / 4);
    EXPECT_LT(shot.Grey(inside.x, inside.y), 10);
    EXPECT_GT(shot.Grey(paper.x, paper.y), 245);
    // The turned canvas no longer covers the client's corners: they show the
    // light-grey margin.
    EXPECT_NEAR(shot.Grey(1, 1), 192, 2);
    // The ink rectangle's corner has moved as a 30° turn about the centre does.
    Point a = ClientOf(W / 4, H / 4), b = ClientOf(W / 2, H / 4);
    double angle = std::atan2(-(b.y - a.y), b.x - a.x) * 180.0 / 3.14159265;
    EXPECT_NEAR(angle, 30.0, 1.0);
    Command(kFitToWindow);
}
