// The bucket pool on its own: size classes, buckets, growth, purge, construction, queries, layout.
#include "pool/bucket_pool.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>

#include "core/interface_names.h"
#include "pool/pool_binding.h"
#include "pool/pool_poison.h"
#include "pool/pool_test_support.h"
#include "testhost/pool_services.h"
#include "testhost/test_host.h"

namespace {

// A pool installed as modulePool and holding one reference, as poolAlloc leaves it.
BucketMemoryPool* newInstalledPool() {
  BucketMemoryPool* pool = new BucketMemoryPool();
  static_cast<IOrnUnknown*>(pool)->addRef();
  return pool;
}

BucketMemoryAllocator* headerOf(void* block) {
  return *reinterpret_cast<BucketMemoryAllocator**>(static_cast<char*>(block) - poolHeaderSize);
}

int32_t freeBlocksAt(const BucketMemoryPool* pool, int32_t index) {
  if (index >= pool->bucketCount || pool->buckets[index] == nullptr) return 0;
  return pool->buckets[index]->top;
}

TEST(BucketPoolSizeClass, FollowsTheTableAtEveryBoundary) {
  BucketMemoryPool* pool = newInstalledPool();
  struct Case {
    int32_t size, index, rounded;
  } cases[] = {
      {0, 0, 4},
      {1, 0, 4},
      {4, 0, 4},
      {5, 1, 8},
      {12, 2, 12},
      {8192, 2047, 8192},
      {8193, 2048, 16384},
      {16384, 2048, 16384},
      {16385, 2049, 32768},
      {32769, 2050, 65536},
      {131073, 2052, 262144},
      {262144, 2052, 262144},
      {-7, 0, 4},  // below zero maps like zero, never below the table
  };
  for (const Case& c : cases) {
    const PoolSizeClass cls = pool->sizeClass(c.size);
    EXPECT_EQ(cls.index, c.index) << "size " << c.size;
    EXPECT_EQ(cls.rounded, c.rounded) << "size " << c.size;
  }
}

TEST(BucketPoolAllocate, ReportsTheRoundedCapacityOfEachClass) {
  BucketMemoryPool* pool = newInstalledPool();
  struct Case {
    int32_t size, capacity;
  } cases[] = {{0, 4},        {1, 4},           {5, 8},          {8192, 8192},
               {8193, 16384}, {262144, 262144}, {262145, 262145}};
  for (const Case& c : cases) {
    int32_t capacity = -1;
    void* block = pool->allocate(c.size, &capacity);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(capacity, c.capacity) << "size " << c.size;
    EXPECT_EQ(headerOf(block), &moduleAllocator);
    std::memset(block, 0xAB, static_cast<size_t>(capacity));  // every reported byte is usable
    EXPECT_TRUE(pool->deallocate(capacity, &block));
    EXPECT_EQ(block, nullptr);
  }
  // Only the pooled classes kept their block; 262145 bytes went straight back.
  EXPECT_EQ(freeBlocksAt(pool, 2052), 1);
  EXPECT_EQ(freeBlocksAt(pool, 0), 1);
}

TEST(BucketPoolTable, GrowsFrom2050To4100AtTheFirstLargeClassAndKeepsItsBuckets) {
  BucketMemoryPool* pool = newInstalledPool();
  EXPECT_EQ(pool->bucketCount, 2050);
  int32_t capacity = 0;
  void* small = pool->allocate(20, &capacity);
  pool->deallocate(capacity, &small);
  void* mid = pool->allocate(32768, &capacity);  // index 2049: still inside
  EXPECT_EQ(pool->bucketCount, 2050);
  pool->deallocate(capacity, &mid);

  void* large = pool->allocate(262144, &capacity);
  EXPECT_EQ(pool->bucketCount, 4100);
  for (int32_t i = 2050; i < 4100; ++i) ASSERT_EQ(pool->buckets[i], nullptr) << i;
  EXPECT_EQ(freeBlocksAt(pool, 4), 1);
  EXPECT_EQ(freeBlocksAt(pool, 2049), 1);
  pool->deallocate(capacity, &large);
  EXPECT_EQ(pool->bucketCount, 4100);
  EXPECT_TRUE(pool->checkBucketTable());
}

TEST(BucketPoolTable, DeallocateGrowsTheTableForALargeClassToo) {
  BucketMemoryPool* pool = newInstalledPool();
  void* block = makePoolBlock(65536);
  EXPECT_TRUE(pool->deallocate(65536, &block));
  EXPECT_EQ(pool->bucketCount, 4100);
  EXPECT_EQ(freeBlocksAt(pool, 2050), 1);
}

TEST(BucketPoolBuckets, HandOutTheLastReleasedBlockFirst) {
  BucketMemoryPool* pool = newInstalledPool();
  int32_t capA = 0, capB = 0;
  void* a = pool->allocate(16, &capA);
  void* b = pool->allocate(16, &capB);
  void* const firstA = a;
  void* const firstB = b;
  pool->deallocate(capA, &a);
  pool->deallocate(capB, &b);
  int32_t capacity = 0;
  EXPECT_EQ(pool->allocate(16, &capacity), firstB);
  EXPECT_EQ(pool->allocate(13, &capacity), firstA);
  EXPECT_EQ(capacity, 16);
}

TEST(BucketPoolBuckets, FileABlockByTheCapacityGivenNotByItsHeader) {
  BucketMemoryPool* pool = newInstalledPool();
  void* block = makePoolBlock(12);
  void* const original = block;
  ASSERT_TRUE(pool->deallocate(10, &block));  // class 9..12, recorded as 12
  ASSERT_NE(pool->buckets[2], nullptr);
  EXPECT_EQ(pool->buckets[2]->entries[1].size, 12);
  int32_t capacity = 0;
  EXPECT_EQ(pool->allocate(9, &capacity), original);
  EXPECT_EQ(capacity, 12);
}

TEST(BucketPoolBuckets, StackGrowsPastItsFirstNineSlotsAndStaysLifo) {
  BucketMemoryPool* pool = newInstalledPool();
  void* blocks[40];
  int32_t capacity = 0;
  for (void*& b : blocks) b = pool->allocate(100, &capacity);
  void* copies[40];
  std::memcpy(copies, blocks, sizeof blocks);
  for (void*& b : blocks) pool->deallocate(capacity, &b);
  const PoolBucket* bucket = pool->buckets[24];
  ASSERT_NE(bucket, nullptr);
  EXPECT_EQ(bucket->top, 40);
  EXPECT_EQ(bucket->capacity, 72);  // 9 -> 18 -> 36 -> 72
  EXPECT_TRUE(pool->checkBucketTable());
  for (int k = 39; k >= 0; --k) ASSERT_EQ(pool->allocate(100, &capacity), copies[k]) << k;
  EXPECT_EQ(bucket->top, 0);
}

TEST(BucketPoolBuckets, DropPoppedEntriesWithoutBlock) {
  BucketMemoryPool* pool = newInstalledPool();
  void* block = makePoolBlock(8);
  void* const original = block;
  pool->deallocate(8, &block);
  pool->pushFree(1, 8, nullptr);
  pool->pushFree(1, 8, nullptr);
  int32_t capacity = 0;
  EXPECT_EQ(pool->allocate(8, &capacity), original);
  EXPECT_EQ(capacity, 8);
  void* fresh = pool->allocate(8, &capacity);  // stack empty again: a new block
  EXPECT_NE(fresh, original);
  EXPECT_EQ(pool->buckets[1]->top, 0);
  pool->deallocate(capacity, &fresh);
  void* again = original;
  pool->deallocate(capacity, &again);
}

TEST(BucketPoolDeallocate, RefusesNullBlocksAndCapacitiesOfZeroOrBelow) {
  BucketMemoryPool* pool = newInstalledPool();
  void* block = makePoolBlock(16);
  void* const original = block;
  EXPECT_FALSE(pool->deallocate(0, &block));
  EXPECT_FALSE(pool->deallocate(-16, &block));
  EXPECT_FALSE(pool->deallocate(INT32_MIN, &block));
  EXPECT_EQ(block, original);
  void* none = nullptr;
  EXPECT_FALSE(pool->deallocate(16, &none));
  EXPECT_FALSE(pool->deallocate(16, nullptr));
  for (int32_t i = 0; i < pool->bucketCount; ++i) ASSERT_EQ(pool->buckets[i], nullptr);
  EXPECT_TRUE(pool->deallocate(16, &block));
}

TEST(BucketPoolDeallocate, FreesBlocksAbove262144AtOnceThroughTheirHeader) {
  BucketMemoryPool* pool = newInstalledPool();
  TestSharedPool* host = new TestSharedPool();
  void* block = host->allocator.makeBlock(262145);
  EXPECT_TRUE(pool->deallocate(262145, &block));
  EXPECT_EQ(block, nullptr);
  EXPECT_EQ(host->allocator.blocksFreed, 1);
  EXPECT_EQ(pool->bucketCount, 2050);
}

TEST(BucketPoolPurge, ReturnsEveryBlockToTheAllocatorInItsHeader) {
  BucketMemoryPool* pool = newInstalledPool();
  EXPECT_TRUE(pool->purge());  // nothing there: nothing changes
  EXPECT_EQ(pool->bucketCount, 2050);

  TestSharedPool* host = new TestSharedPool();
  for (int32_t size : {4, 40, 400, 4000, 40000, 262144}) {
    for (int k = 0; k < 3; ++k) {
      void* foreign = host->allocator.makeBlock(size);
      pool->deallocate(size, &foreign);
      void* own = makePoolBlock(size);
      pool->deallocate(size, &own);
    }
  }
  EXPECT_TRUE(pool->purge());
  EXPECT_EQ(host->allocator.blocksFreed, 18);
  EXPECT_EQ(pool->bucketCount, 4100);
  for (int32_t i = 0; i < pool->bucketCount; ++i) ASSERT_EQ(pool->buckets[i], nullptr) << i;
  int32_t capacity = 0;
  void* fresh = pool->allocate(40, &capacity);
  EXPECT_EQ(headerOf(fresh), &moduleAllocator);
  pool->deallocate(capacity, &fresh);
}

TEST(BucketPoolPurge, RecycledBlocksKeepTheAllocatorTheyCameWith) {
  BucketMemoryPool* pool = newInstalledPool();
  TestSharedPool* host = new TestSharedPool();
  void* foreign = host->allocator.makeBlock(64);
  pool->deallocate(64, &foreign);
  int32_t capacity = 0;
  void* block = pool->allocate(64, &capacity);
  EXPECT_EQ(headerOf(block), &host->allocator);
  pool->deallocate(capacity, &block);
}

TEST(BucketPoolConstruction, TakesOverTheFreeBlocksOfACompatibleInstalledPool) {
  BucketMemoryPool* previous = newInstalledPool();
  static_cast<IOrnUnknown*>(previous)->addRef();  // a second holder, to look at it afterwards
  int32_t capacity = 0;
  void* block = previous->allocate(100, &capacity);
  void* const original = block;
  previous->deallocate(capacity, &block);
  PoolBucket** previousTable = previous->buckets;

  BucketMemoryPool* pool = new BucketMemoryPool();
  EXPECT_EQ(modulePool, pool);
  EXPECT_EQ(pool->buckets, previousTable);
  EXPECT_EQ(freeBlocksAt(pool, 24), 1);
  EXPECT_EQ(previous->bucketCount, 2050);
  for (int32_t i = 0; i < previous->bucketCount; ++i) ASSERT_EQ(previous->buckets[i], nullptr);
  EXPECT_EQ(previous->refCount(), 1);  // released once
  EXPECT_EQ(pool->refCount(), 0);      // the constructor adds no reference
  EXPECT_EQ(pool->allocate(100, &capacity), original);
  block = original;
  pool->deallocate(capacity, &block);
  static_cast<IOrnUnknown*>(previous)->release();  // the second holder lets go
}

TEST(BucketPoolConstruction, StartsEmptyBesideAPoolOfOtherParameters) {
  BucketMemoryPool* previous = newInstalledPool();
  static_cast<IOrnUnknown*>(previous)->addRef();
  int32_t capacity = 0;
  void* block = previous->allocate(100, &capacity);
  previous->deallocate(capacity, &block);
  previous->granularity = 8;

  BucketMemoryPool* pool = new BucketMemoryPool();
  EXPECT_EQ(modulePool, pool);
  EXPECT_EQ(freeBlocksAt(pool, 24), 0);
  EXPECT_EQ(freeBlocksAt(previous, 24), 1);
  EXPECT_EQ(previous->refCount(), 1);
  static_cast<IOrnUnknown*>(previous)->release();  // destroyed: its free block goes back
}

TEST(BucketPoolConstruction, ReplacingTheBoundOwnPoolKeepsTheBindingState) {
  int capacity = 0;
  void* block = poolAlloc(10, &capacity);  // binds the own pool: the binding's one reference
  ASSERT_TRUE(ownPool);
  ASSERT_EQ(ownPoolAllocCount, 1);
  void* const original = block;
  poolFree(capacity, &block);

  BucketMemoryPool* pool = newInstalledPool();  // the previous pool is released and destroyed
  EXPECT_EQ(modulePool, pool);
  EXPECT_TRUE(ownPool);  // still a pool this module built: second looks go on
  EXPECT_EQ(ownPoolAllocCount, 1);
  EXPECT_EQ(freeBlocksAt(pool, 2), 1);  // the free block came over with the table
  block = poolAlloc(10, &capacity);
  EXPECT_EQ(block, original);
  EXPECT_EQ(ownPoolAllocCount, 2);
  poolFree(capacity, &block);
}

TEST(BucketPoolConstruction, AReleasedInstalledPoolLeavesTheModuleUnbound) {
  BucketMemoryPool* pool = newInstalledPool();
  EXPECT_EQ(modulePool, pool);
  static_cast<IOrnUnknown*>(pool)->release();  // one release too many for the binding
  EXPECT_EQ(modulePool, nullptr);
  int capacity = 0;
  void* block = poolAlloc(10, &capacity);  // binds afresh instead of using freed memory
  EXPECT_NE(modulePool, nullptr);
  poolFree(capacity, &block);
}

TEST(BucketPoolQuery, AnswersItsThreeNamesExactly) {
  BucketMemoryPool* pool = newInstalledPool();
  IOrnUnknown* unknown = pool;
  void* out = nullptr;
  EXPECT_TRUE(unknown->queryInterface("BucketMemoryPool", &out, 0));
  EXPECT_EQ(out, static_cast<void*>(pool));
  EXPECT_TRUE(unknown->queryInterface("IBucketMemoryPool", &out, 0));
  EXPECT_EQ(out, static_cast<void*>(static_cast<IBucketMemoryPool*>(pool)));
  EXPECT_TRUE(unknown->queryInterface("IOrnUnknown", &out, 0));
  EXPECT_EQ(out, static_cast<void*>(unknown));
  EXPECT_FALSE(unknown->queryInterface("bucketmemorypool", &out, 0));
  EXPECT_EQ(out, nullptr);
  EXPECT_FALSE(unknown->queryInterface("BucketMemoryPool ", &out, 0));
  EXPECT_STREQ(unknown->className(), "BucketMemoryPool");
  EXPECT_EQ(pool->refCount(), 1);  // queries take no reference
}

TEST(BucketPoolQuery, EnumeratesItsClassThenItsInterface) {
  BucketMemoryPool* pool = newInstalledPool();
  OrnArray<OrnString> classNames;
  OrnArray<InterfaceNameRecord> records;
  InterfaceNameCollector collector(&classNames, &records);
  EXPECT_FALSE(pool->queryInterface(nullptr, reinterpret_cast<void**>(&collector), 0));
  ASSERT_EQ(records.top, 2);
  EXPECT_STREQ(records.at(1).name.text, "BucketMemoryPool");
  EXPECT_EQ(records.at(1).isClass, 1);
  EXPECT_STREQ(records.at(2).name.text, "IBucketMemoryPool");
  EXPECT_EQ(records.at(2).isClass, 0);
  EXPECT_STREQ(records.at(2).parent.text, "BucketMemoryPool");
  ASSERT_EQ(classNames.top, 1);
  EXPECT_STREQ(classNames.at(1).text, "BucketMemoryPool");
}

TEST(BucketPoolQuery, EnumerationStopsAtAStopName) {
  BucketMemoryPool* pool = newInstalledPool();
  OrnArray<OrnString> classNames;
  OrnArray<InterfaceNameRecord> records;
  InterfaceNameCollector collector(&classNames, &records);
  collector.stopNames.findOrInsert(OrnString("IBucketMemoryPool")) = 1;
  EXPECT_FALSE(pool->queryInterface(nullptr, reinterpret_cast<void**>(&collector), 0));
  EXPECT_TRUE(collector.stopped);
  EXPECT_EQ(records.top, 0);
  EXPECT_EQ(classNames.top, 0);
}

// A separately built host calls the pool through the first three slots of its own table.
#ifdef _WIN32
#define ORN_THISCALL __attribute__((thiscall))
#else
#define ORN_THISCALL
#endif
using PurgeSlot = bool(ORN_THISCALL*)(void*);
using AllocateSlot = void*(ORN_THISCALL*)(void*, int32_t, int32_t*);
using DeallocateSlot = bool(ORN_THISCALL*)(void*, int32_t, void**);

TEST(BucketPoolLayout, OwnSlotsAreAllocateDeallocatePurgeInTableOrderAndFieldsSitInOrder) {
  BucketMemoryPool* pool = newInstalledPool();
  void* self = pool;
  void** table = *static_cast<void***>(self);
  auto purge = reinterpret_cast<PurgeSlot>(table[0]);
  auto allocate = reinterpret_cast<AllocateSlot>(table[1]);
  auto deallocate = reinterpret_cast<DeallocateSlot>(table[2]);
  int32_t capacity = 0;
  void* block = allocate(self, 10, &capacity);
  EXPECT_EQ(capacity, 12);
  EXPECT_TRUE(deallocate(self, capacity, &block));
  EXPECT_EQ(block, nullptr);
  EXPECT_EQ(freeBlocksAt(pool, 2), 1);
  EXPECT_TRUE(purge(self));
  EXPECT_EQ(pool->buckets[2], nullptr);

  // Fields as a host reads them: after the table pointer (and, in the Microsoft layout, the
  // pointer to the virtual-base offsets), by pointer-sized steps.
  const char* raw = static_cast<const char*>(self);
#if defined(_MSC_VER)
  const size_t fields = 2 * sizeof(void*);
  // The offsets table's second entry leads from that pointer to the IOrnUnknown part.
  const int32_t* offsets = nullptr;
  std::memcpy(&offsets, raw + sizeof(void*), sizeof offsets);
  EXPECT_EQ(raw + sizeof(void*) + offsets[1],
            reinterpret_cast<const char*>(static_cast<IOrnUnknown*>(pool)));
#else
  const size_t fields = sizeof(void*);
#endif
  int32_t word = 0;
  std::memcpy(&word, raw + fields, 4);
  EXPECT_EQ(word, 2050);
  PoolBucket** buckets = nullptr;
  std::memcpy(&buckets, raw + fields + sizeof(void*), sizeof buckets);
  EXPECT_EQ(buckets, pool->buckets);
  int32_t params[3] = {};
  std::memcpy(params, raw + fields + 2 * sizeof(void*), sizeof params);
  EXPECT_EQ(params[0], 4);
  EXPECT_EQ(params[1], 8192);
  EXPECT_EQ(params[2], 262144);
}

TEST(BucketPoolBadInput, ANegativeRequestIsReportedAndServedAsZero) {
  TestHost& host = attachTestHost();
  RecordingAssertHandler* handler = new RecordingAssertHandler();
  handler->offerTo(host);
  BucketMemoryPool* pool = newInstalledPool();
  int32_t capacity = 0;
  void* block = pool->allocate(-5, &capacity);
  EXPECT_EQ(capacity, 4);
  ASSERT_EQ(handler->expressions.size(), 1u);
  EXPECT_EQ(handler->expressions[0], "size >= 0");
  pool->deallocate(capacity, &block);
  EXPECT_EQ(freeBlocksAt(pool, 0), 1);
  EXPECT_TRUE(pool->checkBucketTable());

  int poolCapacity = 0;
  void* viaModule = poolAlloc(INT32_MIN, &poolCapacity);
  EXPECT_EQ(poolCapacity, 4);
  EXPECT_EQ(handler->expressions.size(), 2u);
  poolFree(poolCapacity, &viaModule);
}

TEST(BucketPoolBadInputDeathTest, ANegativeRequestWithoutAssertionHandlerEndsWith255) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  BucketMemoryPool* pool = newInstalledPool();
  int32_t capacity = 0;
  EXPECT_EXIT(pool->allocate(-1, &capacity), exitedWith255(), "");
}

