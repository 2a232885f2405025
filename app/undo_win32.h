// Undo and redo in the window: the two commands, their keys and their menu items.
#pragma once

#include <windows.h>

#include "base/app_state.h"

// Commands 47101 (undo) and 47102 (redo); false for any other command.
bool OnUndoCommand(AppState* app, UINT command);

// Ctrl+Z, and Ctrl+Y or Ctrl+Shift+Z, when no accelerator of the user's key
// table took them first: the command is sent and true returned.
bool OnUndoKey(HWND window, WPARAM key);

// Greys the two menu items while there is nothing to take back or put back,
// and during a playback.
void MarkUndoItems(const AppState* app, HMENU menu);
