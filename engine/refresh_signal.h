// The wake-up event and the thread of the refresh loop, per platform.
#pragma once

#include "base/bitmap_types.h"

// An auto-reset event, created signalled.
EventHandle CreateRefreshEvent();
void SignalRefreshEvent(EventHandle event);
void WaitRefreshEvent(EventHandle event);
void DestroyRefreshEvent(EventHandle event);

// Starts routine(argument) on a new thread; null when it cannot be started.
ThreadHandle StartRefreshThreadRoutine(void (*routine)(void*), void* argument);
void JoinRefreshThreadRoutine(ThreadHandle thread);
void YieldRefreshWait();
