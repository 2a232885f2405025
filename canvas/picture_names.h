// Names of saved pictures: the 14-digit time stamp and the paths built from
// it, and the checks on dropped files. No window code.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>

// The program folder's copy of the last dropped picture, removed at close.
constexpr char16_t kDropCopyName[] = u"_DnD_.png";

// "YYYYMMDDhhmmss" from a local time.
std::u16string TimeStampName(const std::tm& local);

// defaultPath + name + ".png" (an empty folder gives a bare file name). A
// name already taken (a second save in the same second) gets "-1", "-2", …
// before ".png" (attempt 1, 2, …), so that no save replaces another.
std::u16string QuickSavePath(const std::u16string& defaultPath, const std::u16string& stamp,
                             int attempt = 0);

// The file a save writes first, in the target's folder, before it replaces
// the target: an interrupted save never leaves a half-written picture under
// the real name. The name is short and marks the file as a save in progress
// of this program (kTemporarySavePattern), so a leftover of a killed process
// can be found and removed. Empty when even that name would not fit a path
// of 259 units; the save then writes the target itself.
std::u16string TemporarySavePath(const std::u16string& target, uint32_t processId);
constexpr char16_t kTemporarySavePattern[] = u"~pindora*.saving";

// The folder part of a path, with its trailing separator (empty for a bare name).
std::u16string FolderOf(const std::u16string& path);

// A dropped file is taken only when its extension is exactly ".png".
bool HasPngExtension(const std::u16string& path);
