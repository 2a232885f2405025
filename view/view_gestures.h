// The geometry of the rotate and zoom drags: the pointer's angle and
// distance around the client centre and what a drag turns or zooms to.
#pragma once

#include <cstdint>

// atan2 of the horizontal offset over the vertical one, in radians; 0 at the
// centre itself. The centre is (width / 2, height / 2) in whole pixels.
float PointerAngle(int32_t clientWidth, int32_t clientHeight, int32_t x, int32_t y);

// max(|dx|, |dy|) from the centre, in client pixels.
float PointerDistance(int32_t clientWidth, int32_t clientHeight, int32_t x, int32_t y);

// The distance a zoom drag measures against: never under 100 pixels, so a
// start near the centre does not make every move a huge zoom.
float ZoomStartDistance(float distance);

// The degrees a rotation drag adds from its start angle to the pointer's
// angle now (both in radians).
float DragTurnDegrees(float startAngle, float angle);

// The scale a zoom drag ends at: the old scale divided by the ratio of the
// distances, kept within 1 … 16. A pointer at the centre gives 16.
float DragZoomScale(float scale, float distance, float startDistance);
