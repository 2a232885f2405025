// The view lock on Windows: a critical section in the lock's storage.
#include <windows.h>

#include "base/view_lock.h"

static_assert(sizeof(CRITICAL_SECTION) <= sizeof(ViewLock::storage), "critical section fits");

static CRITICAL_SECTION* Section(ViewLock* lock) {
    return reinterpret_cast<CRITICAL_SECTION*>(lock->storage);
}

void InitViewLock(ViewLock* lock) {
    InitializeCriticalSection(Section(lock));
}
void DeleteViewLock(ViewLock* lock) {
    DeleteCriticalSection(Section(lock));
}
void EnterViewLock(ViewLock* lock) {
    EnterCriticalSection(Section(lock));
}
void LeaveViewLock(ViewLock* lock) {
    LeaveCriticalSection(Section(lock));
}
