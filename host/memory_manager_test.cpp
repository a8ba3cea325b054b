#include "host/memory_manager.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <thread>
#include <vector>

#include "host/memory_figures.h"

TEST(HostMemoryManager, ReserveIsGivenBackInSteps) {
  HostMemoryManager manager(4 * 240 * 1024, 4);  // four steps of ten 24 KiB units
  EXPECT_EQ(manager.initialBytes(), 4u * 240 * 1024);
  EXPECT_EQ(manager.coreLimit(), 40);
  EXPECT_EQ(manager.coreUnits, 40);
  for (int step = 3; step >= 0; --step) {
    EXPECT_TRUE(manager.releaseMemory());
    EXPECT_EQ(manager.stepsLeft(), step);
    EXPECT_EQ(manager.coreUnits, step * 10);
    EXPECT_EQ(manager.reserveBytes(), static_cast<size_t>(step) * 240 * 1024);
  }
  EXPECT_FALSE(manager.releaseMemory());  // nothing left: the caller stops retrying
  EXPECT_FALSE(manager.releaseMemory());
  EXPECT_EQ(manager.releaseCalls(), 6);
  EXPECT_EQ(manager.coreLimit(), 40);  // the limit stays what the reserve was
  EXPECT_EQ(manager.swapLimit(), 0);
  EXPECT_EQ(manager.swapInUse(), 0);
}

TEST(HostMemoryManager, NoReserveAnswersFalseAtOnce) {
  HostMemoryManager manager(0, 8);
  EXPECT_EQ(manager.coreUnits, 0);
  EXPECT_EQ(manager.coreLimit(), 0);
  EXPECT_FALSE(manager.releaseMemory());
}

TEST(HostMemoryManager, UnevenReserveRoundsStepsUp) {
  HostMemoryManager manager(1000, 3);
  EXPECT_EQ(manager.stepsLeft(), 3);
  EXPECT_GE(manager.initialBytes(), 1000u);
  int released = 0;
  while (manager.releaseMemory()) ++released;
  EXPECT_EQ(released, 3);
}

TEST(HostMemoryManager, ReserveThatCannotBeSplitHoldsNothing) {
  // Within `steps` bytes of the largest size: the rounded-up blocks would not fit together.
  for (size_t reserve : {SIZE_MAX, SIZE_MAX - 2, SIZE_MAX - 6}) {
    HostMemoryManager manager(reserve, 8);
    EXPECT_EQ(manager.stepsLeft(), 0) << reserve;
    EXPECT_EQ(manager.initialBytes(), 0u);
    EXPECT_EQ(manager.coreUnits, 0);
    EXPECT_FALSE(manager.releaseMemory());  // nothing left to release
    EXPECT_FALSE(manager.releaseMemory());
  }
}

TEST(HostMemoryManagerThreaded, EachStepIsGivenBackOnce) {
  HostMemoryManager manager(64 * 1024, 64);
  std::vector<std::thread> threads;
  std::vector<int> freed(4, 0);
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&manager, &freed, t] {
      while (manager.releaseMemory()) ++freed[t];
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(freed[0] + freed[1] + freed[2] + freed[3], 64);
  EXPECT_EQ(manager.coreUnits, 0);
}

TEST(HostMemoryFigures, ComeFromTheProcessAndTheSystem) {
  HostHeapUsage heap;
  const size_t before = heap.heapInUse();
  EXPECT_GT(before, 0u);

  HostMemChecker checker;
  EXPECT_TRUE(checker.useChecker());
  int64_t free = -1, total = -1, swapFree = -1, swapTotal = -1;
  ASSERT_TRUE(checker.memoryFigures(&free, &total, &swapFree, &swapTotal, 1024));
  EXPECT_GT(total, 0);
  EXPECT_GT(free, 0);
  EXPECT_LE(free, total);
  EXPECT_GE(swapTotal, 0);
  EXPECT_LE(swapFree, swapTotal);
  int64_t totalBytes = 0;
  ASSERT_TRUE(checker.memoryFigures(&free, &totalBytes, &swapFree, &swapTotal, 0));
  EXPECT_GE(totalBytes / 1024, total);  // a divisor below 1 counts as 1
  EXPECT_FALSE(checker.memoryFigures(nullptr, &total, &swapFree, &swapTotal, 1));
}
