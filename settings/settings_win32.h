// Loading and saving the settings in the Windows program.
#pragma once

#include <windows.h>

#include "settings/settings.h"

// Fills the record at window creation: command-line file, program folder and
// settings path, placement of the window, start values, language default,
// then the file over them and the built-in keys when it has none.
void LoadSettings(Settings* settings, HWND window);

// Writes the whole file at close; a failure loses the changes silently.
void SaveSettings(const Settings* settings);
