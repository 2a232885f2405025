// What the stroke engine asks of the window system, as a table of functions:
// the Windows shell installs the real ones, tests install their own.
#pragma once

#include "base/bitmap_types.h"
#include "base/command_ids.h"

struct StrokeHost {
    // Shift is held (the zoom gesture's modifier): samples are not taken.
    bool (*isShiftDown)();
    // Screen position of the window's client origin.
    Point (*clientOriginOnScreen)(GdiHandle window);
    // A pen-down at this client point may start a stroke: it lies in the
    // client rectangle and no other window covers it.
    bool (*mayStartStroke)(GdiHandle window, Point client);
    // Marks a client rectangle for repainting, without erasing.
    void (*invalidate)(GdiHandle window, const Rect* rect);
    // Tells the window thread that a rendered frame is ready (WM_APP + 11).
    void (*postFrameReady)(GdiHandle window);
    // The millisecond clock of the recorder and playback (wraps at 2^32).
    uint32_t (*milliseconds)();
};

void SetStrokeHost(const StrokeHost* host);
const StrokeHost* TheStrokeHost();

constexpr uint32_t kFrameReadyMessage = ID_MESSAGE_FRAME_READY;
