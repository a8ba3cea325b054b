#include "pool/bucket_pool.h"

#include <climits>
#include <cstdlib>
#include <cstring>

#include "core/interface_map.h"
#include "memory/out_of_memory.h"
#include "memory/ubrrealloc.h"
#include "platform/config.h"
#include "platform/heap.h"
#include "pool/pool_binding.h"
#include "pool/pool_check.h"
#include "pool/pool_poison.h"

// Static, never destroyed before the process ends: blocks anywhere may still name it.
BucketMemoryAllocator moduleAllocator;

void BucketMemoryAllocator::freeBlock(void* rawBlock) {
  LockGuard guard(poolLock());
  platformFree(rawBlock);
}

void* makePoolBlock(int32_t n) {
  if (n < 0) n = 0;
  if (n > INT32_MAX - poolHeaderSize) {
    // The header would not fit the 32-bit count: a request that cannot be served.
    ubrReportOrExit(ubrOutOfMemory);
    std::exit(-1);  // not reached: the failure is never handled
  }
  void* raw = nullptr;
  ubrMalloc(&raw, 1, n + poolHeaderSize);
  *static_cast<BucketMemoryAllocator**>(raw) = &moduleAllocator;
  return static_cast<char*>(raw) + poolHeaderSize;
}

void freePoolBlock(void* block) {
  void* raw = static_cast<char*>(block) - poolHeaderSize;
  (*static_cast<BucketMemoryAllocator**>(raw))->freeBlock(raw);
}

namespace {

// Non-zero while a bucket table or a bucket's stack of this binary is being grown. Growth that
// has to go through the spill file enters the pool again (the spill's path is a pooled string)
// while the table or stack is changing hands; those nested calls make and free their blocks
// directly and leave every table and stack alone. Guarded by poolLock: growth runs under it, and
// the nested calls come on the same thread.
int32_t growthDepth = 0;

// Also keeps the binding's inline paths off every table while it lasts: they go out of line,
// where the nested calls are handled, until a later call finds the growth over.
class GrowthScope {
 public:
  GrowthScope() {
    ++growthDepth;
    directPool = nullptr;
  }
  ~GrowthScope() { --growthDepth; }
  GrowthScope(const GrowthScope&) = delete;
  GrowthScope& operator=(const GrowthScope&) = delete;
};

// Doubles max(current, 1) until it is at least `needed`, without passing INT32_MAX.
int32_t doubledCount(int32_t current, int32_t needed) {
  int64_t wanted = current > 0 ? current : 1;
  while (wanted < needed) wanted *= 2;
  return wanted > INT32_MAX ? INT32_MAX : static_cast<int32_t>(wanted);
}

// The record first: should `new` throw, no entry array is left behind without an owner.
PoolBucket* newBucket() {
  auto* bucket = new PoolBucket{0, nullptr, 0};
  void* entries = nullptr;
  bucket->capacity = ubrMalloc(&entries, static_cast<int32_t>(sizeof(PoolEntry)),
                               BucketMemoryPool::initialBucketCapacity);
  std::memset(entries, 0, sizeof(PoolEntry) * static_cast<size_t>(bucket->capacity));
  bucket->entries = static_cast<PoolEntry*>(entries);
  return bucket;
}

// Raises top and stores the entry there, growing the entry array first when top reaches it.
void pushEntry(PoolBucket* bucket, int32_t size, void* block) {
  const int32_t top = bucket->top + 1;
  if (top >= bucket->capacity) {
    void* entries = bucket->entries;
    const int32_t wanted = doubledCount(bucket->capacity, top + 1);
    GrowthScope growing;
    bucket->capacity = ubrRealloc(&entries, static_cast<int32_t>(sizeof(PoolEntry)),
                                  bucket->capacity, top + 1, wanted);
    bucket->entries = static_cast<PoolEntry*>(entries);
  }
  bucket->top = top;
  bucket->entries[top].size = size;
  bucket->entries[top].block = block;
}

void deleteBucket(PoolBucket* bucket) {
  platformFree(bucket->entries);
  delete bucket;
}

}  // namespace

bool poolTablesGrowing() { return growthDepth > 0; }