TEST(BucketPoolBadInputDeathTest, ARequestNearTheInt32LimitTakesTheOutOfMemoryRoad) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  BucketMemoryPool* pool = newInstalledPool();
  int32_t capacity = 0;
  EXPECT_EXIT(pool->allocate(INT32_MAX, &capacity), exitedWithMinusOne(), "");
  EXPECT_EXIT(pool->allocate(INT32_MAX - poolHeaderSize + 1, &capacity), exitedWithMinusOne(), "");
  int moduleCapacity = 0;
  EXPECT_EXIT(poolAlloc(INT32_MAX - 1, &moduleCapacity), exitedWithMinusOne(), "");
}

TEST(BucketPoolCheck, FindsABrokenStackAndReportsIt) {
  TestHost& host = attachTestHost();
  RecordingAssertHandler* handler = new RecordingAssertHandler();
  handler->offerTo(host);
  BucketMemoryPool* pool = newInstalledPool();
  int32_t capacity = 0;
  void* block = pool->allocate(100, &capacity);
  pool->deallocate(capacity, &block);
  EXPECT_TRUE(pool->checkBucketTable());
  EXPECT_TRUE(handler->expressions.empty());

  PoolBucket* bucket = pool->buckets[24];
  bucket->top = bucket->capacity;  // past the last slot
  EXPECT_FALSE(pool->checkBucketTable());
  bucket->top = 1;
  bucket->entries[1].size = 4;  // a 4-byte block filed under the 100-byte class
  EXPECT_FALSE(pool->checkBucketTable());
  bucket->entries[1].size = 100;
  EXPECT_TRUE(pool->checkBucketTable());
  EXPECT_EQ(handler->expressions.size(), 2u);
}

