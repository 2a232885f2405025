// Whole-file reads and writes through UTF-16 paths.
#include "settings/settings_io.h"

int ReadFileBytes(const std::u16string& path, size_t maxBytes, std::string* bytes) {
    bytes->clear();
    if (path.empty()) return 1;
    FILE* file = OpenBinaryFile(path, false);
    if (!file) return 1;
    char chunk[4096];
    size_t got = 0;
    while (bytes->size() <= maxBytes && (got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        bytes->append(chunk, got);
    bool failed = std::ferror(file) != 0 || bytes->size() > maxBytes;
    std::fclose(file);
    if (failed) bytes->clear();
    return failed ? 1 : 0;
}

int ReplaceFileBytes(const std::u16string& path, const std::string& bytes) {
    if (path.empty()) return 1;
    const std::u16string temporary = path + u".tmp";
    FILE* file = OpenBinaryFile(temporary, true);
    if (!file) return 1;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    ok = FlushFileToDisk(file) && ok;
    ok = std::fclose(file) == 0 && ok;
    ok = ok && MoveFileOver(temporary, path);
    if (!ok) RemoveFileQuietly(temporary);
    return ok ? 0 : 1;
}
