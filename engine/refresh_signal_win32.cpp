// The refresh thread's event and thread on Windows.
#include <windows.h>

#include "engine/refresh_signal.h"

EventHandle CreateRefreshEvent() {
    return reinterpret_cast<EventHandle>(CreateEventW(nullptr, FALSE, TRUE, nullptr));
}
void SignalRefreshEvent(EventHandle event) {
    SetEvent(reinterpret_cast<HANDLE>(event));
}
void WaitRefreshEvent(EventHandle event) {
    WaitForSingleObject(reinterpret_cast<HANDLE>(event), INFINITE);
}
void DestroyRefreshEvent(EventHandle event) {
    CloseHandle(reinterpret_cast<HANDLE>(event));
}

namespace {
struct Start {
    void (*routine)(void*);
    void* argument;
};
DWORD WINAPI Trampoline(void* parameter) {
    Start start = *static_cast<Start*>(parameter);
    delete static_cast<Start*>(parameter);
    start.routine(start.argument);
    return 0;
}
} // namespace

ThreadHandle StartRefreshThreadRoutine(void (*routine)(void*), void* argument) {
    Start* start = new Start{routine, argument};
    HANDLE thread = CreateThread(nullptr, 0, Trampoline, start, 0, nullptr);
    if (!thread) delete start;
    return reinterpret_cast<ThreadHandle>(thread);
}

void JoinRefreshThreadRoutine(ThreadHandle thread) {
    WaitForSingleObject(reinterpret_cast<HANDLE>(thread), INFINITE);
    CloseHandle(reinterpret_cast<HANDLE>(thread));
}

void YieldRefreshWait() {
    Sleep(1);
}
