// Undo and redo in the real window: a stroke drawn with the mouse, taken back
// and put back with Ctrl+Z, Ctrl+Y and Ctrl+Shift+Z pressed as real keys and
// shown through the stroke's own refresh path; a user's binding for Ctrl+Z
// winning over them; the menu items greyed when there is nothing to do and
// during a playback, in both languages.
#include <windows.h>

#include <gtest/gtest.h>

#include "app/shell_win32.h"
#include "base/commands.h"
#include "record/undo_history.h"
#include "tests/win32/window_harness.h"

namespace {

using harness::Command;
using harness::Key;
using harness::Mouse;
using harness::MoveTo;
using harness::Pump;

class UndoInWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        window = harness::Window();
        SetForegroundWindow(window);
        harness::DrawPattern(Rect{0, 0, 0, 0});
        ClearUndoHistory(); // the pattern is no stroke
        Command(kFitToWindow);
    }
    void TearDown() override {
        harness::DrawPattern(Rect{0, 0, 0, 0});
        ClearUndoHistory();
        Command(kRefreshCommand);
    }
    // A stroke with the left button across the middle of the client area;
    // the pointer (and the brush outline with it) rests where it ends.
    POINT StrokePoint(int i) {
        RECT client;
        GetClientRect(window, &client);
        return POINT{client.right / 4 + i * client.right / 16, client.bottom / 2 + 3 * i};
    }
    void Stroke() {
        MoveTo(StrokePoint(0).x, StrokePoint(0).y);
        Mouse(MOUSEEVENTF_LEFTDOWN);
        Pump(30);
        for (int i = 1; i <= 8; ++i) MoveTo(StrokePoint(i).x, StrokePoint(i).y);
        Mouse(MOUSEEVENTF_LEFTUP);
        Pump(200);
    }
    // Keys pressed together and let go in reverse order.
    void Press(std::initializer_list<WORD> keys) {
        for (WORD key : keys) Key(key, true);
        for (auto key = std::rbegin(keys); key != std::rend(keys); ++key) Key(*key, false);
        Pump(300);
    }
    std::vector<uint32_t> Shown() { return harness::ScreenShot(window).pixels(); }
    UINT MenuState(UINT command) {
        HMENU popup = static_cast<HMENU>(TheApp()->popupMenu);
        SendMessageW(window, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), 0);
        return GetMenuState(popup, command, MF_BYCOMMAND);
    }
    HWND window = nullptr;
};

} // namespace

TEST_F(UndoInWindow, CtrlZAndCtrlYTakeTheStrokeBackAndPutItBackOnScreen) {
    MoveTo(StrokePoint(8).x, StrokePoint(8).y, 200);
    const std::vector<uint32_t> blank = Shown();
    Stroke();
    const std::vector<uint32_t> drawn = Shown();
    ASSERT_NE(drawn, blank);
    Press({VK_CONTROL, 'Z'});
    EXPECT_EQ(Shown(), blank);
    Press({VK_CONTROL, 'Y'});
    EXPECT_EQ(Shown(), drawn);
    Press({VK_CONTROL, 'Z'});
    Press({VK_CONTROL, VK_SHIFT, 'Z'});
    EXPECT_EQ(Shown(), drawn);
    // A playback owns the canvas: the keys do nothing.
    TheApp()->playbackMode = 1;
    Press({VK_CONTROL, 'Z'});
    TheApp()->playbackMode = 0;
    EXPECT_EQ(Shown(), drawn);
}

TEST_F(UndoInWindow, AUserBindingForCtrlZWinsOverUndo) {
    Stroke();
    HACCEL* slot = reinterpret_cast<HACCEL*>(TheApp()->acceleratorSlot);
    const HACCEL own = *slot;
    ACCEL mirror{FVIRTKEY | FCONTROL, 'Z', kMirror};
    *slot = CreateAcceleratorTableW(&mirror, 1);
    const int32_t mirrored = TheApp()->viewHost.view.mirror;
    Press({VK_CONTROL, 'Z'});
    EXPECT_NE(TheApp()->viewHost.view.mirror, mirrored);
    EXPECT_TRUE(CanUndo(TheApp())); // the stroke is still there
    DestroyAcceleratorTable(*slot);
    *slot = own;
    Command(kMirror);
    Press({VK_CONTROL, 'Z'});
    EXPECT_FALSE(CanUndo(TheApp()));
}

TEST_F(UndoInWindow, TheMenuItemsAreGreyedWhenThereIsNothingToDoInBothLanguages) {
    HMENU languages = static_cast<HMENU>(TheApp()->languageMenu);
    for (const wchar_t* language : {L"Japanese", L"English"}) {
        SCOPED_TRACE(language);
        for (int i = 0; i < GetMenuItemCount(languages); ++i) {
            wchar_t text[64] = L"";
            GetMenuStringW(languages, i, text, 64, MF_BYPOSITION);
            if (std::wstring(text) == language) Command(kSelectLanguage + i);
        }
        wchar_t text[64] = L"";
        GetMenuStringW(static_cast<HMENU>(TheApp()->popupMenu), kUndo, text, 64, MF_BYCOMMAND);
        EXPECT_NE(std::wstring(text).find(L"\tCtrl+Z"), std::wstring::npos);
        EXPECT_TRUE(MenuState(kUndo) & MF_GRAYED);
        EXPECT_TRUE(MenuState(kRedo) & MF_GRAYED);
        Stroke();
        EXPECT_FALSE(MenuState(kUndo) & MF_GRAYED);
        Command(kUndo); // as the menu item sends it
        EXPECT_TRUE(MenuState(kUndo) & MF_GRAYED);
        EXPECT_FALSE(MenuState(kRedo) & MF_GRAYED);
        TheApp()->playbackMode = 1;
        EXPECT_TRUE(MenuState(kRedo) & MF_GRAYED);
        TheApp()->playbackMode = 0;
        Command(kRedo);
        EXPECT_FALSE(MenuState(kUndo) & MF_GRAYED);
        ClearUndoHistory();
    }
}
