// The eraser switch and steering a playback: finish at once, step one stroke.
#include <windows.h>

#include "app/shell_win32.h"
#include "base/commands.h"
#include "record/playback_steering.h"

bool OnReplayCommand(AppState* app, HWND window, UINT command) {
    switch (command) {
    case kToggleEraser:
        app->eraserOn = app->eraserOn ? 0 : 1;
        // The outline shows which end is in use.
        InvalidateRect(window, nullptr, FALSE);
        return true;
    case kFinishPlayback:
        FinishPlayback(app);
        return true;
    case kStepPlayback:
        StepPlayback(app);
        return true;
    default:
        return false;
    }
}

void MarkReplayItems(AppState* app) {
    HMENU menu = static_cast<HMENU>(app->popupMenu);
    if (!menu) return;
    // By command: the items are found in whichever sub-menu holds them.
    CheckMenuItem(menu, kToggleEraser, MF_BYCOMMAND | (app->eraserOn ? MF_CHECKED : MF_UNCHECKED));
    const bool playing = HasStepsToPlay(app);
    EnableMenuItem(menu, kFinishPlayback, MF_BYCOMMAND | (playing ? MF_ENABLED : MF_GRAYED));
    const bool paused = playing && app->settings.speedIndex == 0;
    EnableMenuItem(menu, kStepPlayback, MF_BYCOMMAND | (paused ? MF_ENABLED : MF_GRAYED));
}
