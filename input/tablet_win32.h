// Tablet and touch set-up at window creation, and their release at close.
#pragma once

#include <windows.h>

#include "base/app_state.h"
#include "base/native_handles_win32.h"

// 0 when the tablet library was found and its context opened, 1 when not
// (pen input then comes from pointer messages and the mouse).
int32_t SetUpTablet(HWND window, AppState* app, Settings* settings);

// Closes the tablet context and frees the device libraries.
void ShutDownTablet(AppState* app);
