// The view side of the zoom, turn, mirror and fit commands and of the end of
// a rotate or zoom drag: which transform set and reducer each leaves behind,
// so that every change of view ends in a picture a fresh rebuild would give.
#pragma once

#include "view/view_state.h"

// Zooms to a level of the zoom table (0 = scale 16 … 7 = scale 0.125).
void ZoomViewToLevel(ViewState* view, int32_t level);

// Turns to 0, 90, 180 or 270 degrees. At a scale of the zoom table this is
// the right-angle set with the level's reducer; at any other scale (left by
// a zoom drag or a pinch) there is no reducer for the grid, so the view stays
// in the free-rotation set at the right angle, which shows the same turn.
void TurnViewToRightAngle(ViewState* view, int32_t angle);

// Turns by a number of degrees in the free-rotation set (the ±15° steps).
void StepViewAngle(ViewState* view, float degrees);

// Back to the whole canvas at a table scale, unturned and unmirrored.
void FitViewToWindow(ViewState* view);

// Installs the right-angle set with the reducer of the current scale when
// the scale is in the zoom table; otherwise the free-rotation set. True for
// the right-angle set.
bool UseRightAngleSetIfExact(ViewState* view);

// The end of a rotation drag that turned by `degrees`, and of a zoom drag
// whose pointer moved from `startDistance` to `distance` from the centre.
void EndRotateDrag(ViewState* view, float degrees);
void EndZoomDrag(ViewState* view, float distance, float startDistance);
