// Saving, loading and dropping pictures: the shell's side, with its dialogs and messages.
#include "app/picture_files_win32.h"

#include <commdlg.h>
#include <mmsystem.h>
#include <shlwapi.h>

#include <cstring>
#include <ctime>
#include <memory>
#include <new>
#include <string>

#include "app/language_win32.h"
#include "app/scoped_win32.h"
#include "app/shell_win32.h"
#include "base/commands.h"
#include "base/report.h"
#include "canvas/canvas_blank.h"
#include "canvas/canvas_limits.h"
#include "canvas/picture_names.h"
#include "canvas/png_file.h"
#include "canvas/png_steps.h"
#include "engine/brush.h"
#include "engine/refresh_thread.h"
#include "record/playback.h"
#include "record/recording_check.h"
#include "record/recovery_journal.h"
#include "record/undo_history.h"
#include "view/view_paint.h"

namespace {

OPENFILENAMEW saveDialog;
SaveDialogRunner dialogRunner = GetSaveFileNameW;
const wchar_t kFilter[] = L"All image file\0*.png;*.bmp;*.gif;*.jpg;*.jpeg\0"
                          L"PNG file (*.png)\0*.png\0"
                          L"BMP file (*.bmp;*.dib)\0*.bmp;*.dib\0"
                          L"GIF file (*.gif)\0*.gif\0"
                          L"JPEG file (*.jpg;*.jpeg)\0*.jpg;*.jpeg\0";

const wchar_t* Wide(const char16_t* text) {
    return reinterpret_cast<const wchar_t*>(text);
}
const char16_t* Narrow16(const wchar_t* text) {
    return reinterpret_cast<const char16_t*>(text);
}

std::wstring TimeStamp() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_s(&local, &now);
    std::u16string name = TimeStampName(local);
    return std::wstring(Wide(name.c_str()));
}

std::wstring SystemReason(DWORD error) {
    wchar_t* text = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                       FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring reason = text ? text : L"Windows error " + std::to_wstring(error);
    if (text) LocalFree(text);
    while (!reason.empty() && (reason.back() == L'\n' || reason.back() == L'\r')) reason.pop_back();
    return reason;
}

std::wstring WriterReason(int32_t code, DWORD error) {
    switch (code) {
    case kPngCannotCreateFile:
        return L"The file cannot be created: " + SystemReason(error);
    case kPngNoWriteStruct:
    case kPngNoInfoStruct:
        return L"There is not enough memory to write the picture.";
    default:
        return L"Writing the picture failed (the disk may be full).";
    }
}

void ShowSaveFailure(const std::wstring& path, const std::wstring& reason) {
    std::wstring text = L"The picture could not be saved as\n" + path + L"\n\n" + reason;
    ShowErrorMessage(Narrow16(text.c_str()));
}

// Saves in progress that a killed process left behind in the target's
// folder. A save still being written by another instance holds its file
// open without sharing deletion, so only true leftovers go.
void RemoveStaleSaves(const std::wstring& target) {
    const std::wstring folder = Wide(FolderOf(Narrow16(target.c_str())).c_str());
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + Wide(kTemporarySavePattern)).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do DeleteFileW((folder + found.cFileName).c_str());
    while (FindNextFileW(search, &found));
    FindClose(search);
}

void ReplaceCanvas(AppState* app, int32_t width, int32_t height) {
    // Nothing may render from the old canvas while it is replaced.
    WaitForRefreshIdle(app);
    ClearUndoHistory();
    FreeCanvas(&app->canvas);
    ReleaseViewBitmaps(&app->viewHost.view);
    InstallBrush(app->mainWindow, &app->canvas, &app->settings);
    CreateCanvas(&app->canvas, &app->settings, width, height);
    InitView(&app->viewHost, &app->canvas, &app->settings);
}

} // namespace

void SetUpSaveDialog(AppState* app, HWND window) {
    saveDialog = OPENFILENAMEW{};
    saveDialog.lStructSize = sizeof saveDialog;
    saveDialog.hwndOwner = window;
    saveDialog.lpstrFilter = kFilter;
    saveDialog.lpstrFile = reinterpret_cast<wchar_t*>(app->settings.currentFile);
    saveDialog.nMaxFile = kPathUnits;
    saveDialog.nMaxFileTitle = kPathUnits;
    saveDialog.lpstrDefExt = L"png";
}

