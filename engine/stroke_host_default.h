// The stroke engine's default window-system table for this build.
#pragma once

#include "engine/stroke_host.h"

// The window system's own answers (Win32), or neutral ones elsewhere.
const StrokeHost* DefaultStrokeHost();
