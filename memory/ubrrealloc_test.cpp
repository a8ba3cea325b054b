#include "memory/ubrrealloc.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "memory/manager_retry.h"
#include "memory/memory_test_support.h"
#include "platform/heap.h"

using testing::ElementsAre;
using testing::ElementsAreArray;

namespace {

// A block of `count` ints holding 1, 2, 3, ...
void* filledInts(int count) {
  void* block = platformMalloc(sizeof(int) * static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) static_cast<int*>(block)[i] = i + 1;
  return block;
}

// The old contents 1..oldCount, then zeroes up to newCount.
void expectGrownInts(const void* block, int oldCount, int newCount) {
  const int* ints = static_cast<const int*>(block);
  for (int i = 0; i < oldCount; ++i) ASSERT_EQ(ints[i], i + 1) << "element " << i;
  for (int i = oldCount; i < newCount; ++i) ASSERT_EQ(ints[i], 0) << "element " << i;
}

std::vector<size_t> bytesOf(std::vector<size_t> counts, size_t elemSize) {
  for (size_t& count : counts) count *= elemSize;
  return counts;
}

class GuardedAllocationTest : public MemoryHostTest {
 protected:
  void offerManager() { host->offer<OrnMM::IOrnMManager>(&manager); }

  ScriptedMemoryManager& manager = processLifetime<ScriptedMemoryManager>();
  void* block = nullptr;
};

// ---- ubrMalloc and the manager retry loop

TEST_F(GuardedAllocationTest, MallocServedAtOnceNeverLooksUpTheManager) {
  offerManager();
  EXPECT_EQ(ubrMalloc(&block, 8, 100), 100);
  ASSERT_NE(block, nullptr);
  std::memset(block, 0xAB, 800);
  platformFree(block);
  EXPECT_EQ(host->requestCount("IOrnMManager"), 0);
}

TEST_F(GuardedAllocationTest, MallocOfZeroBytesReturnsTheCountWithoutRetrying) {
  offerManager();
  FaultHeap heap = FaultHeap::failingEverything();
  {
    HeapFaultScope scope(heap);
    EXPECT_EQ(ubrMalloc(&block, 0, 5), 5);
    EXPECT_EQ(ubrMalloc(&block, 16, 0), 0);
  }
  EXPECT_EQ(heap.sizes(), (std::vector<size_t>{0, 0}));
  EXPECT_EQ(manager.releaseCalls, 0);
}

TEST_F(GuardedAllocationTest, MallocRetriesWhileTheManagerKeepsReleasing) {
  offerManager();
  FaultHeap heap = FaultHeap::failingEverything();
  manager.answersAfterScript = true;
  manager.onRelease = [&heap](int call) {
    if (call == 4) heap.failAll = false;
  };
  {
    HeapFaultScope scope(heap);
    EXPECT_EQ(ubrMalloc(&block, 4, 10), 10);
  }
  ASSERT_NE(block, nullptr);
  platformFree(block);
  EXPECT_EQ(manager.releaseCalls, 4);
  EXPECT_EQ(heap.sizes(), std::vector<size_t>(5, 40));
}

TEST_F(GuardedAllocationTest, RetryLoopEndsAtTheFirstFalseWithoutAnotherAttempt) {
  offerManager();
  FaultHeap heap = FaultHeap::failingEverything();
  OrnMM::IOrnMManager* local = ubrMemoryManager();
  {
    HeapFaultScope scope(heap);
    EXPECT_EQ(retryWithManager(local, 64), nullptr);
  }
  EXPECT_EQ(local, nullptr);
  EXPECT_EQ(manager.releaseCalls, 1);
  EXPECT_TRUE(heap.sizes().empty());
}

TEST_F(GuardedAllocationTest, ManagerIsLookedUpOnceForTheLifeOfTheModule) {
  EXPECT_EQ(ubrMemoryManager(), nullptr);
  offerManager();  // too late: the first answer stays
  EXPECT_EQ(ubrMemoryManager(), nullptr);
  EXPECT_EQ(host->requestCount("IOrnMManager"), 1);
}

TEST_F(GuardedAllocationTest, ManagerHolderTakesOneReference) {
  offerManager();
  const int before = manager.refCountField;
  EXPECT_EQ(ubrMemoryManager(), &manager);
  EXPECT_EQ(ubrMemoryManager(), &manager);
  EXPECT_EQ(manager.refCountField, before + 1);
}

TEST_F(GuardedAllocationTest, MallocThatCannotBeServedTellsTheUserAndExits) {
  FaultHeap heap = FaultHeap::servingAtMost(1 << 16);  // room for the message, not the block
  EXPECT_EXIT(
      {
        HeapFaultScope scope(heap);
        ubrMalloc(&block, 4, 1 << 20);
      },
      ORN_EXITED_MINUS_ONE, ShowsTimes(shownOutOfMemoryMessage(), 1));
}

// Regression: building the message needs memory too; without any, the notification re-entered
// itself until the stack overflowed.
TEST_F(GuardedAllocationTest, HeapWithNothingLeftStillEndsWithStatusMinusOne) {
  FaultHeap heap = FaultHeap::failingEverything();
  EXPECT_EXIT(
      {
        HeapFaultScope scope(heap);
        ubrMalloc(&block, 4, 10);
      },
      ORN_EXITED_MINUS_ONE, "");
}

// Regression: the byte size was a wrapped 32-bit product, so 65536 elements of 65537 bytes
// came back as a 65536-byte block.
TEST_F(GuardedAllocationTest, OverflowingMallocTakesTheOutOfMemoryRoad) {
  EXPECT_EXIT(ubrMalloc(&block, 65537, 65536), ORN_EXITED_MINUS_ONE,
              ShowsTimes(shownOutOfMemoryMessage(), 1));
  EXPECT_EXIT(ubrMalloc(&block, 4, -1), ORN_EXITED_MINUS_ONE,
              ShowsTimes(shownOutOfMemoryMessage(), 1));
  EXPECT_EXIT(ubrMalloc(&block, -8, 3), ORN_EXITED_MINUS_ONE,
              ShowsTimes(shownOutOfMemoryMessage(), 1));
}

// ---- ubrRealloc: the cases that do not grow

TEST_F(GuardedAllocationTest, ReallocLeavesTheBlockAloneWhenNothingIsNeeded) {
  block = filledInts(10);
  void* const original = block;
  FaultHeap heap = FaultHeap::failingEverything();
  {
    HeapFaultScope scope(heap);
    EXPECT_EQ(ubrRealloc(&block, 4, 10, 10, 500), 10);  // curSize == minNewSize
    EXPECT_EQ(ubrRealloc(&block, 4, 10, 6, 10), 10);    // min <= cur <= max
    EXPECT_EQ(ubrRealloc(&block, 4, 10, 0, 20), 10);
  }
  EXPECT_EQ(block, original);
  EXPECT_TRUE(heap.requests().empty());
  EXPECT_EQ(heap.frees(), 0);
  expectGrownInts(block, 10, 10);
  platformFree(block);
}

TEST_F(GuardedAllocationTest, ReallocOfNoBlockIsAFreshAllocationOfTheMinimum) {
  FaultHeap heap;
  {
    HeapFaultScope scope(heap);
    EXPECT_EQ(ubrRealloc(&block, 4, 7, 12, 100), 12);  // null block, any curSize
  }
  ASSERT_NE(block, nullptr);
  ASSERT_EQ(heap.requests().size(), 1u);
  EXPECT_EQ(heap.requests()[0].kind, FaultHeap::mallocRequest);
  EXPECT_EQ(heap.requests()[0].size, 48u);
  platformFree(block);
}

// Regression: a block of 0 elements left by an allocation of 0 bytes was overwritten and leaked.
TEST_F(GuardedAllocationTest, FreshAllocationOverABlockOfNoElementsFreesItFirst) {
  block = platformMalloc(1);
  void* const empty = block;
  FaultHeap heap;
  {
    HeapFaultScope scope(heap);
    EXPECT_EQ(ubrRealloc(&block, 8, 0, 3, 6), 3);
  }
  EXPECT_EQ(heap.frees(), 1);
  EXPECT_EQ(heap.sizes(FaultHeap::mallocRequest), std::vector<size_t>{24});
  ASSERT_NE(block, nullptr);
  (void)empty;
  platformFree(block);
}

TEST_F(GuardedAllocationTest, ShrinkToNothingFreesTheBlock) {
  block = filledInts(10);
  FaultHeap heap;
  {
    HeapFaultScope scope(heap);
    EXPECT_EQ(ubrRealloc(&block, 4, 10, 0, 0), 0);
  }
  EXPECT_EQ(block, nullptr);
  EXPECT_EQ(heap.frees(), 1);
  EXPECT_TRUE(heap.requests().empty());
}

TEST_F(GuardedAllocationTest, MaximumOfMinusOneMeansTheMinimum) {
  block = filledInts(10);
  EXPECT_EQ(ubrRealloc(&block, 4, 10, 4, -1), 4);  // shrinks to exactly 4
  expectGrownInts(block, 4, 4);
  EXPECT_EQ(ubrRealloc(&block, 4, 4, 9, -1), 9);  // grows to exactly 9
  expectGrownInts(block, 4, 9);
  EXPECT_EQ(ubrRealloc(&block, 4, 9, 0, -1), 0);
  EXPECT_EQ(block, nullptr);
  EXPECT_TRUE(asserts.assertions.empty());
}

// Regression: a shrinking realloc that the heap refused stored null and lost the block.
TEST_F(GuardedAllocationTest, RefusedShrinkKeepsTheLargerBlock) {
  block = filledInts(100);
  void* const original = block;
  FaultHeap heap = FaultHeap::failingEverything();
  {
    HeapFaultScope scope(heap);
    EXPECT_EQ(ubrRealloc(&block, 4, 100, 10, 20), 20);
  }
  EXPECT_EQ(block, original);
  EXPECT_EQ(heap.sizes(FaultHeap::reallocRequest), std::vector<size_t>{80});
  expectGrownInts(block, 100, 100);
  platformFree(block);
}

TEST_F(GuardedAllocationTest, ShrinkOfNoBlockIsAFreshAllocationThatNeverComesBackEmpty) {
  FaultHeap heap = FaultHeap::failingRequest(1, false);
  offerManager();
  manager.answers = {true};
  {
    HeapFaultScope scope(heap);
    EXPECT_EQ(ubrRealloc(&block, 4, 10, 0, 5), 5);
  }
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(manager.releaseCalls, 1);
  EXPECT_EQ(heap.sizes(), (std::vector<size_t>{20, 20}));
  platformFree(block);
}

// ---- size checks

TEST_F(GuardedAllocationTest, MaximumBelowMinimumIsReportedAndTheCallGoesOn) {
  block = filledInts(10);
  EXPECT_EQ(ubrRealloc(&block, 4, 10, 8, 5), 5);  // reported, then shrinks to the maximum
  ASSERT_EQ(asserts.assertions.size(), 1u);
  EXPECT_EQ(asserts.assertions[0].expression, "maxNewSize >= minNewSize");
  EXPECT_EQ(asserts.assertions[0].file, "ubrrealloc.cpp");
  EXPECT_GT(asserts.assertions[0].line, 0);
  platformFree(block);
}

TEST_F(GuardedAllocationTest, GrowthWithMaximumBelowMinimumReportsBothChecks) {
  block = filledInts(10);
  EXPECT_EQ(ubrRealloc(&block, 4, 10, 30, 20), 20);
  ASSERT_EQ(asserts.assertions.size(), 2u);
  EXPECT_EQ(asserts.assertions[0].expression, "maxNewSize >= minNewSize");
  EXPECT_EQ(asserts.assertions[1].expression, "minNewSize > curSize && maxNewSize >= minNewSize");
  EXPECT_NE(asserts.assertions[0].line, asserts.assertions[1].line);
  expectGrownInts(block, 10, 20);
  platformFree(block);
}

TEST_F(GuardedAllocationTest, FailedCheckWithoutAssertionHandlerEndsWithStatus255) {
  host->offer("IOrnAssertHandlerCB", nullptr);
  block = filledInts(10);
  EXPECT_EXIT(ubrRealloc(&block, 4, 10, 8, 5), testing::ExitedWithCode(255), "");
  platformFree(block);
}

// ---- growth

TEST_F(GuardedAllocationTest, GrowthAtTheFullCountZeroesExactlyTheNewBytes) {
  block = filledInts(10);
  FaultHeap heap;
  {
    HeapFaultScope scope(heap);
    EXPECT_EQ(ubrRealloc(&block, 4, 10, 11, 1000), 1000);
  }
  EXPECT_EQ(heap.sizes(), std::vector<size_t>{4000});
  expectGrownInts(block, 10, 1000);
  platformFree(block);
}

TEST_F(GuardedAllocationTest, ReducedAttemptsStopAtTheFirstCountTheHeapServes) {
  block = filledInts(5);
  FaultHeap heap = FaultHeap::servingAtMost(40 * 4);
  {
    HeapFaultScope scope(heap);
    EXPECT_EQ(ubrRealloc(&block, 4, 5, 10, 100), 32);
  }
  EXPECT_EQ(heap.sizes(), bytesOf({100, 55, 32}, 4));
  expectGrownInts(block, 5, 32);
  platformFree(block);
  EXPECT_EQ(host->requestCount("IOrnMManager"), 1);  // looked up at the first failure
}

TEST_F(GuardedAllocationTest, ReducedAttemptsEndAtAMidpointEqualToTheMinimum) {
  block = filledInts(5);
  FaultHeap heap;
  heap.kinds = FaultHeap::reallocRequest;
  heap.failAll = true;  // in place nothing fits; a fresh block after the spill does
  {
    HeapFaultScope scope(heap);
    EXPECT_EQ(ubrRealloc(&block, 4, 5, 10, 100), 10);
  }
  EXPECT_EQ(heap.sizes(FaultHeap::reallocRequest), bytesOf({100, 55, 32, 21, 15, 12, 11, 10}, 4));
  EXPECT_THAT(heap.sizes(FaultHeap::mallocRequest), testing::Contains(40u));  // after the spill
  expectGrownInts(block, 5, 10);
  platformFree(block);
}

TEST_F(GuardedAllocationTest, ReducedAttemptsTrySevenMidpointsThenTheMinimum) {
  block = filledInts(1);
  FaultHeap heap;
  heap.kinds = FaultHeap::reallocRequest;
  heap.failAll = true;
  {
    HeapFaultScope scope(heap);
    EXPECT_EQ(ubrRealloc(&block, 4, 1, 2, 1000), 2);
  }
  EXPECT_EQ(heap.sizes(FaultHeap::reallocRequest),
            bytesOf({1000, 501, 251, 126, 64, 33, 17, 9, 2}, 4));
  expectGrownInts(block, 1, 2);
  platformFree(block);
}

TEST_F(GuardedAllocationTest, ManagerHelpsFromTheThirdReducedAttemptInProportionToGrowth) {
  offerManager();
  manager.answersAfterScript = true;
  const int elem = 1024;
  block = platformMalloc(10 * elem);
  std::memset(block, 7, 10 * elem);
  FaultHeap heap;
  heap.kinds = FaultHeap::reallocRequest;
  heap.failAll = true;
  {
    HeapFaultScope scope(heap);
    EXPECT_EQ(ubrRealloc(&block, elem, 10, 20, 1000), 20);
  }
  // Attempts 1000, 510, 265 alone; then 142, 81, 50, 35, 27 and 20 with (growth / 24 KiB) + 2
  // release requests each: 7, 4, 3, 3, 2, 2.
  EXPECT_EQ(manager.releaseCalls, 21);
  std::vector<size_t> expected = bytesOf({1000, 510, 265}, elem);
  const int attempts[] = {142, 81, 50, 35, 27, 20};
  const int tries[] = {7, 4, 3, 3, 2, 2};
  for (int i = 0; i < 6; ++i) {
    expected.insert(expected.end(), static_cast<size_t>(tries[i] + 1),
                    static_cast<size_t>(attempts[i]) * elem);
  }
  EXPECT_EQ(heap.sizes(FaultHeap::reallocRequest), expected);
  const unsigned char* bytes = static_cast<const unsigned char*>(block);
  EXPECT_EQ(bytes[10 * elem - 1], 7);
  EXPECT_EQ(bytes[10 * elem], 0);
  EXPECT_EQ(bytes[20 * elem - 1], 0);
  platformFree(block);
}

TEST_F(GuardedAllocationTest, ManagerThatGivesUpIsDroppedButItsRetryStillHappens) {
  offerManager();
  manager.answers = {false};
  manager.answersAfterScript = true;
  block = filledInts(5);
  FaultHeap heap;
  heap.kinds = FaultHeap::reallocRequest;
  heap.failAll = true;
  {
    HeapFaultScope scope(heap);
    EXPECT_EQ(ubrRealloc(&block, 4, 5, 10, 100), 10);
  }
  EXPECT_EQ(manager.releaseCalls, 1);
  // 100, 55, 32 alone; 21 once more after the false answer; then no more help.
  EXPECT_EQ(heap.sizes(FaultHeap::reallocRequest),
            bytesOf({100, 55, 32, 21, 21, 15, 12, 11, 10}, 4));
  expectGrownInts(block, 5, 10);

  // Dropping lasts one call: the next growth asks the manager again.
  {
    HeapFaultScope scope(heap);
    ubrRealloc(&block, 4, 10, 20, 1000);
  }
  EXPECT_GT(manager.releaseCalls, 1);
  platformFree(block);
}

TEST_F(GuardedAllocationTest, MemoryReleasedByTheManagerEndsTheReducedAttempts) {
  offerManager();
  block = filledInts(5);
  FaultHeap heap;
  heap.kinds = FaultHeap::reallocRequest;
  heap.failAll = true;
  manager.answersAfterScript = true;
  manager.onRelease = [&heap](int) { heap.failAll = false; };
  {
    HeapFaultScope scope(heap);
    EXPECT_EQ(ubrRealloc(&block, 4, 5, 10, 100), 21);  // the third reduced attempt
  }
  EXPECT_EQ(manager.releaseCalls, 1);
  expectGrownInts(block, 5, 21);
  platformFree(block);
}

// Regression: counts whose byte size did not fit 32 bits were asked of the heap wrapped.
TEST_F(GuardedAllocationTest, CountsBeyondThirtyTwoBitBytesAreNeverAskedOfTheHeap) {
  const int elem = 65536;
  block = platformMalloc(elem);
  std::memset(block, 1, elem);
  FaultHeap heap = FaultHeap::servingAtMost(4 * elem);
  {
    HeapFaultScope scope(heap);
    EXPECT_EQ(ubrRealloc(&block, elem, 1, 2, 65536), 2);
  }
  // 65536 and 32769 elements do not fit; the midpoints below them are asked exactly.
  const std::vector<size_t> reallocs = heap.sizes(FaultHeap::reallocRequest);
  EXPECT_THAT(reallocs, ElementsAreArray(bytesOf({16385, 8193, 4097, 2049, 1025, 513, 2}, elem)));
  platformFree(block);
}

TEST_F(GuardedAllocationTest, MinimumBeyondThirtyTwoBitBytesTakesTheOutOfMemoryRoad) {
  block = filledInts(4);
  EXPECT_EXIT(ubrRealloc(&block, 65536, 1, 40000, -1), ORN_EXITED_MINUS_ONE,
              ShowsTimes(shownOutOfMemoryMessage(), 1));
  EXPECT_EXIT(ubrRealloc(&block, 4, -3, 10, 20), ORN_EXITED_MINUS_ONE,
              ShowsTimes(shownOutOfMemoryMessage(), 1));
  platformFree(block);
}

}  // namespace

namespace {

// Announces its destruction, so that a death test sees the exit list release it.
struct AnnouncingManager : ScriptedMemoryManager {
  ~AnnouncingManager() override { std::fprintf(stderr, "memory manager destroyed\n"); }
};

TEST_F(GuardedAllocationTest, ExitListReleasesTheManagerThroughTheHost) {
  EXPECT_EXIT(
      {
        host->offer<OrnMM::IOrnMManager>(new AnnouncingManager());  // count 0: the module's
        ubrMemoryManager();
        std::exit(0);
      },
      testing::ExitedWithCode(0), ShowsTimes("memory manager destroyed", 1));
}

}  // namespace
