// Playback rebuilds a picture from its step log: a fresh canvas of the
// recorded size, and the recorded steps fed through the brush on timer 2 at
// the recorded pace, faster, slower or paused. The drawing clock (timer 1)
// and the time limit live here too. Window thread only; the window system is
// reached through the playback host.
#pragma once

#include <cstdint>

#include "base/app_state.h"

// One recorded step through the brush, the way the stroke engine drew it
// live (nothing is recorded); the canvas rectangle it changed, empty when
// there is no brush or canvas to draw with.
Rect DrawRecordedStep(AppState* app, const Step& step);

// A step of the log drawn as playback draws it: the recorded pen change at
// that step (if any) taken first.
Rect DrawStepWithItsPen(AppState* app, int32_t index);

// The end of a playback's steps: timer killed, a beep, the user's pen back.
// The window stays in playback mode until a new drawing.
void EndPlaybackRun(AppState* app);

// F5, and a dropped picture that brought steps. 0 when playback started;
// 1 (after a beep) when nothing is recorded; 2 when the recorded canvas size
// cannot be made (zero, negative or absurd) - nothing changes then.
int32_t StartPlayback(AppState* app);

// WM_TIMER with id 2: draws the steps that are due, at most a batch of ten,
// and re-arms the timer; at the end kills it and beeps.
void PlaybackTick(AppState* app);

// Commands 46300 + index (0 = pause … 5 = quarter speed). Leaving the pause
// restarts the playback clock and delivers a tick at once.
void SetPlaybackSpeed(AppState* app, int32_t index);

// The new-drawing command's part: out of playback mode, the logs emptied, the
// limit re-armed, the clock restarted and the title updated.
void LeavePlayback(AppState* app);

// WM_TIMER with id 1: elapsed time, title, and the time limit, which fires
// once (beep and message) until it is armed again.
void ClockTick(AppState* app);

// Commands 46100 + index (0 = none … 7 = 30 minutes). Arms the limit without
// restarting the clock.
void SetTimeLimit(AppState* app, int32_t index);
