#include <windows.h>

#include "engine/refresh_signal.h"

GdiHandle CreateRefreshEvent() {
    return CreateEventW(nullptr, FALSE, TRUE, nullptr);
}
void SignalRefreshEvent(GdiHandle event) {
    SetEvent(static_cast<HANDLE>(event));
}
void WaitRefreshEvent(GdiHandle event) {
    WaitForSingleObject(static_cast<HANDLE>(event), INFINITE);
}
void DestroyRefreshEvent(GdiHandle event) {
    CloseHandle(static_cast<HANDLE>(event));
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

GdiHandle StartRefreshThreadRoutine(void (*routine)(void*), void* argument) {
    Start* start = new Start{routine, argument};
    HANDLE thread = CreateThread(nullptr, 0, Trampoline, start, 0, nullptr);
    if (!thread) delete start;
    return thread;
}

void JoinRefreshThreadRoutine(GdiHandle thread) {
    WaitForSingleObject(static_cast<HANDLE>(thread), INFINITE);
    CloseHandle(static_cast<HANDLE>(thread));
}

void YieldRefreshWait() {
    Sleep(1);
}
