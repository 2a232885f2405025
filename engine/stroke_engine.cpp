// Pointer samples to strokes: start, smoothing, segments, the end of a stroke, the outline.
#include "engine/stroke_engine.h"

#include <algorithm>
#include <cmath>

#include "base/numeric.h"
#include "engine/pointer_input.h"
#include "engine/refresh_thread.h"
#include "engine/round_brush.h"
#include "engine/screen_to_canvas.h"
#include "engine/stroke_host.h"
#include "engine/stroke_keeper.h"
#include "engine/stroke_recorder.h"

namespace {

const StrokeRecorder* recorder = nullptr;
const StrokeKeeper* keeper = nullptr;

// What the segment about to be drawn may change goes to the keeper first.
void KeepSegmentReach(AppState* app) {
    if (keeper && keeper->segmentReaches)
        keeper->segmentReaches(app, RoundBrushReach(&app->stroke, &app->canvas));
}

void RecordSegment(AppState* app) {
    if (recorder && recorder->appendStep) recorder->appendStep(app);
}

void CloseRecordedStroke(AppState* app) {
    if (recorder && recorder->closeOpenStroke) recorder->closeOpenStroke(app);
}

Point lastOutlinePos{0, 0};
Rect lastOutlineRect{0, 0, 0, 0};

int32_t SmoothingRadius(const StrokeEngine* stroke) {
    int32_t n = stroke->smoothingRadius ? *stroke->smoothingRadius : 0;
    return std::clamp(n, 0, 20);
}

int32_t BrushIndex(const AppState* app) {
    return app->canvas.brushIndex ? *app->canvas.brushIndex : 0;
}

// A segment that rises from zero pressure is drawn as a dab where the pen
// lands, the way playback draws a pen-down step, so that a replay of the
// recorded steps gives the same picture (smoothing can produce such a rise).
void KeepPlaybackPenDownRule(StrokeEngine* stroke) {
    if (stroke->smoothed.pressure != 0 && stroke->prevSmoothed.pressure == 0)
        stroke->prevSmoothed = stroke->smoothed;
}

// One segment: the brush draws it, the recorder logs it, the refresh thread
// brings it to the screen. A missing brush draws nothing.
int32_t DrawSegment(AppState* app) {
    if (!app->canvas.brush) return 0;
    KeepPlaybackPenDownRule(&app->stroke);
    KeepSegmentReach(app);
    Rect segment{0, 0, 0, 0};
    int32_t drawn = app->canvas.brush(&app->stroke, &app->canvas, &segment);
    if (drawn) {
        RecordSegment(app);
        RequestCanvasRefresh(app, &segment);
    }
    return drawn;
}

// With smoothing, a stroke's first segment starts at a smoothed point that
// no step would hold. It is drawn and recorded as a dab first, so that
// playback, which begins every stroke with a dab, draws exactly the same.
void DrawStrokeStart(AppState* app) {
    StrokeEngine* stroke = &app->stroke;
    if (SmoothingRadius(stroke) == 0 || stroke->smoothed.pressure == 0) return;
    stroke->prevSmoothed = stroke->smoothed;
    DrawSegment(app);
}

void DrainHistory(AppState* app) {
    StrokeEngine* stroke = &app->stroke;
    const int32_t n = SmoothingRadius(stroke);
    for (int32_t round = 0; round < 2 * n + 1; ++round) {
        // The segment down to zero pressure is drawn and recorded, as without
        // smoothing: playback draws a recorded pen-up step, so live must too.
        if (IsStrokeEnding(app)) {
            DrawSegment(app);
            break;
        }
        if (app->canvas.brush) {
            KeepPlaybackPenDownRule(stroke);
            KeepSegmentReach(app);
            Rect segment{0, 0, 0, 0};
            app->canvas.brush(&app->stroke, &app->canvas, &segment);
            RecordSegment(app);
            RequestCanvasRefresh(app, &segment);
        }
        PushHistory(stroke);
        stroke->prevSmoothed = stroke->smoothed;
        ComputeSmoothed(stroke);
    }
}

// The outline is invalidated only when its client centre moves.
void MoveOutline(AppState* app) {
    ViewState* view = &app->viewHost.view;
    const int32_t penSize = app->canvas.brushParams ? app->canvas.brushParams[0].penSize : 0;
    const int32_t size = OutlineDiameter(penSize, view->scale);
    int32_t x = app->stroke.current.x, y = app->stroke.current.y;
    view->transforms.canvasToClient(view->canvas, view, &x, &y);
    x = SaturateToInt32(static_cast<float>(x) + 0.5f / view->scale);
    y = SaturateToInt32(static_cast<float>(y) + 0.5f / view->scale);
    if (x != lastOutlinePos.x || y != lastOutlinePos.y) {
        // The outline is drawn with a one-pixel light ring around it.
        const int32_t half = size / 2;
        Rect outline{x - half - 2, y - half - 2, x - half + size + 2, y - half + size + 2};
        ViewLockGuard guard(&view->lock);
        TheStrokeHost()->invalidate(app->mainWindow, &lastOutlineRect);
        TheStrokeHost()->invalidate(app->mainWindow, &outline);
        lastOutlineRect = outline;
    }
    lastOutlinePos = Point{x, y};
}

} // namespace

