// Undo and redo in the window: commands, the fallback keys, the menu items.
#include "app/undo_win32.h"

#include "base/commands.h"
#include "record/undo_history.h"

bool OnUndoCommand(AppState* app, UINT command) {
    switch (command) {
    case kUndo:
        UndoStroke(app);
        return true;
    case kRedo:
        RedoStroke(app);
        return true;
    default:
        return false;
    }
}

bool OnUndoKey(HWND window, WPARAM key) {
    const bool control = GetKeyState(VK_CONTROL) < 0, shift = GetKeyState(VK_SHIFT) < 0;
    if (!control || GetKeyState(VK_MENU) < 0) return false;
    UINT command = 0;
    if (key == 'Z') command = shift ? kRedo : kUndo;
    if (key == 'Y' && !shift) command = kRedo;
    if (!command) return false;
    SendMessageW(window, WM_COMMAND, command, 0);
    return true;
}

void MarkUndoItems(const AppState* app, HMENU menu) {
    EnableMenuItem(menu, kUndo, MF_BYCOMMAND | (CanUndo(app) ? MF_ENABLED : MF_GRAYED));
    EnableMenuItem(menu, kRedo, MF_BYCOMMAND | (CanRedo(app) ? MF_ENABLED : MF_GRAYED));
}
