// The refresh thread: renders changed canvas rectangles into the view bitmap
// off the window thread, so that pointer samples keep being taken while the
// display catches up. Queued rectangles merge into one bounding rectangle.
#pragma once

#include "base/app_state.h"

// −1 for a missing or all-zero rectangle; 0 when the thread was just
// started, 1 when an idle thread was woken, 2 when it was busy and the
// rectangle was queued.
int32_t RequestCanvasRefresh(AppState* app, const Rect* rect);

// Handles WM_APP + 11 on the window thread: paints and invalidates the
// client rectangle of the frames rendered since the last call.
void ConsumeReadyFrame(AppState* app);

// Blocks until the thread has rendered everything asked of it (before the
// canvas or the view bitmaps are replaced).
void WaitForRefreshIdle(AppState* app);

// Ends the thread for good (at exit); later requests start a new one.
void StopRefreshThread(AppState* app);

// "Empty" here means all four coordinates are 0.
bool IsRefreshRectEmpty(const Rect& rect);
void UnionRefreshRect(Rect* target, const Rect& rect);
