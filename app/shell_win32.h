// The Win32 shell: entry point, window procedure and the handlers it routes
// messages to. Everything here runs on the window thread.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <string>

#include "app/title_win32.h"
#include "base/app_state.h"
#include "base/command_ids.h"
#include "base/native_handles_win32.h"
#include "canvas/canvas.h"
#include "canvas/dib_surface.h"
#include "settings/settings.h"
#include "view/view_state.h"

// The record handed to window creation: where to store the accelerator table
// and the command line.
struct CreateParams {
    HACCEL* acceleratorSlot;
    const wchar_t* commandLine;
};

extern int32_t started;

// The class "pindoraMainClass" and the main window of that class.
bool RegisterMainWindowClass(HINSTANCE instance);
HWND CreateMainWindow(HINSTANCE instance, CreateParams* params);

inline HWND MainWindow(const AppState* app) {
    return static_cast<HWND>(app->mainWindow);
}

// Drive and directory of the executable, with a trailing backslash.
std::wstring ProgramFolder();

// The view of the program state.
inline ViewState* View(AppState* app) {
    return &app->viewHost.view;
}

void EnterProgramFolder();

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

LRESULT OnCreate(AppState* app, HWND window, const CREATESTRUCTW* create);
LRESULT OnClose(AppState* app, HWND window);
LRESULT OnCommand(AppState* app, HWND window, WPARAM wParam, LPARAM lParam);
LRESULT OnTimer(AppState* app, HWND window, WPARAM timerId);
LRESULT OnPaint(AppState* app, HWND window);
bool OnMouseMessage(AppState* app, HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                    LRESULT* result);
bool OnKeyMessage(AppState* app, HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                  LRESULT* result);
// Pen and touch pointer messages; false passes the message on.
bool OnPointerMessage(AppState* app, HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                      LRESULT* result);
// Finger data of the multi-touch library (message 0x6205).
void OnFingerMessage(AppState* app, HWND window, LPARAM lParam);
void OnDropFiles(AppState* app, HWND window, HDROP drop);

// The program's drawing cursor (resource 104).
HCURSOR ProgramCursor();

// Check marks of a pop-up sub-menu as it opens, by its position.
void MarkOpeningMenu(AppState* app, HMENU menu, UINT position);

// The eraser switch and the playback's finish and step commands; false when
// the command is none of them.
bool OnReplayCommand(AppState* app, HWND window, UINT command);
// The eraser's check mark and which steering items apply, before a menu shows.
void MarkReplayItems(AppState* app);

// Sets the title bar from the current state.

// Keeps a stored placement visible: off every monitor it moves to the primary.
void KeepPlacementOnScreen(WINDOWPLACEMENT* placement);
