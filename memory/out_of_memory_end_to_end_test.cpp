// A host with a small memory limit drives guarded allocation until it gives up: the user sees the
// translated message once and the process ends with status -1.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>

#include "memory/memory_test_support.h"
#include "memory/ubrrealloc.h"
#include "platform/config.h"
#include "platform/heap.h"
#include "testhost/translator_services.h"

namespace {

constexpr int chunkBytes = 1 << 20;
constexpr int maxChunks = 4096;

// Takes 1 MiB blocks and writes into them until the process ends. Keeps them in static storage,
// so that nothing but guarded allocation asks for memory.
void allocateUntilTheEnd() {
  static void* chunks[maxChunks];
  for (int i = 0; i < maxChunks; ++i) {
    ubrMalloc(&chunks[i], 1, chunkBytes);
    std::memset(chunks[i], i & 0xFF, chunkBytes);
  }
}

std::string translatedMessage() { return std::string("error service: [de] ") + ubrOutOfMemoryText; }

class OutOfMemoryEndToEndTest : public MemoryHostTest {
 protected:
  void SetUp() override {
    MemoryHostTest::SetUp();
    host->offer<IOrnTranslatorService>(
        &processLifetime<ScriptableTranslatorService>(new PrefixTranslator("[de] ")));
    // A manager that can give something back twice, then has nothing left.
    manager.answers = {true, true};
    host->offer<OrnMM::IOrnMManager>(&manager);
  }

  ScriptedMemoryManager& manager = processLifetime<ScriptedMemoryManager>();
};

TEST_F(OutOfMemoryEndToEndTest, SmallHeapBudgetEndsWithTheTranslatedMessageOnce) {
  // 32 blocks and a half: the 33rd does not fit, the message still does.
  FaultHeap heap = FaultHeap::withBudget(32u * chunkBytes + chunkBytes / 2);
  EXPECT_EXIT(
      {
        HeapFaultScope scope(heap);
        allocateUntilTheEnd();
      },
      ORN_EXITED_MINUS_ONE, ShowsTimes(translatedMessage(), 1));
}

// The sanitizers reserve far more address space than any small limit allows.
#if !defined(_WIN32) && !defined(ORN_ADDRESS_SANITIZER) && !defined(ORN_THREAD_SANITIZER)
// Bytes of address space the process uses now.
uint64_t addressSpaceInUse() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.compare(0, 7, "VmSize:") == 0) return std::stoull(line.substr(7)) * 1024;
  }
  return 0;
}

TEST_F(OutOfMemoryEndToEndTest, AddressSpaceLimitEndsWithTheTranslatedMessageOnce) {
  EXPECT_EXIT(
      {
        const uint64_t inUse = addressSpaceInUse();
        if (inUse == 0 || !platformLimitAddressSpace(inUse + 64u * chunkBytes)) std::exit(3);
        allocateUntilTheEnd();
      },
      ORN_EXITED_MINUS_ONE, ShowsTimes(translatedMessage(), 1));
}
#endif

}  // namespace
