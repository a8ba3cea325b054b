// The module's binding to one pool: the host's shared pool when offered, else its own.
#ifndef ORN_POOL_POOL_BINDING_H_
#define ORN_POOL_POOL_BINDING_H_

#include <cstdint>

#include "platform/lock.h"
#include "pool/bucket_pool.h"
#include "pool/pool_poison.h"

// The pool the module uses; holds one reference once set; never cleared again.
extern BucketMemoryPool* modulePool;
// True while modulePool is a pool the module built itself.
extern bool ownPool;
// Pooled allocations since the last question to the host while ownPool is true.
extern int32_t ownPoolAllocCount;
// The host is asked again by the first poolAlloc that finds ownPoolAllocCount above this.
constexpr int32_t poolSecondLookAfter = 600;

// The module's re-entrant lock around its pools and raw-block frees. Never destroyed.
#ifdef _WIN32
RecursiveLock& poolLock();  // made on first use
#else
extern RecursiveLock modulePoolLock;  // constant-initialised: exists before any code runs
inline RecursiveLock& poolLock() { return modulePoolLock; }
#endif

// The pool the inline paths below serve from its buckets directly, or null. It is modulePool
// when that pool runs this module's code (so poolLock is its lock too), has the default size
// classes (4-byte steps up to 8192 bytes) and a table that covers them, and no table or stack of
// this module is growing. Guarded by poolLock. Set only by the out-of-line paths; cleared
// wherever modulePool changes hands or a growth begins. A pool's three size-class parameters are
// taken as fixed once it is built: nothing in the framework changes them.
extern BucketMemoryPool* directPool;

// The out-of-line halves of poolAlloc and poolFree: every case the inline paths leave alone.
// They take poolLock themselves.
void* poolAllocSlow(int size, int* capacity);
void poolFreeSlow(int capacity, void** block);

// The bucket work of the inline paths, for a caller that holds poolLock. directPool is then
// sound to use as it stands (see above): a class is one shift, its slot exists, and the only
// work left is the pop or the push and the second-look count. Each answers null or false, having
// changed nothing, when the case is not theirs: no directPool, a size outside 1..8192, a bucket
// that is missing, empty or full, an entry dropped by an earlier pop, a second look that is due.
inline void* poolPopDirect(int size, int* capacity) {
  BucketMemoryPool* const pool = directPool;
  const bool own = ownPool;
  if (pool == nullptr ||
      static_cast<uint32_t>(size - 1) >= uint32_t{BucketMemoryPool::linearLimitDefault} ||
      (own && ownPoolAllocCount > poolSecondLookAfter)) {
    return nullptr;
  }
  PoolBucket* const bucket = pool->buckets[(size - 1) >> BucketMemoryPool::granularityShiftDefault];
  if (bucket == nullptr || bucket->top <= 0) return nullptr;
  const PoolEntry entry = bucket->entries[bucket->top];
  if (entry.block == nullptr) return nullptr;
  --bucket->top;
  *capacity = entry.size;
  ownPoolAllocCount += own;
  unpoisonBlock(entry.block, entry.size);
  return entry.block;
}
inline bool poolPushDirect(int capacity, void* block) {
  BucketMemoryPool* const pool = directPool;
  if (pool == nullptr || capacity <= 0 || capacity > BucketMemoryPool::linearLimitDefault) {
    return false;
  }
  const int32_t index = (capacity - 1) >> BucketMemoryPool::granularityShiftDefault;
  PoolBucket* const bucket = pool->buckets[index];
  if (bucket == nullptr || bucket->top + 1 >= bucket->capacity) return false;
  const int32_t top = bucket->top + 1;
  const int32_t rounded = (index + 1) << BucketMemoryPool::granularityShiftDefault;
  bucket->entries[top] = PoolEntry{rounded, block};
  bucket->top = top;
  poisonFreeBlock(block, rounded);
  return true;
}

// At least size usable bytes from the module's pool; *capacity receives the usable capacity.
// Never returns null (running out of memory ends the process). The owner keeps the capacity
// beside the pointer and hands both back to poolFree. Inline: one lock round trip around a bucket
// hit of directPool; every other case goes out of line.
inline void* poolAlloc(int size, int* capacity) {
  RecursiveLock& lock = poolLock();
  lock.lock();
  void* const block = poolPopDirect(size, capacity);
  lock.unlock();
  return block != nullptr ? block : poolAllocSlow(size, capacity);
}

// Gives a block back (only when *block is non-null and capacity > 0) and nulls *block. Inline:
// one lock round trip around filing it in directPool; every other case goes out of line.
inline void poolFree(int capacity, void** block) {
  if (block == nullptr || *block == nullptr || capacity <= 0) return;
  RecursiveLock& lock = poolLock();
  lock.lock();
  const bool filed = poolPushDirect(capacity, *block);
  lock.unlock();
  if (filed) {
    *block = nullptr;
  } else {
    poolFreeSlow(capacity, block);
  }
}

// Moves every free block of modulePool into target. Caller holds poolLock.
bool moveFreeBlocks(BucketMemoryPool* target);

#endif  // ORN_POOL_POOL_BINDING_H_
