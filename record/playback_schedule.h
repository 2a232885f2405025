// The arithmetic of playback, free of timers: how real time feeds the time
// budget, how recorded gaps become delays, where a batch of steps ends and
// how long the timer waits; and the checks a loaded log must pass.
#pragma once

#include <cstdint>

// Control goes back to the message loop after at most this many steps.
constexpr int32_t kStepsPerBatch = 10;
// The timer period while playback is behind schedule.
constexpr uint32_t kCatchUpPeriod = 10;
// The longest delay between two steps, and the longest timer period.
constexpr double kLongestDelay = 2147483647.0;
constexpr uint32_t kLongestPeriod = 2147483647u;

// The budget after real time moved from lastTick to now. The difference is
// taken on the 32-bit clock, so a tick across its wrap adds a few ms, not -2^32.
double AddElapsed(double budget, uint32_t lastTick, uint32_t now);

// The real delay between two recorded steps at a speed factor. Recorded times
// wrap with the clock, so the gap is their unsigned difference.
double StepDelay(uint32_t previousTime, uint32_t time, double factor);

// Whether step `index` is drawn in the same tick: not at a batch boundary,
// and not ahead of schedule.
bool ContinuesBatch(int32_t index, double budget);

// The timer period when a batch ends: the time still owed, or the catch-up
// period when playback is behind.
uint32_t BatchEndPeriod(double budget);

// The first tick waits for step 0's recorded time (normally 0).
uint32_t FirstTickPeriod(uint32_t firstStepTime);

// A log plays only with 1 to 200000 steps; any other count is "nothing
// recorded" (a negative or oversized count never reaches the steps).
bool HoldsPlayableSteps(int32_t stepCount);

// A recorded canvas size that can be made again: within the canvas limits.
bool IsPlayableCanvasSize(int32_t width, int32_t height);

// A recorded pressure (0 … 1) in the device units of maxPressure, rounded.
// NaN and negative values count as pen up, values above 1 as full pressure.
int32_t ReplayPressure(float pressure, uint32_t maxPressure);
