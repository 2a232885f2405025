// Where the stroke engine lets the undo history keep what a stroke is about
// to change. The history lives above the engine (it also takes steps out of
// the recording), so the shell installs it here; with none installed
// nothing is kept and drawing costs nothing extra.
#pragma once

#include "base/app_state.h"

struct StrokeKeeper {
    // A stroke begins, before anything of it is drawn or recorded.
    void (*strokeBegins)(AppState* app);
    // The brush is about to draw into this canvas rectangle.
    void (*segmentReaches)(AppState* app, const Rect& reach);
    // The stroke's pen lifted.
    void (*strokeEnds)(AppState* app);
};

void SetStrokeKeeper(const StrokeKeeper* keeper);
const StrokeKeeper* TheStrokeKeeper();
