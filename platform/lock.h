// A re-entrant lock: a critical section on Windows, an owner word and a recursion count with a
// futex wait on Linux. Cheap when uncontended; a contended waiter sleeps in the kernel.
#ifndef ORN_PLATFORM_LOCK_H_
#define ORN_PLATFORM_LOCK_H_

#include <cstdint>

class RecursiveLock {
 public:
  RecursiveLock();
  ~RecursiveLock();
  RecursiveLock(const RecursiveLock&) = delete;
  RecursiveLock& operator=(const RecursiveLock&) = delete;

  void lock();
  void unlock();

 private:
  // CRITICAL_SECTION on Windows (24 bytes on 32-bit); owner/state/count words on Linux.
  alignas(8) unsigned char storage_[48];
};

// Holds a RecursiveLock for a scope.
class LockGuard {
 public:
  explicit LockGuard(RecursiveLock& lock) : lock_(lock) { lock_.lock(); }
  ~LockGuard() { lock_.unlock(); }
  LockGuard(const LockGuard&) = delete;
  LockGuard& operator=(const LockGuard&) = delete;

 private:
  RecursiveLock& lock_;
};

#endif  // ORN_PLATFORM_LOCK_H_
