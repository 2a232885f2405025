// Crash recovery at start-up: a journal left behind by a run that did not
// close is offered back in one question box, once the window is up.
#pragma once

#include <windows.h>

#include "base/app_state.h"

// The timer that asks the question once the message loop runs.
constexpr UINT_PTR kRecoveryTimer = 3;

// Window creation: the journal beside the settings file is read; a drawing
// left in it is offered back through kRecoveryTimer, otherwise the journal
// starts again for the new canvas.
void StartRecovery(AppState* app, HWND window);

// kRecoveryTimer: the question, and the drawing brought back on Yes.
void OfferRecovery(AppState* app, HWND window);
