// The start values that come from the system, as pure functions of what the
// system reports, so they are the same and testable on every platform.
#pragma once

#include <cstdint>
#include <string>

#include "settings/settings.h"

// Drive and folder of an executable's full path, as a path splitter gives
// them: "C:\Apps\pindora.exe" → "C:\Apps\". Either separator counts.
std::u16string ProgramFolderOf(const char16_t* modulePath);

// programFolder and settingsPath (folder + "pindora.ini") from the module
// path. A folder too long for the buffers leaves both empty, so nothing is
// read and saving fails rather than touching a cut-off path.
void SetProgramFolder(Settings* settings, const char16_t* modulePath);

// "Japanese.dll" for the Japanese system locale 0x0411, else "English.dll".
const char16_t* DefaultResourceFile(uint32_t systemLocale);

// currentFile from the split command line: empty with fewer than two
// arguments; else the second one, less a leading double quote, at most 259
// units.
void TakeCommandLineFile(char16_t* currentFile, int argc, const char16_t* const* argv);
