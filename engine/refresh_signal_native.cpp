#include <condition_variable>
#include <mutex>
#include <thread>

#include "engine/refresh_signal.h"

namespace {
struct Event {
    std::mutex mutex;
    std::condition_variable wake;
    bool signalled = true;
};
} // namespace

GdiHandle CreateRefreshEvent() {
    return new Event();
}

void SignalRefreshEvent(GdiHandle handle) {
    Event* event = static_cast<Event*>(handle);
    std::lock_guard<std::mutex> hold(event->mutex);
    event->signalled = true;
    event->wake.notify_one();
}

void WaitRefreshEvent(GdiHandle handle) {
    Event* event = static_cast<Event*>(handle);
    std::unique_lock<std::mutex> hold(event->mutex);
    event->wake.wait(hold, [event] { return event->signalled; });
    event->signalled = false;
}

void DestroyRefreshEvent(GdiHandle handle) {
    delete static_cast<Event*>(handle);
}

GdiHandle StartRefreshThreadRoutine(void (*routine)(void*), void* argument) {
    return new std::thread(routine, argument);
}

void JoinRefreshThreadRoutine(GdiHandle handle) {
    std::thread* thread = static_cast<std::thread*>(handle);
    thread->join();
    delete thread;
}

void YieldRefreshWait() {
    std::this_thread::yield();
}
