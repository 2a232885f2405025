// Finding a session's pictures, saving its drawings and writing its sheet.
#include "app/practice_files_win32.h"

#include <algorithm>
#include <ctime>
#include <memory>
#include <new>

#include "app/picture_files_win32.h"
#include "app/shell_win32.h"
#include "canvas/picture_names.h"
#include "canvas/png_file.h"
#include "practice/practice_names.h"
#include "practice/session_sheet.h"

namespace {

const wchar_t* Wide(const std::u16string& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}
std::u16string Narrow16(const std::wstring& text) {
    return std::u16string(reinterpret_cast<const char16_t*>(text.c_str()), text.size());
}

bool IsFolder(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// A PNG that carries a recording is one of our own drawings.
bool IsRecording(const std::u16string& path, StepLog* log) {
    if (!log || !HasPngExtension(path)) return false;
    LoadRecording(Wide(path), log);
    return log->stepCount > 0;
}

void AddPicture(const std::u16string& path, StepLog* log, std::vector<std::u16string>& pictures) {
    if (IsPracticePicture(path) && !IsRecording(path, log)) pictures.push_back(path);
}

// A free path "<folder><name>.png", or "<folder><name>-n.png".
std::wstring FreePath(AppState* app, const std::u16string& name) {
    const std::u16string folder = app->settings.defaultPath;
    std::u16string path = QuickSavePath(folder, name);
    for (int attempt = 1;
         attempt < 1000 && GetFileAttributesW(Wide(path)) != INVALID_FILE_ATTRIBUTES; ++attempt)
        path = QuickSavePath(folder, name, attempt);
    return Wide(path);
}

std::u16string Stamp() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_s(&local, &now);
    return TimeStampName(local);
}

} // namespace

std::vector<std::u16string> CollectPracticePictures(const std::vector<std::wstring>& paths) {
    std::vector<std::u16string> pictures;
    // One log read aside serves every check; without memory no PNG is ruled out.
    std::unique_ptr<StepLog> log(new (std::nothrow) StepLog);
    for (const std::wstring& path : paths) {
        if (!IsFolder(path)) {
            AddPicture(Narrow16(path), log.get(), pictures);
            continue;
        }
        std::wstring folder = path;
        if (folder.back() != L'\\' && folder.back() != L'/') folder += L'\\';
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW((folder + L"*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) continue;
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                AddPicture(Narrow16(folder + found.cFileName), log.get(), pictures);
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    std::sort(pictures.begin(), pictures.end());
    pictures.erase(std::unique(pictures.begin(), pictures.end()), pictures.end());
    return pictures;
}

int32_t SavePracticeDrawing(AppState* app, const std::u16string& reference, std::wstring& saved) {
    EnterProgramFolder();
    const std::wstring path = FreePath(app, PracticeDrawingName(Stamp(), reference));
    // Files carry 0 as the recording's start, as quick saves do.
    if (SavePicture(app, path.c_str(), true) != 0) return 1;
    saved = path;
    return 0;
}

bool WritePracticeSheet(AppState* app, const std::vector<PracticeResult>& results,
                        std::wstring& path, std::wstring& problem) {
    const RgbImage sheet = ComposeSheet(results);
    if (sheet.empty()) {
        problem = L"There is no drawing to put on a sheet.";
        return false;
    }
    EnterProgramFolder();
    path = FreePath(app, PracticeSheetName(Stamp()));
    const int32_t code =
        WriteRgbPngFile(Narrow16(path).c_str(), sheet.width, sheet.height, sheet.rgb.data());
    if (code == kPngWritten) {
        // Said in full: the default folder may be empty (the current one).
        wchar_t full[MAX_PATH];
        const DWORD length = GetFullPathNameW(path.c_str(), MAX_PATH, full, nullptr);
        if (length > 0 && length < MAX_PATH) path = full;
        return true;
    }
    DeleteFileW(path.c_str());
    problem = code == kPngCannotCreateFile ? L"The file cannot be created."
                                           : L"Writing the picture failed (the disk may be full).";
    return false;
}
