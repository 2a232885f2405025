#include <cwchar>

#include "app/shell_win32.h"

std::wstring ProgramFolder() {
    wchar_t path[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    wchar_t drive[_MAX_DRIVE], directory[_MAX_DIR], name[_MAX_FNAME], extension[_MAX_EXT];
    _wsplitpath_s(path, drive, _MAX_DRIVE, directory, _MAX_DIR, name, _MAX_FNAME, extension,
                  _MAX_EXT);
    return std::wstring(drive) + directory;
}

void EnterProgramFolder() {
    SetCurrentDirectoryW(ProgramFolder().c_str());
}
