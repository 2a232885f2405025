// The view's lock: a critical section on Windows, a mutex elsewhere. Plain
// storage so that it can sit inside the statically allocated records.
#pragma once

struct ViewLock {
    alignas(16) unsigned char storage[64];
};

void InitViewLock(ViewLock* lock);
void DeleteViewLock(ViewLock* lock);
void EnterViewLock(ViewLock* lock);
void LeaveViewLock(ViewLock* lock);

// Holds the lock for one scope.
class ViewLockGuard {
  public:
    explicit ViewLockGuard(ViewLock* lock) : lock_(lock) { EnterViewLock(lock_); }
    ~ViewLockGuard() { LeaveViewLock(lock_); }
    ViewLockGuard(const ViewLockGuard&) = delete;
    ViewLockGuard& operator=(const ViewLockGuard&) = delete;

  private:
    ViewLock* lock_;
};
