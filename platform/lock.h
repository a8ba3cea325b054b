// A re-entrant lock: a critical section on Windows, an owner word and a recursion count with a
// futex wait on Linux. Cheap when uncontended; a contended waiter sleeps in the kernel.
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
// second thread it takes and leaves the lock with plain stores, as the C runtime's own locks do;
// the first thread start ends that for good, before the new thread runs.
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

  // Fast paths inline: a re-entry is a load and an increment; a free lock is one compare-exchange.
  void lock() {
    const uintptr_t self = currentThreadToken();
    if (owner_.load(std::memory_order_relaxed) == self) {
      ++depth_;
      return;
    }
    uint32_t expected = stateFree;
    if (processIsSingleThreaded() && state_.load(std::memory_order_relaxed) == stateFree) {
      state_.store(stateLocked, std::memory_order_relaxed);
    } else if (!state_.compare_exchange_strong(expected, stateLocked, std::memory_order_acquire,
                                               std::memory_order_relaxed)) {
      lockContended();
    }
    owner_.store(self, std::memory_order_relaxed);
    depth_ = 1;
  }
  void unlock() {
    if (--depth_ != 0) return;
    owner_.store(0, std::memory_order_relaxed);
    if (processIsSingleThreaded()) {
      state_.store(stateFree, std::memory_order_relaxed);
    } else if (state_.exchange(stateFree, std::memory_order_release) == stateContended) {
      wakeOne();
    }
  }
  // True when the calling thread holds the lock (for checks and tests).
  bool heldByCurrentThread() const {
    return owner_.load(std::memory_order_relaxed) == currentThreadToken();
  }
#endif
  RecursiveLock(const RecursiveLock&) = delete;
  RecursiveLock& operator=(const RecursiveLock&) = delete;

 private:
#ifdef _WIN32
  // CRITICAL_SECTION (24 bytes on 32-bit Windows).
  alignas(8) unsigned char storage_[48];
#else
  static constexpr uint32_t stateFree = 0;
  static constexpr uint32_t stateLocked = 1;     // held, nobody sleeping
  static constexpr uint32_t stateContended = 2;  // held, a waiter may sleep on the futex

  // A word unique to each live thread: the thread pointer, one register read.
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
  // Spins briefly, then sleeps on the futex until the lock is handed over.
  void lockContended();
  void wakeOne();

  std::atomic<uint32_t> state_{stateFree};
  // The owner's token, 0 when free. Written only by the owner; read by anyone to test
  // "is it me", which a stale value can never answer wrongly.
  std::atomic<uintptr_t> owner_{0};
  // Re-entry depth; touched only by the owner.
  uint32_t depth_ = 0;
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
