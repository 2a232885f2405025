// The brush table and its installation into the canvas record.
#pragma once

#include "canvas/canvas.h"
#include "settings/settings.h"

// The brush of a table index, or none (only index 0 has a brush).
BrushFunction LookupBrush(int32_t index);

// Prepares the canvas record for (re)creating its images: the window, empty
// image fields, no active stroke, and the brush of the current index drawing ink.
void InstallBrush(GdiHandle window, Canvas* canvas, Settings* settings);
