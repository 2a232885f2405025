// Steering a playback by hand: finishing it at once, and while it is paused
// stepping it on by one stroke.
#pragma once

#include <cstdint>

#include "base/app_state.h"

// Whether a playback has steps left to draw (the steering commands apply).
bool HasStepsToPlay(const AppState* app);

// Draws every remaining step at once, without waiting, and ends the playback
// as its last tick would. Nothing happens outside a playback or after its end.
void FinishPlayback(AppState* app);

// While paused: draws the steps up to the end of the next stroke (its pen-up
// step), or to the end of the log. Returns the number of steps drawn; 0 when
// not paused or nothing is left.
int32_t StepPlayback(AppState* app);
