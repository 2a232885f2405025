// Screen sixteenths of a pixel to canvas pixels, in the two view modes.
#pragma once

#include "view/view_state.h"

// (x, y) in sixteenths of a screen pixel; clientOrigin is the client area's
// top-left corner on the screen. Overwrites x and y with canvas pixels.
void ScreenToCanvasRightAngle(const ViewState* view, Point clientOrigin, int32_t* x, int32_t* y);
void ScreenToCanvasFree(const ViewState* view, Point clientOrigin, int32_t* x, int32_t* y);
