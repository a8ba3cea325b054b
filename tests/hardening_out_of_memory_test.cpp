// The out-of-memory notification when the heap has nothing left, not even for the message.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "memory/memory_test_support.h"
#include "memory/ubrrealloc.h"
#include "platform/heap.h"
#include "testhost/translator_services.h"

namespace {

class HardeningOutOfMemory : public MemoryHostTest {
 protected:
  void* block = nullptr;
};

// Regression: building the translated message needs a pooled block; when the heap refused that
// too, the nested report showed nothing and the process ended without telling the user.
TEST_F(HardeningOutOfMemory, NoMemoryForTheMessageStillShowsItOnce) {
  FaultHeap heap = FaultHeap::failingEverything();
  EXPECT_EXIT(
      {
        HeapFaultScope scope(heap);
        ubrMalloc(&block, 4, 10);
      },
      ORN_EXITED_MINUS_ONE, ShowsTimes(shownOutOfMemoryMessage(), 1));
}

TEST_F(HardeningOutOfMemory, NoMemoryForTheTranslationShowsTheTextAsItStandsOnce) {
  host->offer<IOrnTranslatorService>(
      &processLifetime<ScriptableTranslatorService>(new PrefixTranslator("[de] ")));
  // Every request from the first on fails: the spill's fresh block, then the message's.
  FaultHeap heap = FaultHeap::failingRequest(1, true);
  EXPECT_EXIT(
      {
        HeapFaultScope scope(heap);
        ubrMalloc(&block, 4, 10);
      },
      ORN_EXITED_MINUS_ONE,
      testing::AllOf(ShowsTimes(shownOutOfMemoryMessage(), 1), ShowsTimes("[de]", 0)));
}

TEST_F(HardeningOutOfMemory, MemoryForTheMessageShowsTheTranslationOnce) {
  host->offer<IOrnTranslatorService>(
      &processLifetime<ScriptableTranslatorService>(new PrefixTranslator("[de] ")));
  FaultHeap heap = FaultHeap::servingAtMost(1 << 16);  // the message fits, the block does not
  EXPECT_EXIT(
      {
        HeapFaultScope scope(heap);
        ubrMalloc(&block, 4, 1 << 20);
      },
      ORN_EXITED_MINUS_ONE,
      testing::AllOf(ShowsTimes(std::string("error service: [de] ") + ubrOutOfMemoryText, 1),
                     ShowsTimes("While running", 1)));
}

}  // namespace
