// The title bar from the current state: drawing time, limit, scale and file
// name, or the playing form.
#include <windows.h>

#include <string>

#include "app/title_text.h"
#include "app/title_win32.h"
#include "practice/practice_session.h"

void UpdateTitle(AppState* app) {
    if (!app->mainWindow) return;
    const std::u16string title = ComposeTitle(
        app->playbackMode, app->elapsedSeconds, app->timeLimitSeconds, app->viewHost.view.scale,
        app->settings.currentFile, ThePracticeSession().Progress());
    SetWindowTextW(static_cast<HWND>(app->mainWindow),
                   reinterpret_cast<const wchar_t*>(title.c_str()));
}
