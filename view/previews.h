// Interactive rotate and zoom: cheap previews drawn by their own threads from
// the current view bitmap while the user drags.
#pragma once

#include "base/app_state.h"

// 0 when a request was handed over, 1 when the angle has not changed.
int32_t RequestRotatePreview(AppState* app);
int32_t RequestZoomPreview(AppState* app);

// Polls until the preview thread of that kind has finished.
void WaitForRotatePreview(AppState* app, uint32_t sleepMs);
void WaitForZoomPreview(AppState* app, uint32_t sleepMs);

// Waits for both: every path that replaces or resizes the view's bitmaps,
// or the canvas they show, calls it first.
void WaitForPreviews(AppState* app);
