// The reference window: a resizable tool window owned by the main window that
// shows one reference picture beside the drawing, with the look the settings
// give it (two-tone, fitted to the window, see-through).
#pragma once

#include <windows.h>

#include "base/app_state.h"

// Opens (or reuses) the reference window owned by `owner` and shows the
// picture. A picture the codecs cannot read shows one message (the file and
// the reason) and changes nothing; false then.
bool ShowReference(HWND owner, const wchar_t* path);

// Closes the window, if open, and lets its picture go.
void CloseReference();

// The window while it exists (shown or hidden), else null.
HWND ReferenceWindow();

// Routes a dropped single file: true when it is not a pindora recording (a
// PNG with a recording that has steps), i.e. the caller should show it as
// the reference rather than replay it.
bool IsReferenceDrop(const wchar_t* path);

// The reference commands (show/hide, fit, two-tone, see-through): true when handled.
bool OnReferenceCommand(AppState* app, UINT command);

// Check marks of the reference items in a menu that is opening.
void MarkReferenceItems(AppState* app, HMENU menu);
