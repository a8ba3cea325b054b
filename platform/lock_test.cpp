// The re-entrant lock: re-entry by its owner, exclusion of everyone else.
#include "platform/lock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#ifndef _WIN32
#include <sys/syscall.h>
#include <unistd.h>

#include <fstream>
#include <string>
#endif

namespace {

TEST(RecursiveLock, TheOwnerReentersAndReleasesOnlyAtTheLastUnlock) {
  RecursiveLock lock;
  EXPECT_FALSE(lock.heldByCurrentThread());
  lock.lock();
  lock.lock();
  lock.lock();
  EXPECT_TRUE(lock.heldByCurrentThread());
  lock.unlock();
  lock.unlock();
  EXPECT_TRUE(lock.heldByCurrentThread());

  std::atomic<bool> taken{false};
  std::thread other([&] {
    LockGuard guard(lock);
    taken = true;
  });
  // The other thread cannot get in while one level is still held.
  for (int k = 0; k < 200 && !taken; ++k) std::this_thread::yield();
  EXPECT_FALSE(taken);
  lock.unlock();
  other.join();
  EXPECT_TRUE(taken);
  EXPECT_FALSE(lock.heldByCurrentThread());
}

TEST(RecursiveLockThreaded, KeepsEveryThreadOutOfTheOthersCriticalSection) {
  RecursiveLock lock;
  long counter = 0;  // plain: only the lock orders the increments
  int inside = 0;
  std::atomic<int> overlaps{0};
  constexpr int threads = 4;
  constexpr int rounds = 50000;
  std::vector<std::thread> workers;
  for (int t = 0; t < threads; ++t) {
    workers.emplace_back([&] {
      for (int k = 0; k < rounds; ++k) {
        LockGuard outer(lock);
        LockGuard inner(lock);  // re-entry on the contended path too
        if (++inside != 1) overlaps.fetch_add(1);
        ++counter;
        --inside;
      }
    });
  }
  for (std::thread& w : workers) w.join();
  EXPECT_EQ(counter, static_cast<long>(threads) * rounds);
  EXPECT_EQ(overlaps.load(), 0);
}

TEST(RecursiveLockThreaded, AWaiterGetsInOnceTheHolderLeaves) {
  RecursiveLock lock;
  lock.lock();
  std::atomic<int> waiting{0};
  std::atomic<int> done{0};
  std::vector<std::thread> waiters;
  for (int t = 0; t < 3; ++t) {
    waiters.emplace_back([&] {
      waiting.fetch_add(1);
      LockGuard guard(lock);  // sleeps: the holder keeps it well past the spin
      done.fetch_add(1);
    });
  }
  while (waiting.load() < 3) std::this_thread::yield();
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(done.load(), 0);
  lock.unlock();
  for (std::thread& w : waiters) w.join();
  EXPECT_EQ(done.load(), 3);
}

#ifndef _WIN32

// The scheduler state letter of thread tid ('S': asleep in the kernel), or '?'.
char threadState(long tid) {
  std::ifstream stat("/proc/self/task/" + std::to_string(tid) + "/stat");
  std::string line;
  std::getline(stat, line);
  const size_t close = line.rfind(')');
  return close != std::string::npos && close + 2 < line.size() ? line[close + 2] : '?';
}

// Waits up to `seconds` for done; true when it came.
bool waitFor(const std::atomic<bool>& done, int seconds) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (!done.load()) {
    if (std::chrono::steady_clock::now() > until) return false;
    std::this_thread::yield();
  }
  return true;
}

// The lost wake-up the unlock's plain store could cause: the holder leaves while the waiter has
// counted itself in, before, during and after it goes to sleep. Every round the waiter must get
// in; a missed wake-up leaves it asleep and fails the test (a second unlock then frees it).
TEST(RecursiveLockThreaded, ASleepingWaiterIsNeverMissedByAPlainUnlock) {
  RecursiveLock lock;
  std::atomic<long> waiterTid{0};
  std::atomic<int> round{0};
  std::atomic<bool> acquired{false};
  std::atomic<bool> stop{false};
  constexpr int rounds = 400;
  std::thread waiter([&] {
    waiterTid = syscall(SYS_gettid);
    for (int r = 1;; ++r) {
      while (round.load() < r && !stop.load()) std::this_thread::yield();
      if (stop.load()) return;
      lock.lock();
      acquired = true;
      lock.unlock();
    }
  });
  while (waiterTid.load() == 0) std::this_thread::yield();
  int slept = 0;
  int missed = 0;
  for (int r = 1; r <= rounds; ++r) {
    lock.lock();
    acquired = false;
    round = r;
    while (lock.waiterCount() == 0) std::this_thread::yield();  // past its spin
    // Leave at once, a moment later, or once it is asleep.
    if (r % 3 == 1) {
      for (volatile int k = 0; k < (r % 97) * 20; k = k + 1) {
      }
    } else if (r % 3 == 2) {
      for (int k = 0; k < 1000 && threadState(waiterTid.load()) != 'S'; ++k) {
        std::this_thread::yield();
      }
      slept += threadState(waiterTid.load()) == 'S';
    }
    lock.unlock();
    if (!waitFor(acquired, 5)) {
      ++missed;
      lock.lock();  // an unlock that sees the waiter wakes it
      lock.unlock();
      waitFor(acquired, 5);
      break;
    }
  }
  stop = true;
  waiter.join();
  EXPECT_EQ(missed, 0);
  EXPECT_GT(slept, 0) << "the waiter never slept in the kernel";
  EXPECT_EQ(lock.waiterCount(), 0u);
}

// Several threads, each holding the lock now and then long enough for the others to fall asleep;
// the count shows no increment lost and every thread finishing shows no sleeper left behind.
TEST(RecursiveLockThreaded, ThreadsThatSleepOnTheLockAllFinish) {
  RecursiveLock lock;
  long counter = 0;
  constexpr int threads = 4;
  constexpr int rounds = 3000;
  std::vector<std::thread> workers;
  for (int t = 0; t < threads; ++t) {
    workers.emplace_back([&, t] {
      for (int k = 0; k < rounds; ++k) {
        LockGuard guard(lock);
        ++counter;
        if ((k + t) % 200 == 0) std::this_thread::sleep_for(std::chrono::microseconds(200));
      }
    });
  }
  for (std::thread& w : workers) w.join();
  EXPECT_EQ(counter, static_cast<long>(threads) * rounds);
  EXPECT_EQ(lock.waiterCount(), 0u);
}
#endif  // _WIN32

}  // namespace
