// Undo and redo of whole strokes. Each stroke keeps the canvas tiles it
// touched as they were before it (1 bit per pixel, copied the first time the
// brush is about to reach them) and the range of steps it recorded; undo
// swaps the tiles back and takes the steps out of the recording, redo does
// the reverse, so a replay of the recording always draws the canvas as it
// stands. The oldest strokes are forgotten first once the kept tiles and
// steps outgrow the budget. Window thread only.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/app_state.h"
#include "engine/stroke_keeper.h"

// The memory all kept strokes may hold together.
constexpr size_t kUndoBudgetBytes = size_t{256} << 20;

// The keeper the shell installs into the stroke engine.
extern const StrokeKeeper kUndoKeeper;

// Takes the newest stroke back. A stroke still being drawn is taken back
// whole, and the pen draws nothing more until it is lifted. False when there
// is nothing to take back or a playback owns the canvas.
bool UndoStroke(AppState* app);
// Puts the stroke taken back last back. False when there is none.
bool RedoStroke(AppState* app);

bool CanUndo(const AppState* app);
bool CanRedo(const AppState* app);

// Forgets every stroke: the canvas was replaced (a new drawing, a playback,
// a drawing brought back after a crash).
void ClearUndoHistory();

// The budget (tests set a small one) and what the kept strokes hold now.
void SetUndoBudget(size_t bytes);
size_t UndoHistoryBytes();
