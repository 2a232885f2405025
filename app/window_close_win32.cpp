// Window close: everything is saved and released in a fixed order.
#include <windows.h>

#include <cstring>

#include <objbase.h>
#include <ole2.h>

#include "app/picture_files_win32.h"
#include "app/practice_win32.h"
#include "app/shell_win32.h"
#include "base/commands.h"
#include "canvas/canvas_blank.h"
#include "canvas/picture_names.h"
#include "engine/refresh_thread.h"
#include "input/tablet.h"
#include "record/recovery_journal.h"
#include "settings/settings_win32.h"
#include "view/view_paint.h"

LRESULT OnClose(AppState* app, HWND window) {
    EnterProgramFolder();
    EndPracticeSessionForClose(app);
    // The automatic save. When it fails the drawing is not given up without
    // a word: the user chooses between keeping the window and closing.
    if (!app->loadedWithSteps && !IsCanvasBlank(&app->canvas) && QuickSave(app) != 0) {
        int answer = MessageBoxW(
            window, L"The drawing could not be saved.\n\nClose pindora without saving it?",
            L"pindora", MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2);
        if (answer != IDYES) return 0;
    }
    std::wstring dropCopy = ProgramFolder() + reinterpret_cast<const wchar_t*>(kDropCopyName);
    DeleteFileW(dropCopy.c_str());
    RemoveJournal(); // a clean close: nothing to recover

    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    if (GetWindowPlacement(window, &placement))
        std::memcpy(&app->settings.placement, &placement, sizeof placement);
    SaveSettings(&app->settings);

    // The refresh thread reads the canvas and the view bitmaps: it ends first.
    StopRefreshThread(app);
    ReleaseView(&app->viewHost.view);
    FreeCanvas(&app->canvas);
    if (app->acceleratorSlot && *app->acceleratorSlot) {
        DestroyAcceleratorTable(static_cast<HACCEL>(*app->acceleratorSlot));
        *app->acceleratorSlot = nullptr;
    }
    if (app->languageLibrary) FreeLibrary(AsModule(app->languageLibrary));
    app->languageLibrary = nullptr;
    ShutDownTablet(app);
    if (app->user32Module) FreeLibrary(AsModule(app->user32Module));
    app->user32Module = nullptr;
    DestroyWindow(window);
    return 0;
}