SaveDialogRunner SetSaveDialogRunner(SaveDialogRunner runner) {
    SaveDialogRunner previous = dialogRunner;
    dialogRunner = runner ? runner : GetSaveFileNameW;
    return previous;
}

BOOL RunSaveDialog(AppState*) {
    saveDialog.Flags = OFN_OVERWRITEPROMPT;
    saveDialog.nFilterIndex = 1;
    return dialogRunner(&saveDialog);
}

int32_t SavePicture(AppState* app, const wchar_t* path, bool fileStartsAtZero) {
    WaitCursor wait;
    const CanvasImage* image = &app->canvas.image;
    int32_t result = 0;
    if (!image->bits) {
        ShowSaveFailure(path, L"There is no canvas to save.");
        result = 1;
    } else {
        // Write beside the target first and replace it only when complete.
        std::wstring target = path;
        RemoveStaleSaves(target);
        std::u16string temporary16 = TemporarySavePath(Narrow16(path), GetCurrentProcessId());
        std::wstring temporary = temporary16.empty() ? target : Wide(temporary16.c_str());
        FlushDibSurfaceDrawing();
        SetLastError(0);
        // The file may carry 0 as the recording's start while the log keeps
        // its own: a copy of the log is written, the log is never touched.
        const StepLog* written = &app->stepLog;
        std::unique_ptr<StepLog> copy;
        if (fileStartsAtZero && app->stepLog.stepCount >= 0 &&
            app->stepLog.stepCount <= kMaxSteps) {
            copy.reset(new (std::nothrow) StepLog);
        }
        if (copy) {
            std::memcpy(static_cast<void*>(copy.get()), &app->stepLog,
                        (static_cast<size_t>(app->stepLog.stepCount) + 1) * sizeof(Step));
            copy->recordStart = 0;
            written = copy.get();
        }
        int32_t code = fileStartsAtZero && !copy
                           ? kPngNoWriteStruct // no memory for the copy
                           : WritePngFile(Narrow16(temporary.c_str()), &image->header,
                                          image->palette, image->bits, written);
        DWORD error = GetLastError();
        if (code != 0) {
            DeleteFileW(temporary.c_str());
            ShowSaveFailure(target, WriterReason(code, error));
            result = 1;
        } else if (temporary != target &&
                   !MoveFileExW(temporary.c_str(), target.c_str(),
                                MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            error = GetLastError();
            DeleteFileW(temporary.c_str());
            ShowSaveFailure(target, SystemReason(error));
            result = 1;
        }
        if (result == 0) MarkJournalSaved(timeGetTime());
    }
    return result;
}

int32_t QuickSave(AppState* app) {
    if (app->loadedWithSteps) return 0;
    const std::u16string folder = app->settings.defaultPath;
    const std::u16string stamp = Narrow16(TimeStamp().c_str());
    // A second save within the same second must not replace the first (the
    // automatic save of the old drawing, then a quick save of the new one).
    std::u16string path16 = QuickSavePath(folder, stamp);
    for (int attempt = 1;
         attempt < 1000 && GetFileAttributesW(Wide(path16.c_str())) != INVALID_FILE_ATTRIBUTES;
         ++attempt)
        path16 = QuickSavePath(folder, stamp, attempt);
    std::wstring path = Wide(path16.c_str());
    // Files carry 0 as the recording's start; the log in memory keeps its
    // own, so the times of steps recorded afterwards keep growing from it.
    return SavePicture(app, path.c_str(), true);
}

void SaveAs(AppState* app) {
    wchar_t* current = reinterpret_cast<wchar_t*>(app->settings.currentFile);
    const bool proposed = current[0] == L'\0';
    if (proposed) lstrcpynW(current, TimeStamp().c_str(), kPathUnits);
    saveDialog.lpstrFile = current;
    if (!RunSaveDialog(app)) {
        if (proposed) current[0] = L'\0';
        return;
    }
    SavePicture(app, current, true);
    UpdateTitle(app);
}

void SaveCopyAs(AppState* app) {
    wchar_t* current = reinterpret_cast<wchar_t*>(app->settings.currentFile);
    std::wstring proposal = std::wstring(Wide(app->settings.defaultPath)) + TimeStamp();
    if (current[0] != L'\0') {
        wchar_t buffer[kPathUnits];
        lstrcpynW(buffer, proposal.c_str(), kPathUnits);
        saveDialog.lpstrFile = buffer;
        if (RunSaveDialog(app)) SavePicture(app, buffer);
        saveDialog.lpstrFile = current;
        return;
    }
    lstrcpynW(current, proposal.c_str(), kPathUnits);
    saveDialog.lpstrFile = current;
    if (RunSaveDialog(app)) SavePicture(app, current);
    current[0] = L'\0';
}

void NewDrawing(AppState* app) {
    HWND window = MainWindow(app);
    if (!app->loadedWithSteps && !IsCanvasBlank(&app->canvas)) {
        const wchar_t* folder = Wide(app->settings.defaultPath);
        if (folder[0] != L'\0' && !PathIsDirectoryW(folder)) {
            ShowErrorMessage(Narrow16(LoadText(app, 2)));
            ShowErrorMessage(app->settings.defaultPath);
            return;
        }
        EnterProgramFolder();
        SendMessageW(window, WM_COMMAND, kFitToWindow, 0);
        // The old drawing is replaced only once it is safely on disk.
        if (QuickSave(app) != 0) return;
    }
    app->settings.currentFile[0] = u'\0';
    app->loadedWithSteps = 0;
    RECT client;
    GetClientRect(window, &client);
    ReplaceCanvas(app, CanvasSideForClient(client.right - client.left),
                  CanvasSideForClient(client.bottom - client.top));
    RestartJournal(app->canvas.image.width, app->canvas.image.height);
    SendMessageW(window, WM_COMMAND, kZoomTo + 1, 0);
    app->viewHost.view.mirror = 0;
    SendMessageW(window, WM_COMMAND, kFitToWindow, 0);
    InvalidateRect(window, nullptr, FALSE);
    LeavePlayback(app);
}

void ReplayRecording(AppState* app) {
    // Ink drawn outside the log (recording off, log full) would be lost by
    // the rebuild: it is saved first, as before every other clearing.
    if (RecordingRefusal(&app->stepLog).empty() && !app->loadedWithSteps &&
        !IsCanvasBlank(&app->canvas) && QuickSave(app) != 0)
        return;
    StartPlayback(app);
}

int32_t LoadRecording(const wchar_t* path, StepLog* log) {
    // Only the recording is wanted: the picture itself is never decoded.
    log->stepCount = 0;
    return ReadPngSteps(Narrow16(path), log) == PngStepsResult::kNotAPng ? 0 : 1;
}

void LoadDroppedPicture(AppState* app, const wchar_t* path) {
    if (!IsCanvasBlank(&app->canvas) && QuickSave(app) != 0) return; // keep the unsaved drawing
    // The file's recording is read aside: the one being drawn stays until a
    // recording that can be played replaces it.
    std::unique_ptr<StepLog> dropped(new (std::nothrow) StepLog);
    if (!dropped) {
        ShowErrorMessage(u"There is not enough memory to read the picture's recording.");
        return;
    }
    LoadRecording(path, dropped.get());
    if (dropped->stepCount <= 0) return;
    const std::u16string refusal = RecordingRefusal(dropped.get());
    if (!refusal.empty()) {
        std::wstring text = L"The picture\n" + std::wstring(path) +
                            L"\ncannot be played back.\n\n" + Wide(refusal.c_str());
        ShowErrorMessage(Narrow16(text.c_str()));
        return;
    }
    std::memcpy(static_cast<void*>(&app->stepLog), dropped.get(),
                (static_cast<size_t>(dropped->stepCount) + 1) * sizeof(Step));
    app->loadedWithSteps = 1;
    StartPlayback(app);
}
