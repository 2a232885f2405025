// One real main window for all in-process window tests, and the tools they
// share: a message pump, message-box capture, screen reads, canvas patterns.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/shell_win32.h"

namespace harness {

// The window, created on first use and closed when the test program ends.
HWND Window();

// Runs the window's messages for about that long.
void Pump(int milliseconds);

// Sends a command and lets the window paint.
void Command(UINT id);

// Message boxes are answered automatically (OK, or the set answer for
// yes/no questions) and their texts recorded; error messages shown through
// the report sink are recorded too.
std::vector<std::wstring>& Messages();
void AnswerQuestionsWith(int answer);

// Real input, as the system delivers it (SendInput): a key pressed or
// released, and mouse flags (buttons, a move, the wheel's turn).
void Key(WORD key, bool down);
void Mouse(DWORD flags, LONG wheel = 0);
// Moves the pointer to a client point of the window, the way a hand does,
// and runs the window's messages for `settle` milliseconds.
void MoveTo(int x, int y, int settle = 20);

// Paper everywhere, ink in one rectangle (canvas pixels).
void DrawPattern(Rect ink);

// What the window shows, read from the screen through the window's DC.
class ScreenShot {
  public:
    explicit ScreenShot(HWND window);
    // The grey level (0 black … 255 white) of a client pixel; -1 outside.
    int Grey(int x, int y) const;
    int width() const { return width_; }
    int height() const { return height_; }
    const std::vector<uint32_t>& pixels() const { return pixels_; }

  private:
    int width_ = 0, height_ = 0;
    std::vector<uint32_t> pixels_;
};

// The program folder of the test executable, with a trailing backslash.
std::wstring Folder();

// Files in a folder matching a pattern.
std::vector<std::wstring> FilesIn(const std::wstring& folder, const std::wstring& pattern);

// A drop of files on the window, built as the shell would deliver it.
void DropFiles(const std::vector<std::wstring>& paths);

} // namespace harness
