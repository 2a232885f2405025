// The frames of the interactive previews, drawn from the current view bitmap
// without re-rendering the canvas: a nearest-pixel stretch for zoom and a
// fixed-point nearest-pixel rotation for rotate.
#pragma once

#include "view/view_state.h"

// The magnification a zoom drag previews, kept so the previewed scale stays
// within 1 … 16.
float ClampPreviewMagnification(float scale, float magnification);

// Fills the screen bitmap with the view bitmap magnified by m around the
// centre point.
void DrawZoomPreview(ViewState* view, float magnification);

// Draws into frame (client-sized, 32 bits) the view bitmap turned by angle
// radians about the centre point, in the sense the final turn will have.
void DrawRotatePreview(const ViewState* view, DibSurface* frame, float angle);
