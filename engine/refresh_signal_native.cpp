// The refresh thread's event and thread off Windows (standard threads).
#include <condition_variable>
#include <mutex>
#include <thread>

#include "engine/refresh_signal.h"

// The portable build's event and thread behind the opaque handles.
struct EventObject {
    std::mutex mutex;
    std::condition_variable wake;
    bool signalled = true;
};

struct ThreadObject {
    std::thread thread;
};

EventHandle CreateRefreshEvent() {
    return new EventObject();
}

void SignalRefreshEvent(EventHandle handle) {
    EventObject* event = handle;
    std::lock_guard<std::mutex> hold(event->mutex);
    event->signalled = true;
    event->wake.notify_one();
}

void WaitRefreshEvent(EventHandle handle) {
    EventObject* event = handle;
    std::unique_lock<std::mutex> hold(event->mutex);
    event->wake.wait(hold, [event] { return event->signalled; });
    event->signalled = false;
}

void DestroyRefreshEvent(EventHandle handle) {
    delete handle;
}

ThreadHandle StartRefreshThreadRoutine(void (*routine)(void*), void* argument) {
    return new ThreadObject{std::thread(routine, argument)};
}

void JoinRefreshThreadRoutine(ThreadHandle handle) {
    handle->thread.join();
    delete handle;
}

void YieldRefreshWait() {
    std::this_thread::yield();
}
