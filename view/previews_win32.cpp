// The two preview threads of the interactive rotate and zoom. Requests are
// coalesced: a busy thread takes only the newest value after each frame.
#include <windows.h>

#include <process.h>

#include <cfloat>
#include <cmath>
#include <cstring>

#include "view/preview_frames.h"
#include "view/previews.h"
#include "view/view_gestures.h"

namespace {

constexpr float kTaken = FLT_MAX; // the last request has been taken

struct PreviewChannel {
    int32_t* running;
    HWND window;
    ViewState* view;
    float requested;
    ViewLock* lock;
};

PreviewChannel rotateChannel;
PreviewChannel zoomChannel;
float lastPreviewAngle = 0.0f;

// Takes the newest request; kTaken when there is none.
float TakeRequest(PreviewChannel* channel) {
    ViewLockGuard guard(channel->lock);
    float value = channel->requested;
    channel->requested = kTaken;
    return value;
}

// Ends the thread's loop when no request came in while it drew.
bool FinishIfIdle(PreviewChannel* channel) {
    ViewLockGuard guard(channel->lock);
    if (channel->requested != kTaken) return false;
    *channel->running = 0;
    return true;
}

void __cdecl ZoomPreviewThread(void* argument) {
    PreviewChannel* channel = static_cast<PreviewChannel*>(argument);
    do {
        float magnification = TakeRequest(channel);
        if (magnification != kTaken) {
            DrawZoomPreview(channel->view, magnification);
            InvalidateRect(channel->window, nullptr, FALSE);
        }
    } while (!FinishIfIdle(channel));
}

void __cdecl RotatePreviewThread(void* argument) {
    PreviewChannel* channel = static_cast<PreviewChannel*>(argument);
    ViewState* view = channel->view;
    DibSurface* frame =
        view->clientWidth > 0 && view->clientHeight > 0
            ? CreateDibSurface(32, nullptr, 0, view->clientWidth, view->clientHeight)
            : nullptr;
    do {
        float angle = TakeRequest(channel);
        if (angle != kTaken && frame) {
            DrawRotatePreview(view, frame, angle);
            // The window thread waits for this thread before it replaces or
            // resizes the screen bitmap; the size check is a second guard.
            DibSurface* screen = view->screen;
            if (screen && screen->header.biWidth == frame->header.biWidth &&
                screen->header.biHeight == frame->header.biHeight)
                std::memcpy(screen->bits, frame->bits,
                            static_cast<size_t>(DibSurfaceStride(frame)) * frame->header.biHeight);
            InvalidateRect(channel->window, nullptr, FALSE);
        }
    } while (!FinishIfIdle(channel));
    ReleaseDibSurface(&frame);
}

float CursorAngle(AppState* app) {
    POINT cursor;
    GetCursorPos(&cursor);
    ScreenToClient(static_cast<HWND>(app->mainWindow), &cursor);
    const ViewState* view = &app->viewHost.view;
    return PointerAngle(view->clientWidth, view->clientHeight, cursor.x, cursor.y);
}

// Hands a request over, starting the thread when none runs.
void Request(AppState* app, PreviewChannel* channel, int32_t* running, float value,
             void(__cdecl* thread)(void*)) {
    ViewLockGuard guard(&app->previewLock);
    channel->requested = value;
    if (*running) return;
    *running = 1;
    channel->running = running;
    channel->window = static_cast<HWND>(app->mainWindow);
    channel->view = &app->viewHost.view;
    channel->lock = &app->previewLock;
    if (_beginthread(thread, 0, channel) == static_cast<uintptr_t>(-1)) *running = 0;
}

void WaitUntilIdle(AppState* app, const int32_t* running, uint32_t sleepMs) {
    for (;;) {
        EnterViewLock(&app->previewLock);
        bool busy = *running != 0;
        LeaveViewLock(&app->previewLock);
        if (!busy) return;
        Sleep(sleepMs);
    }
}

} // namespace

int32_t RequestRotatePreview(AppState* app) {
    float angle = CursorAngle(app);
    if (angle == lastPreviewAngle) return 1;
    lastPreviewAngle = angle;
    Request(app, &rotateChannel, &app->rotatePreviewRunning, angle - app->rotateStartAngle,
            RotatePreviewThread);
    return 0;
}

int32_t RequestZoomPreview(AppState* app) {
    float magnification = ClampPreviewMagnification(app->viewHost.view.scale,
                                                    app->zoomDistance / app->zoomStartDistance);
    Request(app, &zoomChannel, &app->zoomPreviewRunning, magnification, ZoomPreviewThread);
    return 0;
}

void WaitForRotatePreview(AppState* app, uint32_t sleepMs) {
    WaitUntilIdle(app, &app->rotatePreviewRunning, sleepMs);
}

void WaitForZoomPreview(AppState* app, uint32_t sleepMs) {
    WaitUntilIdle(app, &app->zoomPreviewRunning, sleepMs);
}

void WaitForPreviews(AppState* app) {
    WaitUntilIdle(app, &app->rotatePreviewRunning, 1);
    WaitUntilIdle(app, &app->zoomPreviewRunning, 1);
}
