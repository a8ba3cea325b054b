// Under AddressSanitizer a block that went back to a pool is poisoned while it waits in its
// bucket, so a use after poolFree is caught although the memory is never given back to the heap;
// handed out again, it is usable. Outside AddressSanitizer there is nothing to check here.
#include <gtest/gtest.h>

#include <cstring>

#include "host/orn_host.h"
#include "pool/pool_binding.h"
#include "pool/pool_poison.h"
#include "text/orn_string.h"

namespace {

#ifdef ORN_ADDRESS_SANITIZER

// Reads through a pointer the compiler may not drop.
char readThrough(const char* p) { return *static_cast<const volatile char*>(p); }

TEST(HardeningPoolPoisonDeathTest, ReadOfAStringsTextAfterClearIsCaught) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  OrnString text("the text of an owned string");
  const char* stale = text.text;
  text.clear();
  EXPECT_DEATH(readThrough(stale + 4), "use-after-poison");
}

TEST(HardeningPoolPoisonDeathTest, WriteIntoABlockWaitingInTheHostsSharedPoolIsCaught) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  static OrnHostApp* host = new OrnHostApp(OrnHostOptions{0, 1, 'O'});
  ASSERT_EQ(modulePool, static_cast<BucketMemoryPool*>(&host->pool()));
  int capacity = 0;
  void* block = poolAlloc(200, &capacity);
  char* const stale = static_cast<char*>(block);
  poolFree(capacity, &block);
  EXPECT_DEATH(std::memset(stale + 100, 'x', 8), "use-after-poison");
}

TEST(HardeningPoolPoison, BlockHandedOutAgainIsWholeAndTheNextOneStaysPoisoned) {
  int capacity = 0;
  void* first = poolAlloc(64, &capacity);
  void* second = poolAlloc(64, &capacity);
  char* const firstBytes = static_cast<char*>(first);
  char* const secondBytes = static_cast<char*>(second);
  poolFree(capacity, &first);
  poolFree(capacity, &second);
  EXPECT_TRUE(__asan_address_is_poisoned(firstBytes));
  EXPECT_TRUE(__asan_address_is_poisoned(secondBytes + 63));
  void* again = poolAlloc(62, &capacity);  // the same class: the block freed last comes back
  ASSERT_EQ(again, secondBytes);
  EXPECT_EQ(__asan_region_is_poisoned(again, 64), nullptr);
  std::memset(again, 'y', 64);
  EXPECT_TRUE(__asan_address_is_poisoned(firstBytes)) << "still waiting in its bucket";
  poolFree(capacity, &again);
}

#endif  // ORN_ADDRESS_SANITIZER

}  // namespace