int32_t OutlineDiameter(int32_t penSize, float scale) {
    if (penSize <= 0 || !(scale > 0.0f)) return 0;
    return std::max(3, SaturateToInt32(static_cast<float>(penSize) / scale));
}

Point LastOutlinePosition() {
    return lastOutlinePos;
}
Rect LastOutlineRect() {
    return lastOutlineRect;
}
void ResetOutline() {
    lastOutlinePos = Point{0, 0};
    lastOutlineRect = Rect{0, 0, 0, 0};
}

void BeginStroke(StrokeEngine* stroke) {
    const int32_t n = SmoothingRadius(stroke);
    for (int32_t i = 0; i <= n; ++i) stroke->history[i] = stroke->current;
    for (int32_t i = n + 1; i <= 2 * n && i < kHistoryLength; ++i)
        stroke->history[i] = stroke->previous;
    stroke->prevSmoothed = stroke->previous;
    ComputeSmoothed(stroke);
}

void PushHistory(StrokeEngine* stroke) {
    for (int i = kHistoryLength - 1; i > 0; --i) stroke->history[i] = stroke->history[i - 1];
    stroke->history[0] = stroke->current;
}

void ComputeSmoothed(StrokeEngine* stroke) {
    const int32_t n = SmoothingRadius(stroke);
    if (n == 0) {
        stroke->smoothed.x = stroke->history[0].x;
        stroke->smoothed.y = stroke->history[0].y;
        stroke->smoothed.pressure = stroke->history[0].pressure;
        return;
    }
    const int32_t last = std::min(2 * n, kHistoryLength - 1);
    int64_t x = 0, y = 0;
    uint64_t pressure = 0;
    for (int32_t i = 0; i <= last; ++i) {
        if (i == n) continue;
        x += stroke->history[i].x;
        y += stroke->history[i].y;
        pressure += static_cast<uint32_t>(stroke->history[i].pressure);
    }
    stroke->smoothed.x = static_cast<int32_t>(x / last);
    stroke->smoothed.y = static_cast<int32_t>(y / last);
    stroke->smoothed.pressure = static_cast<int32_t>(pressure / static_cast<uint64_t>(last));
}

int32_t IsStrokeEnding(const AppState* app) {
    const StrokeEngine* stroke = &app->stroke;
    if (BrushIndex(app) <= 10)
        return stroke->prevSmoothed.pressure != 0 && stroke->smoothed.pressure == 0;
    return stroke->previous.pressure != 0 && stroke->current.pressure == 0;
}

int32_t HandlePointerSample(AppState* app, const PointerSample* sample) {
    const StrokeHost* host = TheStrokeHost();
    if (host->isShiftDown()) return 0;
    StrokeEngine* stroke = &app->stroke;
    ViewState* view = &app->viewHost.view;
    if (!view->canvas || !view->transforms.canvasToClient) return 0;
    stroke->previous = stroke->current;
    stroke->current = *sample;
    const Point origin = host->clientOriginOnScreen(app->mainWindow);
    if (view->freeRotation)
        ScreenToCanvasFree(view, origin, &stroke->current.x, &stroke->current.y);
    else
        ScreenToCanvasRightAngle(view, origin, &stroke->current.x, &stroke->current.y);
    // No ink while the view is being dragged, even once its keys are let go.
    if (app->panKeyDown || app->rotating || app->zooming) return 0;

    if (stroke->previous.pressure == 0 && stroke->current.pressure != 0) {
        int32_t x = stroke->current.x, y = stroke->current.y;
        view->transforms.canvasToClient(view->canvas, view, &x, &y);
        app->canvas.strokeActive = host->mayStartStroke(app->mainWindow, Point{x, y}) ? 1 : 0;
        if (app->canvas.strokeActive) {
            if (keeper && keeper->strokeBegins) keeper->strokeBegins(app);
            CloseRecordedStroke(app);
            BeginStroke(stroke);
            DrawStrokeStart(app);
        }
    }
    if (app->canvas.strokeActive) {
        PushHistory(stroke);
        stroke->prevSmoothed = stroke->smoothed;
        ComputeSmoothed(stroke);
        if (stroke->current.pressure != 0 || IsStrokeEnding(app))
            DrawSegment(app);
        else
            DrainHistory(app);
    }
    MoveOutline(app);
    if (IsStrokeEnding(app)) {
        if (app->canvas.strokeActive && keeper && keeper->strokeEnds) keeper->strokeEnds(app);
        app->canvas.strokeActive = 0;
    }
    return 0;
}

void SetStrokeRecorder(const StrokeRecorder* installed) {
    recorder = installed;
}

const StrokeRecorder* TheStrokeRecorder() {
    return recorder;
}

void SetStrokeKeeper(const StrokeKeeper* installed) {
    keeper = installed;
}

const StrokeKeeper* TheStrokeKeeper() {
    return keeper;
}
