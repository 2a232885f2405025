// Practice sessions in the window: started from a drop of several pictures or
// a folder, or from a folder chosen in the menu; each picture shown as the
// reference for its time, each drawing saved with its recording, and the
// sheet of them all at the end.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <string>
#include <vector>

#include "base/app_state.h"

// Takes a drop of a folder, or of several files of which at least two are
// pictures to practise from, as a session (and finishes the drop): true
// then. Any other drop is left to the caller, untouched.
bool TakePracticeDrop(AppState* app, HDROP drop);

// Starts a session with the pictures in these files and folders. The drawing
// on the canvas is saved first, as before a new drawing; when that fails, or
// nothing in them is a picture, no session starts (and a message says why).
// A session already running ends first.
void StartPracticeSession(AppState* app, const std::vector<std::wstring>& paths);

// The session's menu items: choose a folder, pause/resume, skip, end.
bool OnPracticeCommand(AppState* app, UINT command);
void MarkPracticeItems(HMENU menu);

// Before each tick of the drawing clock: holds the clock while paused, and
// moves on when the time ran out during a stroke that has now ended.
void PracticeClockTick(AppState* app);

// Closing the window during a session: the drawing is saved under its session
// name and the sheet written, without a message when all went well.
void EndPracticeSessionForClose(AppState* app);