BucketMemoryPool::BucketMemoryPool()
    : bucketCount(0),
      buckets(nullptr),
      granularity(granularityDefault),
      linearLimit(linearLimitDefault),
      maxPooledSize(maxPooledSizeDefault) {
  void* table = nullptr;
  bucketCount = ubrMalloc(&table, static_cast<int32_t>(sizeof(PoolBucket*)), initialBucketCount);
  buckets = static_cast<PoolBucket**>(table);
  for (int32_t i = 0; i < bucketCount; ++i) buckets[i] = nullptr;

  // Installation as the module's pool. poolLock keeps a concurrent poolAlloc off the tables
  // while they change hands.
  LockGuard guard(poolLock());
  BucketMemoryPool* previous = modulePool;
  directPool = nullptr;  // the binding looks at the new pool afresh
  // Installed before previous is released: if that release destroys previous, its destructor
  // must not take the module for unbound (ownPool and ownPoolAllocCount stay as they are).
  modulePool = this;
  if (previous != nullptr && previous != this) {
    if (previous->granularity == granularity && previous->linearLimit == linearLimit &&
        previous->maxPooledSize == maxPooledSize) {
      const int32_t count = previous->bucketCount;
      PoolBucket** table = previous->buckets;
      previous->bucketCount = bucketCount;
      previous->buckets = buckets;
      bucketCount = count;
      buckets = table;
    }
    static_cast<IOrnUnknown*>(previous)->release();
  }
}

BucketMemoryPool::~BucketMemoryPool() {
  {
    LockGuard guard(poolLock());
    if (directPool == this) directPool = nullptr;  // before the table goes
  }
  purge();
  platformFree(buckets);
  buckets = nullptr;
  bucketCount = 0;
  LockGuard guard(poolLock());
  if (modulePool == this) {
    // Released once too often: leave the module unbound rather than pointing at freed memory.
    modulePool = nullptr;
    ownPool = false;
    ownPoolAllocCount = 0;
  }
}

PoolSizeClass BucketMemoryPool::sizeClass(int32_t size) const {
  if (size <= 0) return PoolSizeClass{0, granularity};
  if (size <= linearLimit) {
    // A power-of-two step (the usual 4) divides by shifting: this runs on every pool call.
    const int32_t index = granularity > 0 && (granularity & (granularity - 1)) == 0
                              ? (size - 1) >> countTrailingZeros(static_cast<uint32_t>(granularity))
                              : (size - 1) / granularity;
    return PoolSizeClass{index, (index + 1) * granularity};
  }
  int64_t rounded = linearLimit;
  int32_t index = (linearLimit - 1) / granularity;
  while (rounded < size) {
    rounded *= 2;
    ++index;
  }
  return PoolSizeClass{index, rounded > INT32_MAX ? size : static_cast<int32_t>(rounded)};
}

void BucketMemoryPool::growTable(int32_t index) {
  if (index < bucketCount) return;
  const int32_t oldCount = bucketCount;
  void* table = buckets;
  GrowthScope growing;
  bucketCount = ubrRealloc(&table, static_cast<int32_t>(sizeof(PoolBucket*)), bucketCount,
                           index + 1, doubledCount(bucketCount, index + 1));
  buckets = static_cast<PoolBucket**>(table);
  for (int32_t i = oldCount > 0 ? oldCount : 0; i < bucketCount; ++i) buckets[i] = nullptr;
#if ORN_POOL_DEBUG_CHECKS
  checkBucketTable();
#endif
}

void BucketMemoryPool::pushFree(int32_t index, int32_t rounded, void* block) {
  if (index >= bucketCount) growTable(index);
  PoolBucket*& bucket = buckets[index];
  if (bucket == nullptr) bucket = newBucket();
  pushEntry(bucket, rounded, block);
  poisonFreeBlock(block, rounded);
}

