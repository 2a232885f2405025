// File access on Windows (wide paths) for the settings and pictures.
#include <io.h>
#include <share.h>
#include <windows.h>

#include "settings/settings_io.h"

namespace {

const wchar_t* Wide(const std::u16string& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

} // namespace

FILE* OpenBinaryFile(const std::u16string& path, bool forWriting) {
    return _wfopen(Wide(path), forWriting ? L"wb" : L"rb");
}

FILE* OpenPrivateFile(const std::u16string& path) {
    return _wfsopen(Wide(path), L"wb", _SH_DENYRW);
}

bool FlushFileToDisk(FILE* file) {
    return std::fflush(file) == 0 && _commit(_fileno(file)) == 0;
}

bool MoveFileOver(const std::u16string& from, const std::u16string& to) {
    return MoveFileExW(Wide(from), Wide(to), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) !=
           0;
}

void RemoveFileQuietly(const std::u16string& path) {
    _wremove(Wide(path));
}
