// The contended half of RecursiveLock: a bounded spin, then a private futex wait.
#include <linux/futex.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>

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

void futexWait(std::atomic<uint32_t>* word, uint32_t expected) {
  // Returns at once when *word no longer holds `expected`; spurious wake-ups are fine.
  syscall(SYS_futex, reinterpret_cast<uint32_t*>(word), FUTEX_WAIT_PRIVATE, expected, nullptr,
          nullptr, 0);
}

void futexWakeOne(std::atomic<uint32_t>* word) {
  syscall(SYS_futex, reinterpret_cast<uint32_t*>(word), FUTEX_WAKE_PRIVATE, 1, nullptr, nullptr, 0);
}

}  // namespace

void RecursiveLock::lockContended() {
  for (int i = 0; i < spinLimit; ++i) {
    uint32_t seen = state_.load(std::memory_order_relaxed);
    if (seen == stateFree) {
      if (state_.compare_exchange_weak(seen, stateLocked, std::memory_order_acquire,
                                       std::memory_order_relaxed)) {
        return;
      }
    } else if (seen == stateContended) {
      break;  // someone already sleeps: join the queue rather than compete on the core
    }
    cpuRelax();
  }
  // Mark the lock contended so the holder wakes a sleeper, and sleep until it is free.
  while (state_.exchange(stateContended, std::memory_order_acquire) != stateFree) {
    futexWait(&state_, stateContended);
  }
}

void RecursiveLock::wakeOne() { futexWakeOne(&state_); }
