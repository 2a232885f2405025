// The wake-up event and the thread of the refresh loop, per platform.
#pragma once

#include "base/bitmap_types.h"

// An auto-reset event, created signalled.
GdiHandle CreateRefreshEvent();
void SignalRefreshEvent(GdiHandle event);
void WaitRefreshEvent(GdiHandle event);
void DestroyRefreshEvent(GdiHandle event);

// Starts routine(argument) on a new thread; null when it cannot be started.
GdiHandle StartRefreshThreadRoutine(void (*routine)(void*), void* argument);
void JoinRefreshThreadRoutine(GdiHandle thread);
void YieldRefreshWait();
