// The program folder: the executable's drive and directory, and making it current.
#include <cwchar>

#include "app/shell_win32.h"

std::wstring ProgramFolder() {
    wchar_t path[MAX_PATH] = L"";
    // A cut-off name would give a wrong folder: none is used instead (the
    // current folder stays, and program-folder paths are bare names).
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return std::wstring();
    wchar_t drive[_MAX_DRIVE], directory[_MAX_DIR], name[_MAX_FNAME], extension[_MAX_EXT];
    _wsplitpath_s(path, drive, _MAX_DRIVE, directory, _MAX_DIR, name, _MAX_FNAME, extension,
                  _MAX_EXT);
    return std::wstring(drive) + directory;
}

void EnterProgramFolder() {
    SetCurrentDirectoryW(ProgramFolder().c_str());
}
