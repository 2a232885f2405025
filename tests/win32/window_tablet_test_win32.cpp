// The real window with the stand-in tablet library beside it: a pen stroke
// arriving as tablet packets draws a line that thickens with the pressure.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "app/picture_files_win32.h"
#include "base/commands.h"
#include "canvas/dib_surface.h"
#include "canvas/png_file.h"
#include "tests/win32/window_harness.h"

namespace {

using PlayFunction = void (*)(int x0, int y0, int x1, int y1, int count);

// Inked rows of one picture column (pixels unlike the corner's paper).
int InkRun(const DibSurface* picture, int x) {
    const int height = std::abs(picture->header.biHeight);
    const int stride = DibSurfaceStride(picture);
    auto pixel = [&](int px, int py) {
        const uint8_t* row = picture->bits + static_cast<ptrdiff_t>(py) * stride;
        const int bits = picture->header.biBitCount;
        if (bits == 1) return (row[px >> 3] >> (7 - (px & 7))) & 1;
        if (bits == 8) return static_cast<int>(row[px]);
        return static_cast<int>(row[px * (bits / 8)]);
    };
    const int paper = pixel(0, 0);
    int run = 0;
    for (int y = 0; y < height; ++y) run += pixel(x, y) != paper;
    return run;
}

} // namespace

TEST(Tablet, PacketsDrawALineThatThickensWithThePressure) {
    HWND window = harness::Window();
    AppState* app = TheApp();
    ASSERT_NE(app->devices.tabletContext, nullptr) << "the stand-in library was not loaded";
    EXPECT_EQ(app->stroke.maxPressure, 1023u);
    harness::Command(kNewDrawing);
    harness::Command(kFitToWindow);
    SetForegroundWindow(window);
    harness::Pump(100);

    auto play = reinterpret_cast<PlayFunction>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"wintab32.dll"), "PlayPenStroke")));
    ASSERT_NE(play, nullptr);
    RECT client;
    GetClientRect(window, &client);
    POINT from{client.right / 5, client.bottom / 2}, to{client.right * 4 / 5, client.bottom / 2};
    ClientToScreen(window, &from);
    ClientToScreen(window, &to);
    play(from.x, from.y, to.x, to.y, 60);
    harness::Pump(500);
    EXPECT_EQ(app->canvas.strokeActive, 0);

    const std::wstring path = harness::Folder() + L"tablet-stroke.png";
    ASSERT_EQ(SavePicture(app, path.c_str()), 0);
    DibSurface* picture = ReadPngFile(reinterpret_cast<const char16_t*>(path.c_str()), nullptr);
    ASSERT_NE(picture, nullptr);
    // The inked columns, and the line's height near either end.
    const int width = picture->header.biWidth;
    int first = -1, last = -1;
    for (int x = 0; x < width; ++x) {
        if (InkRun(picture, x) == 0) continue;
        if (first < 0) first = x;
        last = x;
    }
    ASSERT_GT(last - first, width / 4);
    const int span = last - first;
    const int thin = InkRun(picture, first + span / 5);
    const int thick = InkRun(picture, last - span / 5);
    EXPECT_GT(thin, 0);
    EXPECT_GT(thick, 2 * thin) << thin << " " << thick;
    ReleaseDibSurface(&picture);
    DeleteFileW(path.c_str());
}
