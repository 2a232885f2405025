// The view lock off Windows: a mutex in the lock's storage.
#include <mutex>
#include <new>

#include "base/view_lock.h"

static_assert(sizeof(std::mutex) <= sizeof(ViewLock::storage), "mutex fits the lock storage");

void InitViewLock(ViewLock* lock) {
    new (lock->storage) std::mutex();
}
void DeleteViewLock(ViewLock* lock) {
    reinterpret_cast<std::mutex*>(lock->storage)->~mutex();
}
void EnterViewLock(ViewLock* lock) {
    reinterpret_cast<std::mutex*>(lock->storage)->lock();
}
void LeaveViewLock(ViewLock* lock) {
    reinterpret_cast<std::mutex*>(lock->storage)->unlock();
}
