// Painting the screen bitmap from the view bitmaps, and the operations that
// move, scale, turn and mirror the view and repaint what changed.
#pragma once

#include "base/settings_records.h"
#include "base/view_host.h"
#include "view/view_state.h"

// Sets the view up for a canvas: scale 8, unturned, the right-angle set, a
// light-grey screen bitmap of the client size, then fitted. False (with the
// message shown) when the screen bitmap cannot be made.
bool InitView(ViewHost* host, Canvas* canvas, Settings* settings);

// Composes one client rectangle of the screen bitmap; RepaintView all of it.
void PaintViewRect(ViewState* view, Rect rect);
void RepaintView(ViewState* view);
// Rebuilds the view bitmaps from the canvas, then repaints.
void RefreshView(ViewState* view);
// Moves the content by (−dx, −dy) and repaints only the uncovered strips.
void ScrollView(ViewState* view, int32_t dx, int32_t dy);
// A new client size, keeping the centre point in the middle.
void ResizeView(ViewState* view, int32_t width, int32_t height);
// The whole canvas at the zoom-table scale that fits, unturned, centred.
void FitView(ViewState* view);
// Turns, mirrors or scales about the centre point, rebuilding and repainting.
void SetViewAngle(ViewState* view, float angle);
void ToggleViewMirror(ViewState* view);
void SetViewScale(ViewState* view, float scale);

// Releases the view and screen bitmaps (at close, and before the canvas is
// made again).
void ReleaseViewBitmaps(ViewState* view);
void ReleaseView(ViewState* view);

// InitView with the client size given (the Windows form asks the window).
bool InitViewWithClientSize(ViewHost* host, Canvas* canvas, Settings* settings, int32_t clientWidth,
                            int32_t clientHeight);

// An angle brought into 0 … 360 the way the view stores it.
float NormaliseViewAngle(float angle);
