// Replays in the real window, drawn with real mouse input: pen changes and
// the eraser come back exactly, and a playback can be stepped and finished.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "app/shell_win32.h"
#include "base/commands.h"
#include "canvas/canvas.h"
#include "canvas/png_file.h"
#include "tests/win32/window_harness.h"

namespace {

using harness::Command;
using harness::Pump;

void Mouse(DWORD flags) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    SendInput(1, &input, sizeof input);
}

size_t InkBytes(const uint8_t* bits, size_t size) {
    return static_cast<size_t>(
        std::count_if(bits, bits + size, [](uint8_t b) { return b != 0xFF; }));
}

class Replays : public ::testing::Test {
  protected:
    void SetUp() override {
        window = harness::Window();
        SetForegroundWindow(window);
        folder = harness::Folder() + L"replays\\";
        CreateDirectoryW(folder.c_str(), nullptr);
        for (const std::wstring& name : harness::FilesIn(folder, L"*"))
            DeleteFileW((folder + name).c_str());
        lstrcpynW(reinterpret_cast<wchar_t*>(app()->settings.defaultPath), folder.c_str(),
                  kPathUnits);
        harness::DrawPattern(Rect{0, 0, 0, 0});
        Command(kNewDrawing);
        Command(kFitToWindow);
        app()->settings.recordStep = 1;
        app()->settings.brushParams[0] = BrushParams{30, 50};
        harness::Messages().clear();
    }
    void TearDown() override {
        Command(kSetPlaybackSpeed + 3);
        harness::DrawPattern(Rect{0, 0, 0, 0});
        Command(kNewDrawing);
        app()->settings.recordStep = 0;
        app()->eraserOn = 0;
        app()->settings.defaultPath[0] = u'\0';
    }
    AppState* app() { return TheApp(); }
    void MoveTo(int x, int y) {
        POINT p{x, y};
        ClientToScreen(window, &p);
        SetCursorPos(p.x, p.y);
        Mouse(MOUSEEVENTF_MOVE);
        Pump(15);
    }
    // A mouse stroke from one client point to another in ten moves.
    void Stroke(POINT from, POINT to) {
        MoveTo(from.x, from.y);
        Mouse(MOUSEEVENTF_LEFTDOWN);
        Pump(20);
        for (int i = 1; i <= 10; ++i)
            MoveTo(from.x + (to.x - from.x) * i / 10, from.y + (to.y - from.y) * i / 10);
        Mouse(MOUSEEVENTF_LEFTUP);
        Pump(40);
    }
    size_t CanvasInk() {
        Pump(50);
        const CanvasImage& image = app()->canvas.image;
        return InkBytes(image.bits, static_cast<size_t>(CanvasStride(&image)) *
                                        static_cast<size_t>(image.height));
    }
    // Quick save; the picture it wrote, read back.
    std::vector<uint8_t> QuickSavedPixels() {
        const std::vector<std::wstring> listed = harness::FilesIn(folder, L"*.png");
        const std::set<std::wstring> before(listed.begin(), listed.end());
        Command(kQuickSave);
        for (const std::wstring& name : harness::FilesIn(folder, L"*.png")) {
            if (before.count(name)) continue;
            DibSurface* surface =
                ReadPngFile(reinterpret_cast<const char16_t*>((folder + name).c_str()), nullptr);
            if (!surface) break;
            const size_t bytes = static_cast<size_t>(DibSurfaceStride(surface)) *
                                 static_cast<size_t>(surface->header.biHeight);
            std::vector<uint8_t> pixels(surface->bits, surface->bits + bytes);
            ReleaseDibSurface(&surface);
            return pixels;
        }
        ADD_FAILURE() << "no picture was saved";
        return {};
    }
    void DrawThreeStrokes() {
        Stroke({40, 40}, {300, 60});
        Stroke({40, 120}, {300, 140});
        Stroke({40, 200}, {300, 220});
    }
    HWND window = nullptr;
    std::wstring folder;
};

} // namespace

TEST_F(Replays, PenSizesAndTheEraserReplayToTheSamePicture) {
    Stroke({40, 40}, {300, 60});
    for (int i = 0; i < 5; ++i) Command(kPenLarger);
    Stroke({40, 120}, {300, 140});
    for (int i = 0; i < 8; ++i) Command(kPenSmaller);
    Stroke({40, 200}, {300, 220});
    const size_t ink = CanvasInk();
    Command(kToggleEraser);
    EXPECT_EQ(app()->eraserOn, 1);
    Stroke({170, 20}, {180, 240}); // across all three strokes
    Command(kToggleEraser);
    EXPECT_LT(CanvasInk(), ink);
    Stroke({60, 260}, {280, 250});
    EXPECT_EQ(app()->penLog.count, 5); // first pen, larger, smaller, eraser, ink
    const BrushParams userPen = app()->settings.brushParams[0];
    const std::vector<uint8_t> drawn = QuickSavedPixels();
    ASSERT_GT(InkBytes(drawn.data(), drawn.size()), 0u);

    SendMessageW(window, WM_KEYDOWN, VK_F5, 0);
    ASSERT_EQ(app()->playbackMode, 1);
    Command(kFinishPlayback);
    EXPECT_EQ(app()->playIndex, app()->stepLog.stepCount);
    const std::vector<uint8_t> replayed = QuickSavedPixels();
    EXPECT_TRUE(replayed == drawn);
    // The user's pen is theirs again.
    EXPECT_EQ(app()->settings.brushParams[0].penSize, userPen.penSize);
    EXPECT_EQ(app()->canvas.brushParams, app()->settings.brushParams);
    EXPECT_EQ(app()->canvas.erasing, 0);
    EXPECT_TRUE(harness::Messages().empty());
}

TEST_F(Replays, APausedPlaybackStepsByStrokesAndFinishesAtOnce) {
    DrawThreeStrokes();
    SendMessageW(window, WM_KEYDOWN, VK_F5, 0);
    Command(kSetPlaybackSpeed + 0);
    const int32_t steps = app()->stepLog.stepCount;
    HMENU menu = static_cast<HMENU>(app()->popupMenu);
    SendMessageW(window, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), 0);
    EXPECT_FALSE(GetMenuState(menu, kStepPlayback, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_FALSE(GetMenuState(menu, kFinishPlayback, MF_BYCOMMAND) & MF_GRAYED);

    Command(kStepPlayback);
    const int32_t first = app()->playIndex;
    ASSERT_GT(first, 1);
    ASSERT_LT(first, steps);
    EXPECT_EQ(app()->stepLog.steps[first - 1].pressure, 0.0f); // the stroke's pen-up
    Command(kStepPlayback);
    EXPECT_GT(app()->playIndex, first);
    EXPECT_LT(app()->playIndex, steps);
    Command(kFinishPlayback);
    EXPECT_EQ(app()->playIndex, steps);
    SendMessageW(window, WM_TIMER, 1, 0);
    wchar_t title[300] = L"";
    GetWindowTextW(window, title, 300);
    EXPECT_NE(std::wstring(title).find(L"-Playing-"), std::wstring::npos);
    SendMessageW(window, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), 0);
    EXPECT_TRUE(GetMenuState(menu, kStepPlayback, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_TRUE(GetMenuState(menu, kFinishPlayback, MF_BYCOMMAND) & MF_GRAYED);
}
