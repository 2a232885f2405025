// AppState: the one program state record, owned by the window procedure and
// alive for the whole run. Every subsystem's state is a part of it.
#pragma once

#include <cstdint>

#include "base/canvas_records.h"
#include "base/device_state.h"
#include "base/pen_log.h"
#include "base/pointer_sample.h"
#include "base/settings_records.h"
#include "base/step_log.h"
#include "base/view_host.h"
#include "base/view_lock.h"

struct AppState {
    GdiHandle mainWindow;

    // Input devices and the stroke engine.
    DeviceState devices;
    StrokeEngine stroke;

    Canvas canvas;
    ViewHost viewHost;

    // Refresh hand-over with the refresh thread (under the view's lock).
    int32_t busy;
    int32_t frameReady;
    Rect readyRect;

    Settings settings;

    // The shell's own fields.
    GdiHandle* acceleratorSlot;
    ModuleHandle user32Module;
    GdiHandle savedInputContext;
    ModuleHandle languageLibrary;
    GdiHandle languageMenu;
    GdiHandle popupMenu;
    int32_t panKeyDown;
    int32_t rotateKeyDown;
    int32_t zoomKeyDown;
    int32_t rotating;
    int32_t zooming;
    float rotateStartAngle;
    float zoomStartDistance;
    float zoomDistance;
    Point dragAnchor;
    int32_t wheelAccumulator;
    int32_t mouseBlocked;
    int32_t penOwnsPointer;
    int32_t tabletInProximity;
    int64_t startTime;
    int64_t elapsedSeconds;
    int64_t timeLimitSeconds;
    ViewLock previewLock;
    int32_t rotatePreviewRunning;
    int32_t zoomPreviewRunning;

    // Recording and playback.
    StepLog stepLog;
    int32_t playbackMode;
    int32_t playIndex;
    int64_t lastTick;
    double timeBudget;
    int32_t loadedWithSteps;
    // The recording's pen changes, the pen a playback draws with (the
    // user's own stays in the settings), and the eraser command's switch.
    PenLog penLog;
    BrushParams replayPen;
    int32_t eraserOn;

    // The game pad's last successful reading.
    GamePadReading previousPad;
};

// The program's one instance.
AppState* TheApp();
