// Window creation: every subsystem's state is set up here, in a fixed order.
#include <windows.h>

#include <cstring>

#include <imm.h>
#include <mmsystem.h>
#include <shellapi.h>

#include <ctime>

#include "app/language_win32.h"
#include "app/picture_files_win32.h"
#include "app/recovery_win32.h"
#include "app/shell_win32.h"
#include "base/commands.h"
#include "canvas/canvas_limits.h"
#include "engine/brush.h"
#include "input/tablet.h"
#include "record/playback_host.h"
#include "record/step_recorder.h"
#include "record/undo_history.h"
#include "settings/settings_win32.h"
#include "view/view_paint.h"

namespace {

using RegisterTouchWindowFunction = BOOL(WINAPI*)(HWND, ULONG);

void ApplyStoredPlacement(AppState* app, HWND window) {
    WINDOWPLACEMENT placement;
    static_assert(sizeof placement == sizeof app->settings.placement, "same layout");
    std::memcpy(&placement, &app->settings.placement, sizeof placement);
    UINT storedShow = placement.showCmd;
    placement.length = sizeof placement;
    placement.showCmd = SW_HIDE; // the entry point shows the window
    app->settings.placement.showCmd = SW_HIDE;
    KeepPlacementOnScreen(&placement);
    SetWindowPlacement(window, &placement);
    if (storedShow == SW_MAXIMIZE) PostMessageW(window, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
}

HACCEL BuildAcceleratorTable(const KeyTable* keys) {
    if (!keys || keys->count < 1 || !keys->entries) return nullptr;
    static_assert(sizeof(ACCEL) == sizeof(Accel), "same layout");
    return CreateAcceleratorTableW(reinterpret_cast<ACCEL*>(keys->entries), keys->count);
}

} // namespace

LRESULT OnCreate(AppState* app, HWND window, const CREATESTRUCTW* create) {
    const CreateParams* params = static_cast<const CreateParams*>(create->lpCreateParams);

    SetStrokeRecorder(&kStepRecorder);
    SetStrokeKeeper(&kUndoKeeper);
    app->user32Module = ModuleFrom(LoadLibraryW(L"User32.dll"));
    app->devices = DeviceState{};
    app->tabletInProximity = 0;
    app->loadedWithSteps = 0;
    if (app->user32Module) {
        auto registerTouch = reinterpret_cast<RegisterTouchWindowFunction>(reinterpret_cast<void*>(
            GetProcAddress(AsModule(app->user32Module), "RegisterTouchWindow")));
        if (registerTouch) registerTouch(window, 0);
    }
    EnterProgramFolder();
    app->mainWindow = window;
    app->acceleratorSlot = reinterpret_cast<GdiHandle*>(params->acceleratorSlot);
    app->savedInputContext = ImmAssociateContext(window, nullptr);
    InitViewLock(&app->previewLock);
    InitViewLock(&app->viewHost.view.lock);

    LoadSettings(&app->settings, window);
    SetUpSaveDialog(app, window);
    LoadLanguage(app);
    SetPlaybackTextLoader([](AppState* state, uint32_t id) {
        return reinterpret_cast<const char16_t*>(LoadText(state, id));
    });
    *params->acceleratorSlot = BuildAcceleratorTable(app->settings.keyboardKeys);
    SetUpTablet(window, app, &app->settings);
    DragAcceptFiles(window, TRUE);
    ApplyStoredPlacement(app, window);

    InstallBrush(window, &app->canvas, &app->settings);
    RECT client;
    GetClientRect(window, &client);
    CreateCanvas(&app->canvas, &app->settings, CanvasSideForClient(client.right - client.left),
                 CanvasSideForClient(client.bottom - client.top));

    app->viewHost.window = window;
    InitView(&app->viewHost, &app->canvas, &app->settings);
    app->rotating = app->zooming = 0;
    app->dragAnchor = Point{0, 0};
    app->wheelAccumulator = 0;

    PostMessageW(window, WM_COMMAND, kFitToWindow, 0);
    joySetCapture(window, JOYSTICKID1, 16, FALSE);
    SendMessageW(window, WM_COMMAND, TimeLimitCommand(app->settings.timeLimitIndex), 0);
    app->startTime = static_cast<int64_t>(std::time(nullptr));
    SetTimer(window, ID_TIMER_CLOCK, 1000, nullptr);
    UpdateTitle(app);
    StartRecovery(app, window);
    started = 1;
    return 0;
}
