// File access off Windows: the UTF-16 path as UTF-8.
#include <unistd.h>

#include "settings/settings.h"
#include "settings/settings_io.h"

namespace {

// File names are UTF-8 here.
std::string NativePath(const std::u16string& path) {
    return Utf16ToUtf8(path.c_str());
}

} // namespace

FILE* OpenBinaryFile(const std::u16string& path, bool forWriting) {
    return std::fopen(NativePath(path).c_str(), forWriting ? "wb" : "rb");
}

FILE* OpenPrivateFile(const std::u16string& path) {
    return std::fopen(NativePath(path).c_str(), "wb");
}

bool FlushFileToDisk(FILE* file) {
    return std::fflush(file) == 0 && fsync(fileno(file)) == 0;
}

bool MoveFileOver(const std::u16string& from, const std::u16string& to) {
    return std::rename(NativePath(from).c_str(), NativePath(to).c_str()) == 0;
}

void RemoveFileQuietly(const std::u16string& path) {
    std::remove(NativePath(path).c_str());
}
