// WM_COMMAND: every action that is not drawing or a gesture.
#include <windows.h>

#include <shellapi.h>

#include "app/language_win32.h"
#include "app/picture_files_win32.h"
#include "app/practice_win32.h"
#include "app/reference_window_win32.h"
#include "app/scoped_win32.h"
#include "app/shell_win32.h"
#include "app/undo_win32.h"
#include "base/commands.h"
#include "engine/brush.h"
#include "engine/refresh_thread.h"
#include "record/playback.h"
#include "view/block_reducers.h"
#include "view/previews.h"
#include "view/view_commands.h"
#include "view/view_paint.h"
#include "view/view_transforms.h"

namespace {

// Radio groups: the previous item loses its mark, the new one receives it.
void MoveCheckMark(AppState* app, UINT previous, UINT next) {
    HMENU menu = static_cast<HMENU>(app->popupMenu);
    if (!menu) return;
    CheckMenuItem(menu, previous, MF_BYCOMMAND | MF_UNCHECKED);
    CheckMenuItem(menu, next, MF_BYCOMMAND | MF_CHECKED);
}

void ZoomTo(AppState* app, HWND window, int level) {
    if (kZoomScales[level] == View(app)->scale) return;
    {
        WaitCursor wait;
        ZoomViewToLevel(View(app), level);
    }
    UpdateTitle(app);
    InvalidateRect(window, nullptr, FALSE);
}

void RotateTo(AppState* app, HWND window, int32_t angle) {
    TurnViewToRightAngle(View(app), angle);
    InvalidateRect(window, nullptr, FALSE);
}

void RotateStep(AppState* app, HWND window, float degrees) {
    WaitCursor wait;
    WaitForRotatePreview(app, 10);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    app->rotating = 0;
    StepViewAngle(View(app), degrees);
    InvalidateRect(window, nullptr, FALSE);
}

void ApplyWindowOpacity(HWND window, int32_t value) {
    LONG_PTR style = GetWindowLongPtrW(window, GWL_EXSTYLE);
    if (value == 255) {
        SetWindowLongPtrW(window, GWL_EXSTYLE, style & ~WS_EX_LAYERED);
        return;
    }
    SetWindowLongPtrW(window, GWL_EXSTYLE, style | WS_EX_LAYERED);
    SetLayeredWindowAttributes(window, 0, static_cast<BYTE>(value), LWA_ALPHA);
}

void SetPenSize(AppState* app, HWND window, int32_t size) {
    app->settings.brushParams[0].penSize = size;
    InvalidateRect(window, nullptr, FALSE);
    PostMessageW(window, WM_PAINT, 0, 0);
}

} // namespace

