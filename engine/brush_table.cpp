// The brush table and its installation into the canvas record.
#include "engine/brush.h"

#include "engine/round_brush.h"

BrushFunction LookupBrush(int32_t index) {
    return index == 0 ? RoundBrush : nullptr;
}

void InstallBrush(GdiHandle window, Canvas* canvas, Settings* settings) {
    canvas->window = window;
    canvas->image = CanvasImage{};
    canvas->prevImage = CanvasImage{};
    canvas->strokeActive = 0;
    canvas->erasing = 0;
    canvas->brush = LookupBrush(settings->brushIndex);
    canvas->brushParams = settings->brushParams;
    canvas->brushIndex = &settings->brushIndex;
}