#ifdef ORN_ADDRESS_SANITIZER
TEST(BucketPoolSanitizer, FreeBlocksArePoisonedWhileTheySitInABucket) {
  BucketMemoryPool* pool = newInstalledPool();
  int32_t capacity = 0;
  char* block = static_cast<char*>(pool->allocate(32, &capacity));
  char* const original = block;
  EXPECT_FALSE(__asan_address_is_poisoned(original));
  void* handle = block;
  pool->deallocate(capacity, &handle);
  EXPECT_TRUE(__asan_address_is_poisoned(original));
  EXPECT_TRUE(__asan_address_is_poisoned(original + 31));
  EXPECT_EQ(pool->allocate(32, &capacity), original);
  EXPECT_EQ(__asan_region_is_poisoned(original, 32), nullptr);
}

TEST(BucketPoolSanitizer, KeepsTheRedzoneOfABlockFiledUnderALargerClass) {
  BucketMemoryPool* pool = newInstalledPool();
  void* block = makePoolBlock(10);
  char* const original = static_cast<char*>(block);
  pool->deallocate(10, &block);  // filed as 12 bytes
  int32_t capacity = 0;
  EXPECT_EQ(pool->allocate(12, &capacity), original);
  EXPECT_EQ(__asan_region_is_poisoned(original, 10), nullptr);
  EXPECT_TRUE(__asan_address_is_poisoned(original + 10));  // beyond the raw block: still caught
}

TEST(BucketPoolSanitizerDeathTest, UseAfterPoolFreeIsCaught) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  int capacity = 0;
  void* block = poolAlloc(24, &capacity);
  char* const stale = static_cast<char*>(block);
  poolFree(capacity, &block);
  EXPECT_DEATH(stale[3] = 'x', "use-after-poison");
}
#endif

}  // namespace
