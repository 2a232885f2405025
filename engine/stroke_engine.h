// The stroke state machine's pieces, exposed for the playback and the tests.
#pragma once

#include "base/app_state.h"

void BeginStroke(StrokeEngine* stroke);
void PushHistory(StrokeEngine* stroke);
void ComputeSmoothed(StrokeEngine* stroke);
int32_t IsStrokeEnding(const AppState* app);

// Whether a stroke starting now erases: the eraser command is on, or the pen
// is held the other way round (a negative altitude).
bool IsEraserActive(const AppState* app);

// The brush outline's diameter in client pixels: at least 3 so it shows.
int32_t OutlineDiameter(int32_t penSize, float scale);

// The brush outline's last client centre and invalidated rectangle.
Point LastOutlinePosition();
Rect LastOutlineRect();
void ResetOutline();
