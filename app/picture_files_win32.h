// The file commands of the window: new drawing, save as, quick save, save a
// copy, the automatic save, and loading a dropped picture's recording.
#pragma once

#include <windows.h>

#include <commdlg.h>

#include "base/app_state.h"

// Prepares the save dialog record (once, at window creation).
void SetUpSaveDialog(AppState* app, HWND window);

// Writes the canvas and the recording as a PNG: 0 when written. A failure
// is shown in a message naming the path and the reason, and an existing
// file of that name is left as it was. Quick save and Save as write 0 as the
// recording's start (fileStartsAtZero); the log in memory keeps its own.
int32_t SavePicture(AppState* app, const wchar_t* path, bool fileStartsAtZero = false);

// The time-stamped save in the default folder: 0 saved (or nothing to save
// while a dropped picture is shown), 1 failed.
int32_t QuickSave(AppState* app);
void SaveAs(AppState* app);
void SaveCopyAs(AppState* app);
void NewDrawing(AppState* app);

// F5: the canvas rebuilt from the log by playback, once the drawing is
// saved (a log that cannot be played only beeps or is refused, unsaved).
void ReplayRecording(AppState* app);

// Reads only the recording of a picture file (with its pen changes when pens
// is given): 1 when the file was a readable PNG (whether or not it carried
// steps), 0 otherwise.
int32_t LoadRecording(const wchar_t* path, StepLog* log, PenLog* pens = nullptr);
void LoadDroppedPicture(AppState* app, const wchar_t* path);

// Runs the system save dialog on the record; nonzero when confirmed.
BOOL RunSaveDialog(AppState* app);

// What runs the dialog: the system's GetSaveFileNameW, or a stand-in that
// fills the file buffer and answers (tests). Null restores the system's;
// the previous one is returned.
using SaveDialogRunner = BOOL(WINAPI*)(OPENFILENAMEW* dialog);
SaveDialogRunner SetSaveDialogRunner(SaveDialogRunner runner);
