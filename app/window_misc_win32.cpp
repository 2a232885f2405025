// Timers, paint, title, dropped files and the placement guard.
#include <windows.h>

#include <shellapi.h>

#include <cwchar>

#include "app/language_win32.h"
#include "app/picture_files_win32.h"
#include "app/practice_win32.h"
#include "app/recovery_win32.h"
#include "app/reference_window_win32.h"
#include "app/scoped_win32.h"
#include "app/shell_win32.h"
#include "app/title_text.h"
#include "canvas/dib_surface.h"
#include "canvas/picture_names.h"
#include "engine/stroke_engine.h"
#include "record/playback.h"

HCURSOR ProgramCursor() {
    static HCURSOR cursor = LoadCursorW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(ID_CURSOR_PEN));
    return cursor;
}

LRESULT OnTimer(AppState* app, HWND, WPARAM timerId) {
    if (timerId == ID_TIMER_CLOCK) {
        PracticeClockTick(app);
        ClockTick(app);
    }
    if (timerId == ID_TIMER_PLAYBACK) PlaybackTick(app);
    if (timerId == kRecoveryTimer) OfferRecovery(app, MainWindow(app));
    return 0;
}

// The brush outline: a circle of the pen's displayed diameter, drawn in black
// inside white so that it shows on paper and on ink; the eraser's circle is
// dashed black and white. Hidden while panning.
void DrawBrushOutline(AppState* app, HDC target) {
    if (app->panKeyDown || app->playbackMode) return;
    const ViewState* view = &app->viewHost.view;
    const int32_t penSize = app->settings.brushParams[0].penSize;
    const int32_t diameter = OutlineDiameter(penSize, view->scale);
    if (diameter <= 0) return;
    const Point centre = LastOutlinePosition();
    POINT cursor;
    GetCursorPos(&cursor);
    ScreenToClient(MainWindow(app), &cursor);
    RECT client;
    GetClientRect(MainWindow(app), &client);
    if (!PtInRect(&client, cursor)) return;
    const int32_t half = diameter / 2;
    ScopedSelection hollow(target, GetStockObject(NULL_BRUSH));
    {
        ScopedSelection ring(target, GetStockObject(WHITE_PEN));
        Ellipse(target, centre.x - half - 1, centre.y - half - 1, centre.x - half + diameter + 1,
                centre.y - half + diameter + 1);
    }
    const bool erasing = IsEraserActive(app);
    ScopedGdiObject dashes(erasing ? CreatePen(PS_DOT, 1, RGB(0, 0, 0)) : nullptr);
    ScopedSelection circle(target, dashes.get() ? dashes.get() : GetStockObject(BLACK_PEN));
    SetBkMode(target, OPAQUE);
    SetBkColor(target, RGB(255, 255, 255));
    Ellipse(target, centre.x - half, centre.y - half, centre.x - half + diameter,
            centre.y - half + diameter);
}

LRESULT OnPaint(AppState* app, HWND window) {
    PAINTSTRUCT paint;
    HDC target = BeginPaint(window, &paint);
    const ViewState* view = &app->viewHost.view;
    if (view->screen && view->screen->dc) {
        BitBlt(target, 0, 0, view->clientWidth, view->clientHeight,
               static_cast<HDC>(view->screen->dc), 0, 0, SRCCOPY);
    } else {
        FillRect(target, &paint.rcPaint, static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH)));
    }
    DrawBrushOutline(app, target);
    EndPaint(window, &paint);
    return 0;
}

void OnDropFiles(AppState* app, HWND window, HDROP drop) {
    if (TakePracticeDrop(app, drop)) return;
    wchar_t path[521] = L"";
    DragQueryFileW(drop, 0, path, 521);
    DragFinish(drop);
    // The program's own drop copy only beeps.
    std::wstring dropCopy = ProgramFolder() + reinterpret_cast<const wchar_t*>(kDropCopyName);
    if (lstrcmpiW(path, dropCopy.c_str()) == 0) {
        MessageBeep(0);
        return;
    }
    // Any picture but a recording becomes the reference; the drawing stays.
    if (IsReferenceDrop(path)) {
        ShowReference(window, path);
        return;
    }
    LoadDroppedPicture(app, path);
}

void KeepPlacementOnScreen(WINDOWPLACEMENT* placement) {
    RECT& rect = placement->rcNormalPosition;
    RECT work;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const LONG workWidth = work.right - work.left, workHeight = work.bottom - work.top;
    LONG width = rect.right - rect.left, height = rect.bottom - rect.top;
    bool sane = width > 0 && height > 0 && width <= 16 * workWidth && height <= 16 * workHeight;
    if (sane && MonitorFromRect(&rect, MONITOR_DEFAULTTONULL)) return;
    // Off every monitor (or no size at all): open on the primary monitor,
    // keeping the stored size where it fits.
    if (width <= 0 || width > workWidth) width = workWidth * 3 / 4;
    if (height <= 0 || height > workHeight) height = workHeight * 3 / 4;
    rect.left = work.left + (workWidth - width) / 2;
    rect.top = work.top + (workHeight - height) / 2;
    rect.right = rect.left + width;
    rect.bottom = rect.top + height;
}
