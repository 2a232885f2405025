// Names of saved pictures: the 14-digit time stamp and the paths built from
// it, and the checks on dropped files. No window code.
#pragma once

#include <ctime>
#include <string>

// "YYYYMMDDhhmmss" from a local time.
std::u16string TimeStampName(const std::tm& local);

// defaultPath + name + ".png" (an empty folder gives a bare file name).
std::u16string QuickSavePath(const std::u16string& defaultPath, const std::u16string& stamp);

// The file a save writes first, in the same folder, before it replaces the
// target: an interrupted save never leaves a half-written picture under the
// real name.
std::u16string TemporarySavePath(const std::u16string& target);

// A dropped file is taken only when its extension is exactly ".png".
bool HasPngExtension(const std::u16string& path);
