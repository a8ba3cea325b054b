// The re-entrant lock: re-entry by its owner, exclusion of everyone else.
#include "platform/lock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

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

}  // namespace
