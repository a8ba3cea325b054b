// A re-entrant lock: a critical section on Windows; on Linux an owner word taken with one
// compare-exchange and left with a plain store, and a futex a contended waiter sleeps on.
#ifndef ORN_PLATFORM_LOCK_H_
#define ORN_PLATFORM_LOCK_H_

#include <cstdint>

#ifndef _WIN32
#include <atomic>
#if __has_include(<sys/single_threaded.h>)
#include <sys/single_threaded.h>
#define ORN_LOCK_SEES_SINGLE_THREADED 1
#endif
#endif

// Re-entrant for its owner thread: every lock() needs one unlock() by the same thread.
// The Linux form is constant-initialised and trivially destructible, so a static instance exists
// before any constructor runs and is never torn down. While the process has never started a
// second thread it is taken with plain stores, as the C runtime's own locks are; the first thread
// start ends that for good, before the new thread runs.
class RecursiveLock {
 public:
#ifdef _WIN32
  RecursiveLock();
  ~RecursiveLock();
  void lock();
  void unlock();
  // True when the calling thread holds the lock (for checks and tests).
  bool heldByCurrentThread() const;
#else
  constexpr RecursiveLock() = default;
  ~RecursiveLock() = default;

  // Uncontended, a round trip costs one atomic read-modify-write: the compare-exchange that takes
  // the owner word (none at all while the process is single-threaded). Re-entry costs a failed
  // compare-exchange and an increment.
  void lock() {
    const uintptr_t self = currentThreadToken();
    uintptr_t seen = 0;
    if (processIsSingleThreaded()) {
      seen = owner_.load(std::memory_order_relaxed);
      if (seen == 0) {
        owner_.store(self, std::memory_order_relaxed);
        return;
      }
    } else if (owner_.compare_exchange_strong(seen, self, std::memory_order_acquire,
                                              std::memory_order_relaxed)) {
      return;
    }
    if (seen == self) {
      ++depth_;
      return;
    }
    lockContended(self);
  }

  // Leaving is a plain release store followed by a plain load of the waiter count. Why no waiter
  // is missed although nothing orders that load after the store: a waiter counts itself in and
  // then makes every running thread of the process pass a full barrier (membarrier, in
  // lockContended) before it looks at the owner word. Either this thread's store came before its
  // barrier, and the waiter sees the lock free and takes it instead of sleeping, or this thread's
  // load comes after its barrier and sees the waiter counted: then wakeOne bumps the futex word
  // the waiter sleeps on, which either wakes it or makes its sleep return at once.
  void unlock() {
    if (depth_ != 0) {
      --depth_;
      return;
    }
    owner_.store(0, std::memory_order_release);
    std::atomic_signal_fence(std::memory_order_seq_cst);  // the compiler keeps the load below
    if (waiters_.load(std::memory_order_relaxed) != 0) wakeOne();
  }
  // True when the calling thread holds the lock (for checks and tests).
  bool heldByCurrentThread() const {
    return owner_.load(std::memory_order_relaxed) == currentThreadToken();
  }
  // Threads past their spin, asleep or about to be (for tests).
  uint32_t waiterCount() const { return waiters_.load(std::memory_order_relaxed); }
#endif
  RecursiveLock(const RecursiveLock&) = delete;
  RecursiveLock& operator=(const RecursiveLock&) = delete;

 private:
#ifdef _WIN32
  // CRITICAL_SECTION (24 bytes on 32-bit Windows).
  alignas(8) unsigned char storage_[48];
#else
  // A word unique to each live thread and never 0: the thread pointer, one register read.
  static uintptr_t currentThreadToken() {
    return reinterpret_cast<uintptr_t>(__builtin_thread_pointer());
  }
  static bool processIsSingleThreaded() {
#ifdef ORN_LOCK_SEES_SINGLE_THREADED
    return __libc_single_threaded != 0;
#else
    return false;
#endif
  }
  // Spins briefly, then counts itself among the waiters and sleeps on the futex until it takes
  // the lock.
  void lockContended(uintptr_t self);
  // Bumps the futex word and wakes one sleeper.
  void wakeOne();

  // The owner's token, 0 when free. Taken by compare-exchange, given back by its owner.
  std::atomic<uintptr_t> owner_{0};
  // Re-entries beyond the first; touched only by the owner.
  uint32_t depth_ = 0;
  // Threads in lockContended past their spin: an unlock that sees one wakes one.
  std::atomic<uint32_t> waiters_{0};
  // The futex word: bumped by every unlock that wakes, so a sleeper that read it before the
  // unlock does not sleep through it.
  std::atomic<uint32_t> wakeups_{0};
#endif
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
