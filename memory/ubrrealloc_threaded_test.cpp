#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "memory/memory_test_support.h"
#include "memory/ubrrealloc.h"
#include "platform/heap.h"

namespace {

using GuardedAllocationThreadedTest = MemoryHostTest;

// Each thread grows its own array by doubling; past 48 KiB the heap refuses, so the last growth
// settles for a reduced count, and every thread looks the manager up at once.
TEST_F(GuardedAllocationThreadedTest, ConcurrentGrowthKeepsEveryBlocksContents) {
  ScriptedMemoryManager& manager = processLifetime<ScriptedMemoryManager>();
  host->offer<OrnMM::IOrnMManager>(&manager);
  FaultHeap heap = FaultHeap::servingAtMost(48 * 1024);
  constexpr int threads = 4;
  constexpr int elements = 12000;
  std::vector<int> capacities(threads, 0);
  std::vector<int> mismatches(threads, 0);
  {
    HeapFaultScope scope(heap);
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t) {
      workers.emplace_back([t, &capacities, &mismatches] {
        void* block = nullptr;
        int capacity = 0;
        for (int n = 1; n <= elements; ++n) {
          if (n > capacity) capacity = ubrRealloc(&block, 4, capacity, n, capacity * 2);
          static_cast<int*>(block)[n - 1] = n * (t + 1);
        }
        const int* ints = static_cast<const int*>(block);
        for (int n = 1; n <= elements; ++n) mismatches[t] += ints[n - 1] != n * (t + 1);
        for (int n = elements; n < capacity; ++n) mismatches[t] += ints[n] != 0;
        capacities[t] = capacity;
        platformFree(block);
      });
    }
    for (std::thread& worker : workers) worker.join();
  }
  for (int t = 0; t < threads; ++t) {
    EXPECT_EQ(capacities[t], 12288) << "thread " << t;  // midpoint of 8193 and 16384
    EXPECT_EQ(mismatches[t], 0) << "thread " << t;
  }
  EXPECT_EQ(host->requestCount("IOrnMManager"), 1);
  EXPECT_EQ(manager.releaseCalls, 0);
}

}  // namespace
