// Painting the screen bitmap from the view bitmaps, and the operations that
// move, scale, turn and mirror the view and repaint what changed.
#pragma once

#include "view/view_host.h"

int32_t InitView(ViewHost* host, Canvas* canvas, Settings* settings);
int32_t PaintViewRect(ViewState* view, Rect rect);
int32_t RepaintView(ViewState* view);
int32_t RefreshView(ViewState* view);
int32_t ScrollView(ViewState* view, int32_t dx, int32_t dy);
int32_t ResizeView(ViewState* view, int32_t width, int32_t height);
int32_t FitView(ViewState* view);
int32_t SetViewAngle(ViewState* view, float angle);
int32_t ToggleViewMirror(ViewState* view);
int32_t SetViewScale(ViewState* view, float scale);

// Releases the view and screen bitmaps (at close, and before the canvas is
// made again).
void ReleaseViewBitmaps(ViewState* view);
void ReleaseView(ViewState* view);

// InitView with the client size given (the Windows form asks the window).
int32_t InitViewWithClientSize(ViewHost* host, Canvas* canvas, Settings* settings,
                               int32_t clientWidth, int32_t clientHeight);

// An angle brought into 0 … 360 the way the view stores it.
float NormaliseViewAngle(float angle);
