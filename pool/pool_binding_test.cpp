// The module's binding: own pool, host pool, the second look, moving free blocks, crossing blocks.
#include "pool/pool_binding.h"

#include <gtest/gtest.h>

#include <vector>

#include "pool/pool_test_support.h"
#include "testhost/pool_services.h"
#include "testhost/test_host.h"

namespace {

constexpr const char* poolService = "IBucketMemoryPool";

BucketMemoryAllocator* headerOf(void* block) {
  return *reinterpret_cast<BucketMemoryAllocator**>(static_cast<char*>(block) - poolHeaderSize);
}

// n allocations of `size` given straight back, so every later call finds a free block.
void churn(int n, int size) {
  for (int k = 0; k < n; ++k) {
    int capacity = 0;
    void* block = poolAlloc(size, &capacity);
    poolFree(capacity, &block);
  }
}

TEST(PoolBinding, WithoutAnyHostTheFirstAllocationBuildsTheOwnPool) {
  ASSERT_EQ(modulePool, nullptr);
  int capacity = 0;
  void* block = poolAlloc(10, &capacity);
  EXPECT_EQ(capacity, 12);
  EXPECT_TRUE(ownPool);
  EXPECT_EQ(ownPoolAllocCount, 1);
  ASSERT_NE(modulePool, nullptr);
  EXPECT_EQ(modulePool->refCount(), 1);
  EXPECT_EQ(headerOf(block), &moduleAllocator);
  poolFree(capacity, &block);
  EXPECT_EQ(block, nullptr);
  EXPECT_EQ(modulePool->buckets[2]->top, 1);
}

TEST(PoolBinding, WithNoPoolOfferedTheHostIsAskedAgainAtThe602ndAllocation) {
  TestHost& host = attachTestHost();
  churn(1, 10);
  EXPECT_EQ(host.requestCount(poolService), 1);
  churn(600, 10);  // calls 2 to 601
  EXPECT_EQ(host.requestCount(poolService), 1);
  EXPECT_EQ(ownPoolAllocCount, 601);
  churn(1, 10);  // call 602
  EXPECT_EQ(host.requestCount(poolService), 2);
  EXPECT_EQ(ownPoolAllocCount, 1);
  EXPECT_TRUE(ownPool);
  churn(601, 10);  // then every 601st
  EXPECT_EQ(host.requestCount(poolService), 3);
}

TEST(PoolBinding, WithAHostPoolFromTheStartTheModuleNeverBuildsOneAndAsksOnce) {
  TestHost& host = attachTestHost();
  TestSharedPool* shared = new TestSharedPool();
  shared->offerTo(host);
  churn(1500, 40);
  EXPECT_EQ(host.requestCount(poolService), 1);
  EXPECT_FALSE(ownPool);
  EXPECT_EQ(ownPoolAllocCount, 0);
  EXPECT_EQ(modulePool, shared->pool);
  EXPECT_EQ(shared->pool->refCount(), 2);  // the host's and the module's
  EXPECT_EQ(shared->freeBlocksAt(9), 1);
}

TEST(PoolBinding, AHostPoolOfferedLaterReceivesEveryFreeBlockAtTheNextSecondLook) {
  TestHost& host = attachTestHost();
  int capacity = 0;
  // Own pool with free blocks in two classes: 100 bytes (the host pool lacks that bucket) and
  // 40 bytes (the host pool has one already).
  void* a = poolAlloc(100, &capacity);
  void* b = poolAlloc(100, &capacity);
  void* c = poolAlloc(40, &capacity);
  void* const ownA = a;
  void* const ownB = b;
  void* const ownC = c;
  poolFree(100, &a);
  poolFree(100, &b);
  poolFree(40, &c);
  BucketMemoryPool* own = modulePool;
  PoolBucket* ownBucket100 = own->buckets[24];
  ASSERT_TRUE(ownPool);

  TestSharedPool* shared = new TestSharedPool();
  shared->fill(40, 2);
  shared->offerTo(host);
  const int releasesBefore = host.releaseHookCalls;
  churn(598, 8);  // allocations 4..601: no question yet
  EXPECT_TRUE(ownPool);
  EXPECT_EQ(modulePool, own);

  void* next = poolAlloc(100, &capacity);  // 602nd: the switch
  EXPECT_FALSE(ownPool);
  EXPECT_EQ(modulePool, shared->pool);
  EXPECT_EQ(next, ownB);  // the 100-byte bucket moved whole, its order intact
  EXPECT_EQ(shared->pool->buckets[24], ownBucket100);
  const PoolBucket* bucket40 = shared->pool->buckets[9];
  ASSERT_EQ(bucket40->top, 3);  // the host's two, then ours on top
  EXPECT_EQ(headerOf(bucket40->entries[1].block), &shared->allocator);
  EXPECT_EQ(bucket40->entries[3].block, ownC);
  EXPECT_EQ(headerOf(bucket40->entries[3].block), &moduleAllocator);
  EXPECT_EQ(shared->freeBlocksAt(1), 1);             // the churned 8-byte block
  EXPECT_GT(host.releaseHookCalls, releasesBefore);  // the own pool was let go
  EXPECT_EQ(shared->pool->refCount(), 2);

  churn(2000, 100);
  EXPECT_EQ(host.requestCount(poolService), 2);  // never asked again
  void* last = poolAlloc(100, &capacity);
  EXPECT_EQ(last, ownA);
  poolFree(capacity, &next);
  poolFree(capacity, &last);
}

TEST(PoolBinding, AnOfferedObjectThatIsNoBucketPoolIsNeverUsed) {
  TestHost& host = attachTestHost();
  NotABucketPool* fake = new NotABucketPool();
  static_cast<IOrnUnknown*>(fake)->addRef();  // the host's reference
  host.offer<IBucketMemoryPool>(fake);
  int capacity = 0;
  void* block = poolAlloc(10, &capacity);
  EXPECT_EQ(fake->poolQueries, 1);
  EXPECT_TRUE(ownPool);
  ASSERT_NE(modulePool, nullptr);
  EXPECT_NE(static_cast<void*>(modulePool), static_cast<void*>(fake));
  EXPECT_EQ(headerOf(block), &moduleAllocator);
  BucketMemoryPool* own = modulePool;
  churn(601, 10);  // the second look asks again and keeps the own pool
  EXPECT_EQ(fake->poolQueries, 2);
  EXPECT_TRUE(ownPool);
  EXPECT_EQ(modulePool, own);
  EXPECT_EQ(fake->refCount(), 1);  // every service pointer gave its reference back
  poolFree(capacity, &block);
}

TEST(PoolBinding, AHostOfferingTheModulesOwnPoolOnlyEndsTheQuestions) {
  TestHost& host = attachTestHost();
  churn(1, 10);
  BucketMemoryPool* own = modulePool;
  static_cast<IOrnUnknown*>(own)->addRef();  // the host's reference
  host.offer<IBucketMemoryPool>(static_cast<IBucketMemoryPool*>(own));
  churn(601, 10);
  EXPECT_FALSE(ownPool);
  EXPECT_EQ(modulePool, own);
  EXPECT_EQ(own->refCount(), 2);
  EXPECT_EQ(own->buckets[2]->top, 1);
  churn(1000, 10);
  EXPECT_EQ(host.requestCount(poolService), 2);
}

TEST(PoolBinding, BlocksCrossingPoolsGoBackToTheAllocatorInTheirHeader) {
  TestHost& host = attachTestHost();
  TestSharedPool* shared = new TestSharedPool();
  shared->fill(64, 3);
  shared->offerTo(host);

  // The module runs on the host's pool and receives host-made blocks...
  std::vector<void*> blocks;
  std::vector<int> capacities;
  for (int k = 0; k < 5; ++k) {
    int capacity = 0;
    blocks.push_back(poolAlloc(64, &capacity));
    capacities.push_back(capacity);
  }
  int hostMade = 0;
  for (void* b : blocks) hostMade += headerOf(b) == &shared->allocator ? 1 : 0;
  EXPECT_EQ(hostMade, 3);
  // ...and gives everything back to that pool, which frees each through its own header.
  for (size_t k = 0; k < blocks.size(); ++k) poolFree(capacities[k], &blocks[k]);
  EXPECT_EQ(shared->freeBlocksAt(15), 5);
  EXPECT_EQ(shared->allocator.blocksFreed, 0);
  shared->pool->purge();
  EXPECT_EQ(shared->allocator.blocksFreed, 3);  // the module's two went to moduleAllocator

  // A host-made block too large for any bucket is freed at once by the host's allocator.
  void* large = shared->allocator.makeBlock(300000);
  poolFree(300000, &large);
  EXPECT_EQ(large, nullptr);
  EXPECT_EQ(shared->allocator.blocksFreed, 4);
}

// A host pool whose code is not the module's: the module must go through its table.
class CountingHostPool : public BucketMemoryPool {
 public:
  void* allocate(int32_t size, int32_t* capacity) override {
    ++allocations;
    return BucketMemoryPool::allocate(size, capacity);
  }
  bool deallocate(int32_t capacity, void** block) override {
    ++deallocations;
    return BucketMemoryPool::deallocate(capacity, block);
  }
  int allocations = 0;
  int deallocations = 0;
};

TEST(PoolBinding, APoolOfOtherCodeIsCalledThroughItsOwnTable) {
  TestHost& host = attachTestHost();
  churn(1, 10);  // the own pool first, so the module knows its own table
  CountingHostPool* other = nullptr;
  {
    LockGuard guard(poolLock());
    BucketMemoryPool* saved = modulePool;
    modulePool = nullptr;  // built as if by another binary: no takeover
    other = new CountingHostPool();
    modulePool = saved;
  }
  static_cast<IOrnUnknown*>(other)->addRef();
  host.offer<IBucketMemoryPool>(static_cast<IBucketMemoryPool*>(other));
  churn(601, 10);  // the 602nd call switches
  EXPECT_EQ(modulePool, other);
  EXPECT_EQ(other->allocations, 1);
  EXPECT_EQ(other->deallocations, 1);
  churn(5, 10);
  EXPECT_EQ(other->allocations, 6);
  EXPECT_EQ(other->deallocations, 6);
}

TEST(PoolBinding, PoolFreeBeforeAnyBindingFreesThroughTheHeader) {
  TestSharedPool* shared = new TestSharedPool();
  void* block = shared->allocator.makeBlock(32);
  poolFree(32, &block);
  EXPECT_EQ(block, nullptr);
  EXPECT_EQ(shared->allocator.blocksFreed, 1);
  EXPECT_EQ(modulePool, nullptr);
}

TEST(PoolBinding, PoolFreeIgnoresBorrowedAndBrokenCapacities) {
  int capacity = 0;
  void* block = poolAlloc(16, &capacity);
  void* const original = block;
  poolFree(0, &block);
  poolFree(-16, &block);
  EXPECT_EQ(block, original);
  void* none = nullptr;
  poolFree(16, &none);
  poolFree(16, nullptr);
  EXPECT_EQ(modulePool->buckets[3], nullptr);
  poolFree(capacity, &block);
  EXPECT_EQ(modulePool->buckets[3]->top, 1);
}

TEST(PoolBinding, MoveFreeBlocksGrowsTheTargetTable) {
  int capacity = 0;
  void* large = poolAlloc(200000, &capacity);  // index 2052: the own table grows to 4100
  poolFree(capacity, &large);
  BucketMemoryPool* target = makeDetachedPool();
  static_cast<IOrnUnknown*>(target)->addRef();
  {
    LockGuard guard(poolLock());
    EXPECT_TRUE(moveFreeBlocks(target));
  }
  EXPECT_EQ(target->bucketCount, 4100);
  ASSERT_NE(target->buckets[2052], nullptr);
  EXPECT_EQ(target->buckets[2052]->top, 1);
  EXPECT_EQ(modulePool->buckets[2052], nullptr);
  EXPECT_TRUE(target->checkBucketTable());
  static_cast<IOrnUnknown*>(target)->release();
}

// The inline paths serve the module's own pool by fixed arithmetic: the same classes as the pool's
// own, at every edge of the linear range, and nothing of a pool whose parameters differ.
TEST(PoolBindingInline, ServesTheOwnPoolWithThePoolsOwnClasses) {
  struct Case {
    int size, capacity, index;
  } cases[] = {{0, 4, 0},   {1, 4, 0},          {4, 4, 0},          {5, 8, 1},
               {10, 12, 2}, {8189, 8192, 2047}, {8192, 8192, 2047}, {8193, 16384, 2048}};
  for (const Case& c : cases) {
    int capacity = 0;
    void* block = poolAlloc(c.size, &capacity);
    EXPECT_EQ(capacity, c.capacity) << c.size;
    void* const first = block;
    poolFree(capacity, &block);
    EXPECT_EQ(block, nullptr);
    ASSERT_NE(modulePool->buckets[c.index], nullptr) << c.size;
    const PoolBucket* bucket = modulePool->buckets[c.index];
    EXPECT_EQ(bucket->entries[bucket->top].size, c.capacity) << c.size;
    EXPECT_EQ(directPool, modulePool);  // the next round trip is served inline
    block = poolAlloc(c.size, &capacity);
    EXPECT_EQ(block, first) << c.size;
    EXPECT_EQ(capacity, c.capacity) << c.size;
    poolFree(capacity, &block);
  }
  // A capacity of another class of the same bucket is filed under that class's size.
  int capacity = 0;
  void* block = poolAlloc(12, &capacity);
  poolFree(10, &block);
  EXPECT_EQ(modulePool->buckets[2]->entries[modulePool->buckets[2]->top].size, 12);
}

TEST(PoolBindingInline, APoolOfOtherParametersIsServedOutOfLine) {
  int capacity = 0;
  void* kept = poolAlloc(10, &capacity);  // binds the own pool: this module's code is known
  BucketMemoryPool* pool = new BucketMemoryPool();  // replaces it, same code
  static_cast<IOrnUnknown*>(pool)->addRef();
  pool->granularity = 8;
  void* block = poolAlloc(10, &capacity);
  EXPECT_EQ(capacity, 16);
  EXPECT_EQ(directPool, nullptr);
  void* const first = block;
  poolFree(capacity, &block);
  ASSERT_NE(pool->buckets[1], nullptr);
  EXPECT_EQ(pool->buckets[1]->entries[1].size, 16);
  block = poolAlloc(14, &capacity);
  EXPECT_EQ(block, first);
  EXPECT_EQ(capacity, 16);
  poolFree(capacity, &block);
  freePoolBlock(kept);  // made under the old classes: straight back to its allocator
}

}  // namespace