namespace {

// The numbered ranges: zoom levels, right angles, time limits, playback
// speeds and the two recording items.
bool OnRangeCommand(AppState* app, HWND window, UINT command) {
    if (command >= kZoomTo && command < kZoomTo + kZoomLevels) {
        ZoomTo(app, window, static_cast<int>(command - kZoomTo));
    } else if (command >= kRotateTo && command < kRotateTo + 4) {
        RotateTo(app, window, static_cast<int32_t>(command - kRotateTo) * 90);
    } else if (command >= kSetTimeLimit && command < kSetTimeLimit + kTimeLimits) {
        MoveCheckMark(app, TimeLimitCommand(app->settings.timeLimitIndex), command);
        SetTimeLimit(app, static_cast<int32_t>(command - kSetTimeLimit));
    } else if (command >= kSetPlaybackSpeed && command < kSetPlaybackSpeed + kPlaybackSpeeds) {
        MoveCheckMark(app, kSetPlaybackSpeed + static_cast<UINT>(app->settings.speedIndex),
                      command);
        SetPlaybackSpeed(app, static_cast<int32_t>(command - kSetPlaybackSpeed));
    } else if (command == kToggleRecordStep || command == kToggleRecordStep + 1) {
        app->settings.recordStep = app->settings.recordStep ? 0 : 1;
        MoveCheckMark(app, kToggleRecordStep + (app->settings.recordStep ? 0 : 1),
                      kToggleRecordStep + app->settings.recordStep);
    } else {
        return false;
    }
    return true;
}

// Pictures and the program: new, the saves, exit and about.
bool OnFileCommand(AppState* app, HWND window, UINT command) {
    switch (command) {
    case kNewDrawing:
        NewDrawing(app);
        return true;
    case kSaveAs:
        SaveAs(app);
        return true;
    case kQuickSave:
        QuickSave(app);
        return true;
    case kSaveCopyAs:
        SaveCopyAs(app);
        return true;
    case kExit:
        SendMessageW(window, WM_CLOSE, 0, 0);
        return true;
    case kAbout:
        ShellAboutW(window, L"pindora", L"pindora version 0.1",
                    reinterpret_cast<HICON>(GetClassLongPtrW(window, GCLP_HICON)));
        return true;
    default:
        return false;
    }
}

// The view: refresh, repaint, mirror, sub-pixel, fit, zoom and turn steps.
bool OnViewCommand(AppState* app, HWND window, UINT command) {
    ViewState* view = View(app);
    switch (command) {
    case kRefreshCommand:
        RefreshView(view);
        break;
    case kRepaintCommand:
        RepaintView(view);
        break;
    case kMirror: {
        WaitCursor wait;
        ToggleViewMirror(view);
        break;
    }
    case kToggleSubPixel: {
        app->settings.subPixel = app->settings.subPixel ? 0 : 1;
        const int32_t level = ZoomLevelIndex(view->scale);
        if (level >= 0)
            view->pixelRenderer =
                SelectBlockReducer(static_cast<uint32_t>(level), app->settings.subPixel);
        RefreshView(view);
        break;
    }
    case kFitToWindow:
        FitViewToWindow(view);
        UpdateTitle(app);
        break;
    case kZoomIn:
    case kZoomOut: {
        const uint16_t next =
            command == kZoomIn ? ZoomInCommand(view->scale) : ZoomOutCommand(view->scale);
        if (next) SendMessageW(window, WM_COMMAND, next, 0);
        return true;
    }
    case kRotateRight:
    case kRotateLeft:
        RotateTo(app, window,
                 command == kRotateRight ? RotateRightAngle(view->rotation)
                                         : RotateLeftAngle(view->rotation));
        return true;
    case kRotateStepRight:
    case kRotateStepLeft:
        RotateStep(app, window, command == kRotateStepRight ? 15.0f : -15.0f);
        return true;
    default:
        return false;
    }
    InvalidateRect(window, nullptr, FALSE);
    return true;
}

// The pen and the window: brush choice, pen size, window opacity.
bool OnPenCommand(AppState* app, HWND window, UINT command) {
    switch (command) {
    case kSelectBrush:
        MoveCheckMark(app, kSelectBrush + app->settings.brushIndex, kSelectBrush);
        app->settings.brushIndex = 0;
        app->canvas.brush = LookupBrush(0);
        return true;
    case kPenSmaller:
        SetPenSize(app, window, PenSmallerSize(app->settings.brushParams[0].penSize));
        return true;
    case kPenLarger:
        SetPenSize(app, window, PenLargerSize(app->settings.brushParams[0].penSize));
        return true;
    case kToggleWindowOpacity:
        app->settings.windowOpacityOn = app->settings.windowOpacityOn ? 0 : 1;
        if (app->settings.windowOpacityOn)
            ApplyWindowOpacity(window, UsableWindowOpacity(app->settings.windowOpacity));
        else
            SetWindowLongPtrW(window, GWL_EXSTYLE,
                              GetWindowLongPtrW(window, GWL_EXSTYLE) & ~WS_EX_LAYERED);
        return true;
    default:
        return false;
    }
}

} // namespace

LRESULT OnCommand(AppState* app, HWND window, WPARAM wParam, LPARAM) {
    const UINT command = LOWORD(wParam);
    app->mouseBlocked = 0;
    // A dirty update still rendering with the old view must land before the
    // view bitmaps change under it.
    WaitForRefreshIdle(app);
    if (HandleLanguageChoice(app, command)) return 0;
    if (OnRangeCommand(app, window, command)) return 0;
    if (OnUndoCommand(app, command)) return 0;
    if (OnFileCommand(app, window, command)) return 0;
    if (OnPracticeCommand(app, command)) return 0;
    if (OnViewCommand(app, window, command)) return 0;
    if (OnReferenceCommand(app, command)) return 0;
    if (OnReplayCommand(app, window, command)) return 0;
    OnPenCommand(app, window, command);
    return 0;
}

void MarkOpeningMenu(AppState* app, HMENU menu, UINT position) {
    if (menu == app->popupMenu) MarkUndoItems(app, menu);
    MarkReplayItems(app);
    UINT checked = 0, first = 0, count = 0;
    // The sub-menus of the pop-up menu, by position.
    enum : UINT { kTimeLimitMenu, kRecordingMenu, kSpeedMenu, kLanguageMenu };
    switch (position) {
    case kTimeLimitMenu:
        first = kSetTimeLimit;
        count = kTimeLimits;
        checked = TimeLimitCommand(app->settings.timeLimitIndex);
        break;
    case kRecordingMenu:
        first = kToggleRecordStep;
        count = 2;
        checked = kToggleRecordStep + (app->settings.recordStep ? 1 : 0);
        break;
    case kSpeedMenu:
        first = kSetPlaybackSpeed;
        count = kPlaybackSpeeds;
        checked = kSetPlaybackSpeed + static_cast<UINT>(app->settings.speedIndex);
        break;
    case kLanguageMenu:
        MarkLoadedLanguage(app, menu);
        return;
    default:
        MarkPracticeItems(menu);
        return;
    }
    for (UINT id = first; id < first + count; ++id)
        CheckMenuItem(menu, id, MF_BYCOMMAND | (id == checked ? MF_CHECKED : MF_UNCHECKED));
}
