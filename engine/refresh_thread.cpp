// The refresh thread: changed canvas rectangles rendered into the view off the window thread.
#include "engine/refresh_thread.h"

#include <algorithm>

#include "engine/refresh_signal.h"
#include "engine/stroke_host.h"
#include "view/render_region.h"
#include "view/view_paint.h"

namespace {

// Shared by the window thread and the refresh thread under the view's lock.
struct RefreshChannel {
    EventHandle* event;
    int32_t* busy;
    int32_t* frameReady;
    Rect* readyRect;
    GdiHandle window;
    ViewState* view;
    Rect workRect;
    Rect pendingRect;
    ViewLock* lock;
    ThreadHandle thread;
    bool stopRequested;
};

RefreshChannel channel;

void RefreshLoop(void*) {
    ViewState* view = channel.view;
    for (;;) {
        EnterViewLock(channel.lock);
        Rect work = channel.workRect;
        LeaveViewLock(channel.lock);

        // Rendering reads the canvas while the window thread may draw into
        // it; a region changed meanwhile is queued again by its own request.
        view->renderRegion(view, view->canvas, work, 0);

        EnterViewLock(channel.lock);
        Rect client = UpdatedClientRect(view, work);
        *channel.frameReady = 1;
        UnionRefreshRect(channel.readyRect, client);
        TheStrokeHost()->postFrameReady(channel.window);
        channel.workRect = Rect{0, 0, 0, 0};
        if (IsRefreshRectEmpty(channel.pendingRect)) {
            *channel.busy = 0;
            while (IsRefreshRectEmpty(channel.pendingRect)) {
                if (channel.stopRequested) {
                    LeaveViewLock(channel.lock);
                    return;
                }
                LeaveViewLock(channel.lock);
                WaitRefreshEvent(*channel.event);
                EnterViewLock(channel.lock);
            }
            *channel.busy = 1;
        }
        channel.workRect = channel.pendingRect;
        channel.pendingRect = Rect{0, 0, 0, 0};
        LeaveViewLock(channel.lock);
    }
}

// Under the lock: a frame the thread finished is painted and shown now.
void TakeReadyFrame(AppState* app) {
    if (!app->frameReady) return;
    ViewState* view = &app->viewHost.view;
    PaintViewRect(view, app->readyRect);
    TheStrokeHost()->invalidate(app->mainWindow, &app->readyRect);
    app->readyRect = Rect{0, 0, 0, 0};
    app->frameReady = 0;
}

} // namespace

bool IsRefreshRectEmpty(const Rect& r) {
    return r.left == 0 && r.top == 0 && r.right == 0 && r.bottom == 0;
}

void UnionRefreshRect(Rect* target, const Rect& r) {
    if (IsRefreshRectEmpty(*target)) {
        *target = r;
        return;
    }
    target->left = std::min(target->left, r.left);
    target->top = std::min(target->top, r.top);
    target->right = std::max(target->right, r.right);
    target->bottom = std::max(target->bottom, r.bottom);
}

int32_t RequestCanvasRefresh(AppState* app, const Rect* rect) {
    if (!rect || IsRefreshRectEmpty(*rect)) return -1;
    ViewState* view = &app->viewHost.view;
    ViewLockGuard guard(&view->lock);
    if (app->busy) {
        TakeReadyFrame(app);
        UnionRefreshRect(&channel.pendingRect, *rect);
        return 2;
    }
    if (app->viewHost.refreshEvent && channel.thread) {
        TakeReadyFrame(app);
        UnionRefreshRect(&channel.pendingRect, *rect);
        SignalRefreshEvent(app->viewHost.refreshEvent);
        return 1;
    }
    app->busy = 1;
    app->frameReady = 0;
    app->readyRect = Rect{0, 0, 0, 0};
    channel.event = &app->viewHost.refreshEvent;
    channel.busy = &app->busy;
    channel.frameReady = &app->frameReady;
    channel.readyRect = &app->readyRect;
    channel.window = app->mainWindow;
    channel.view = view;
    channel.lock = &view->lock;
    channel.workRect = *rect;
    channel.pendingRect = Rect{0, 0, 0, 0};
    channel.stopRequested = false;
    if (!app->viewHost.refreshEvent) app->viewHost.refreshEvent = CreateRefreshEvent();
    channel.thread = StartRefreshThreadRoutine(RefreshLoop, nullptr);
    if (!channel.thread) app->busy = 0; // the next request tries again
    return 0;
}

void ConsumeReadyFrame(AppState* app) {
    ViewLockGuard guard(&app->viewHost.view.lock);
    TakeReadyFrame(app);
}

void WaitForRefreshIdle(AppState* app) {
    for (;;) {
        EnterViewLock(&app->viewHost.view.lock);
        // A woken thread has not set busy yet while its work is still pending.
        bool busy = channel.thread && (app->busy || !IsRefreshRectEmpty(channel.pendingRect));
        LeaveViewLock(&app->viewHost.view.lock);
        if (!busy) return;
        YieldRefreshWait();
    }
}

void StopRefreshThread(AppState* app) {
    if (!channel.thread) return;
    EnterViewLock(&app->viewHost.view.lock);
    channel.stopRequested = true;
    channel.pendingRect = Rect{0, 0, 0, 0};
    LeaveViewLock(&app->viewHost.view.lock);
    SignalRefreshEvent(app->viewHost.refreshEvent);
    JoinRefreshThreadRoutine(channel.thread);
    channel.thread = nullptr;
    app->busy = 0;
    DestroyRefreshEvent(app->viewHost.refreshEvent);
    app->viewHost.refreshEvent = nullptr;
}
