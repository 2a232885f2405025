// The title bar as the program's status line, set from the current state.
#pragma once

#include "base/app_state.h"

void UpdateTitle(AppState* app);