bool BucketMemoryPool::purge() {
  const int32_t count = bucketCount;
  for (int32_t i = 0; i < count; ++i) {
    PoolBucket* bucket = buckets[i];
    if (bucket == nullptr) continue;
    for (int32_t k = 1; k <= bucket->top; ++k) {
      PoolEntry& entry = bucket->entries[k];
      if (entry.block != nullptr) {
        unpoisonBlock(entry.block, entry.size);
        freePoolBlock(entry.block);
      }
      entry.size = 0;
      entry.block = nullptr;
    }
    deleteBucket(bucket);
    buckets[i] = nullptr;
  }
  return true;
}

void* BucketMemoryPool::allocate(int32_t size, int32_t* capacity) {
  if (size < 0) {
    ORN_POOL_CHECK(size >= 0);
    size = 0;
  }
  LockGuard guard(poolLock());
  return allocateLocked(size, capacity);
}

void* BucketMemoryPool::allocateLocked(int32_t size, int32_t* capacity) {
  if (size > maxPooledSize) {
    *capacity = size;
    return makePoolBlock(size);
  }
  const PoolSizeClass cls = sizeClass(size);
  if (growthDepth > 0) {  // a table or stack is changing hands: a fresh block, no bucket
    *capacity = cls.rounded;
    return makePoolBlock(cls.rounded);
  }
  if (cls.index >= bucketCount) growTable(cls.index);
  PoolBucket* bucket = buckets[cls.index];
  if (bucket != nullptr) {
    int32_t top = bucket->top;
    while (top > 0) {
      const PoolEntry entry = bucket->entries[top];
      --top;
      if (entry.block != nullptr) {
        bucket->top = top;
        *capacity = entry.size;
        unpoisonBlock(entry.block, entry.size);
        return entry.block;
      }
    }
    bucket->top = 0;
  }
  *capacity = cls.rounded;
  return makePoolBlock(cls.rounded);
}

bool BucketMemoryPool::deallocate(int32_t capacity, void** block) {
  if (block == nullptr || *block == nullptr || capacity <= 0) return false;
  if (capacity > maxPooledSize) {
    freePoolBlock(*block);  // the pool takes no lock here; freeBlock takes its module's
    *block = nullptr;
    return true;
  }
  LockGuard guard(poolLock());
  return deallocateLocked(capacity, block);
}

bool BucketMemoryPool::deallocateLocked(int32_t capacity, void** block) {
  if (block == nullptr || *block == nullptr || capacity <= 0) return false;
  if (capacity > maxPooledSize || growthDepth > 0) {  // freed at once, through its header
    freePoolBlock(*block);
    *block = nullptr;
    return true;
  }
  const PoolSizeClass cls = sizeClass(capacity);
  PoolBucket* bucket = cls.index < bucketCount ? buckets[cls.index] : nullptr;
  const int32_t top = bucket != nullptr ? bucket->top + 1 : 0;
  if (bucket != nullptr && top < bucket->capacity) {
    // The usual case: the bucket exists and has room.
    bucket->entries[top].size = cls.rounded;
    bucket->entries[top].block = *block;
    bucket->top = top;
    poisonFreeBlock(*block, cls.rounded);
  } else {
    pushFree(cls.index, cls.rounded, *block);
  }
  *block = nullptr;
  return true;
}

bool BucketMemoryPool::queryInterface(const char* name, void** out, int /*options*/) {
  return OrnInterfaceMap<BucketMemoryPool, IBucketMemoryPool>::query(this, name, out);
}

bool BucketMemoryPool::checkBucketTable() const {
  if (!ORN_POOL_CHECK(bucketCount >= 0)) return false;
  if (!ORN_POOL_CHECK(buckets != nullptr || bucketCount == 0)) return false;
  for (int32_t i = 0; i < bucketCount; ++i) {
    const PoolBucket* bucket = buckets[i];
    if (bucket == nullptr) continue;
    if (!ORN_POOL_CHECK(bucket->entries != nullptr && bucket->capacity > 0)) return false;
    if (!ORN_POOL_CHECK(bucket->top >= 0 && bucket->top < bucket->capacity)) return false;
    for (int32_t k = 1; k <= bucket->top; ++k) {
      const PoolEntry& entry = bucket->entries[k];
      if (entry.block == nullptr) continue;  // dropped when popped
      if (!ORN_POOL_CHECK(sizeClass(entry.size).index == i)) return false;
    }
  }
  return true;
}
