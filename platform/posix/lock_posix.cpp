// The contended half of RecursiveLock: a bounded spin, then a private futex wait behind a
// process-wide barrier (membarrier) that lets the owner leave without an atomic instruction.
#include <linux/futex.h>
#include <linux/membarrier.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include "platform/lock.h"

static_assert(sizeof(std::atomic<uint32_t>) == sizeof(uint32_t), "the futex word is a plain int");

namespace {

// A few microseconds of polling at most: many pool operations long, far shorter than a sleep.
constexpr int spinLimit = 50;

inline void cpuRelax() {
#if defined(__x86_64__) || defined(__i386__)
  __builtin_ia32_pause();
#endif
}

// Returns at once when *word no longer holds `expected`, else sleeps until woken or until the
// timeout (null: none) runs out; spurious returns are fine.
void futexWait(std::atomic<uint32_t>* word, uint32_t expected, const timespec* timeout) {
  syscall(SYS_futex, reinterpret_cast<uint32_t*>(word), FUTEX_WAIT_PRIVATE, expected, timeout,
          nullptr, 0);
}

void futexWakeOne(std::atomic<uint32_t>* word) {
  syscall(SYS_futex, reinterpret_cast<uint32_t*>(word), FUTEX_WAKE_PRIVATE, 1, nullptr, nullptr, 0);
}

// Makes every thread of this process that is running now pass a full memory barrier before it
// returns (membarrier's private expedited command; a thread not running passes one when it is
// switched in). The process registers for it once, on the first contended wait. False when the
// kernel offers no such command (Linux before 4.14).
bool processWideBarrier() {
  static const bool registered =
      syscall(SYS_membarrier, MEMBARRIER_CMD_REGISTER_PRIVATE_EXPEDITED, 0, 0) == 0;
  return registered && syscall(SYS_membarrier, MEMBARRIER_CMD_PRIVATE_EXPEDITED, 0, 0) == 0;
}

// Without the process-wide barrier an unlock may miss a waiter that counted itself in; such a
// waiter looks again after this long instead of sleeping for good.
constexpr timespec unfencedRecheck{0, 1000 * 1000};

}  // namespace

void RecursiveLock::lockContended(uintptr_t self) {
  for (int i = 0; i < spinLimit; ++i) {
    uintptr_t seen = owner_.load(std::memory_order_relaxed);
    if (seen == 0 && owner_.compare_exchange_weak(seen, self, std::memory_order_acquire,
                                                  std::memory_order_relaxed)) {
      return;
    }
    cpuRelax();
  }
  // No lost wake-up (see unlock): the count goes up before the barrier, and every look at the
  // owner word below comes after it. An owner whose release store came before the barrier left a
  // free word for the compare-exchange; an owner whose store came after it (the compare-exchange
  // saw it still holding) loads the count after its barrier, sees this waiter and wakes. The
  // wake bumps wakeups_ after the release store, so a `seen` read before the failed
  // compare-exchange is older than the bump and the futex wait returns at once if the bump came
  // first; if the wait came first, the wake finds it sleeping.
  waiters_.fetch_add(1, std::memory_order_seq_cst);
  const bool fenced = processWideBarrier();
  for (;;) {
    const uint32_t seen = wakeups_.load(std::memory_order_seq_cst);
    uintptr_t expected = 0;
    if (owner_.compare_exchange_strong(expected, self, std::memory_order_seq_cst,
                                       std::memory_order_seq_cst)) {
      break;
    }
    futexWait(&wakeups_, seen, fenced ? nullptr : &unfencedRecheck);
  }
  waiters_.fetch_sub(1, std::memory_order_relaxed);
}

void RecursiveLock::wakeOne() {
  wakeups_.fetch_add(1, std::memory_order_seq_cst);
  futexWakeOne(&wakeups_);
}
