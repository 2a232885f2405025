// The pen changes of a recording: the pen noted with each recorded step, the
// pen a playback draws each step with, and the cuts that undo and redo make.
#pragma once

#include <cstdint>
#include <vector>

#include "base/app_state.h"

// The pen the canvas draws with now, as a change holding from `step` on.
PenChange CurrentPenChange(const Canvas& canvas, int32_t step);

// A step was appended to the log at index `step`: the pen is noted when it
// differs from the last one noted. A log starting again (step 0) starts the
// pen log again, so its first change always holds from step 0.
void NotePenAtStep(AppState* app, int32_t step);

// Undo: drops every change at or after `step` (the step count the log is
// cut back to), so the next stroke notes its pen afresh.
void DropPenChangesFrom(PenLog* log, int32_t step);
// Redo: the changes at or after `step`, in order, for RestorePenChanges.
std::vector<PenChange> PenChangesFrom(const PenLog* log, int32_t step);
// Puts changes back behind the log's own; false (and nothing changed) when
// they do not follow its last change in step order or do not fit.
bool RestorePenChanges(PenLog* log, const std::vector<PenChange>& changes);

// The change that holds from exactly `step`, or none.
const PenChange* PenChangeAt(const PenLog* log, int32_t step);

// Playback draws with its own pen: it starts as the user's pen in ink, takes
// each recorded change at its step, and is given back to the user's pen
// (which a replay never touches) when the playback ends.
void BeginReplayPen(AppState* app);
void ApplyReplayPen(AppState* app, int32_t step);
void EndReplayPen(AppState* app);
