// Several threads on one module pool: blocks never handed to two owners, one binding, a switch
// to the host's pool under load.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <thread>
#include <vector>

#include "pool/pool_binding.h"
#include "testhost/pool_services.h"
#include "testhost/test_host.h"

namespace {

constexpr int threadCount = 4;

// A small deterministic generator per thread.
struct Lcg {
  uint32_t state;
  uint32_t next() {
    state = state * 1664525u + 1013904223u;
    return state >> 8;
  }
};

struct Held {
  unsigned char* block;
  int size;
  int capacity;
  unsigned char mark;
};

bool stampIntact(const Held& h) {
  for (int i = 0; i < h.size; ++i) {
    if (h.block[i] != h.mark) return false;
  }
  return true;
}

// Allocates, stamps and checks blocks of mixed sizes (a few above the pooled limit), keeping up
// to 32 alive at a time. A block handed to two owners shows as a broken stamp.
void workload(int seed, int rounds, std::atomic<int>* brokenStamps) {
  Lcg random{static_cast<uint32_t>(seed) * 7919u + 1u};
  std::vector<Held> held;
  for (int r = 0; r < rounds; ++r) {
    if (held.size() < 32 && (held.empty() || random.next() % 3 != 0)) {
      const uint32_t pick = random.next() % 100;
      const int size = pick < 90   ? static_cast<int>(random.next() % 512)
                       : pick < 99 ? static_cast<int>(random.next() % 40000)
                                   : 262145 + static_cast<int>(random.next() % 1000);
      int capacity = 0;
      auto* block = static_cast<unsigned char*>(poolAlloc(size, &capacity));
      if (capacity < size) brokenStamps->fetch_add(1);
      const auto mark = static_cast<unsigned char>(seed * 31 + r);
      std::memset(block, mark, static_cast<size_t>(size));
      held.push_back(Held{block, size, capacity, mark});
    } else {
      const size_t k = random.next() % held.size();
      Held h = held[k];
      held[k] = held.back();
      held.pop_back();
      if (!stampIntact(h)) brokenStamps->fetch_add(1);
      void* handle = h.block;
      poolFree(h.capacity, &handle);
    }
  }
  for (Held& h : held) {
    if (!stampIntact(h)) brokenStamps->fetch_add(1);
    void* handle = h.block;
    poolFree(h.capacity, &handle);
  }
}

void runThreads(int rounds, std::atomic<int>* broken) {
  std::vector<std::thread> threads;
  for (int t = 0; t < threadCount; ++t) threads.emplace_back(workload, t + 1, rounds, broken);
  for (std::thread& t : threads) t.join();
}

TEST(PoolThreaded, ConcurrentOwnersNeverShareABlock) {
  attachTestHost();
  std::atomic<int> broken{0};
  runThreads(20000, &broken);
  EXPECT_EQ(broken.load(), 0);
  LockGuard guard(poolLock());
  EXPECT_TRUE(ownPool);
  EXPECT_TRUE(modulePool->checkBucketTable());
}

TEST(PoolThreaded, ThreadsRacingToTheFirstAllocationBindOnePool) {
  TestHost& host = attachTestHost();
  std::atomic<int> ready{0};
  std::vector<BucketMemoryPool*> seen(threadCount, nullptr);
  std::vector<std::thread> threads;
  for (int t = 0; t < threadCount; ++t) {
    threads.emplace_back([&, t] {
      ready.fetch_add(1);
      while (ready.load() < threadCount) std::this_thread::yield();
      int capacity = 0;
      void* block = poolAlloc(24, &capacity);
      {
        LockGuard guard(poolLock());
        seen[t] = modulePool;
      }
      poolFree(capacity, &block);
    });
  }
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(host.requestCount("IBucketMemoryPool"), 1);
  for (BucketMemoryPool* pool : seen) EXPECT_EQ(pool, seen[0]);
  EXPECT_EQ(seen[0]->refCount(), 1);
  EXPECT_EQ(ownPoolAllocCount, threadCount);
}

TEST(PoolThreaded, TheSwitchToAHostPoolUnderLoadLosesNoBlock) {
  TestHost& host = attachTestHost();
  TestSharedPool* shared = new TestSharedPool();
  std::atomic<int> broken{0};
  std::thread offerer([&] {
    // Offer the host pool as soon as the workers run on the own pool.
    while (true) {
      {
        LockGuard guard(poolLock());
        if (modulePool != nullptr) break;
      }
      std::this_thread::yield();
    }
    LockGuard guard(poolLock());
    shared->offerTo(host);
  });
  runThreads(20000, &broken);
  offerer.join();
  EXPECT_EQ(broken.load(), 0);
  LockGuard guard(poolLock());
  EXPECT_FALSE(ownPool);
  EXPECT_EQ(modulePool, shared->pool);
  EXPECT_TRUE(shared->pool->checkBucketTable());
}

}  // namespace
