// Whole-file access through a UTF-16 path. Only the four primitives at the
// end differ between Windows (wide C runtime and Win32 calls) and the native
// build (the path as UTF-8); both read and write raw bytes.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

// A settings file is a few kilobytes; anything far larger is not one.
constexpr size_t kMaxSettingsFileBytes = size_t{16} << 20;

// 0 with the file's bytes, or 1 when it cannot be opened or read or holds
// more than maxBytes.
int ReadFileBytes(const std::u16string& path, size_t maxBytes, std::string* bytes);

// Writes the bytes to path + ".tmp", flushes them to disk and moves that
// file over path, so a failed write leaves the old file as it was.
// 0 on success, 1 on failure (the temporary file is removed).
int ReplaceFileBytes(const std::u16string& path, const std::string& bytes);

// Platform primitives.
FILE* OpenBinaryFile(const std::u16string& path, bool forWriting);
bool FlushFileToDisk(FILE* file);
// A new file for writing that no other process may open while it is open
// (a second instance of the program gets none).
FILE* OpenPrivateFile(const std::u16string& path);
bool MoveFileOver(const std::u16string& from, const std::u16string& to);
void RemoveFileQuietly(const std::u16string& path);
