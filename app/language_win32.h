// Language libraries: resource-only DLLs in the "language" folder next to the
// executable, holding the pop-up menu and the program's texts.
#pragma once

#include <windows.h>

#include "base/app_state.h"
#include "base/native_handles_win32.h"
#include "canvas/canvas.h"
#include "canvas/dib_surface.h"
#include "settings/settings.h"

// Loads the library named in the settings, takes its pop-up menu and inserts
// the language sub-menu. 0 on success, 1 (after two messages) on failure.
int32_t LoadLanguage(AppState* app);

// A menu listing every language library, with the commands 40901, 40902, …
HMENU BuildLanguageMenu(AppState* app);

// A string of the loaded library in the shared text buffer; an English
// fallback when the library or the string is missing.
const wchar_t* LoadText(AppState* app, UINT id);

// Handles 40901 + n when n is below the language menu's item count.
bool HandleLanguageChoice(AppState* app, UINT command);

// Check marks of the language sub-menu when it opens.
void MarkLoadedLanguage(AppState* app, HMENU menu);
