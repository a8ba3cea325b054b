#include "host/shared_pool.h"

#include "pool/pool_binding.h"

namespace {
BucketMemoryAllocator* allocatorOf(void* block) {
  return *reinterpret_cast<BucketMemoryAllocator**>(static_cast<char*>(block) - poolHeaderSize);
}
}  // namespace

HostSharedPool& hostSharedPool() {
  // Never destroyed; see the class comment. The host's own reference (from HostOwned) stands for
  // the reference this binary's modulePool holds.
  static HostSharedPool* pool = new HostSharedPool();
  return *pool;
}

HostSharedPool::Figures HostSharedPool::figures() {
  LockGuard guard(poolLock());
  Figures f;
  for (int32_t i = 0; i < bucketCount; ++i) {
    PoolBucket* bucket = buckets[i];
    if (bucket == nullptr) continue;
    ++f.buckets;
    for (int32_t k = 1; k <= bucket->top; ++k) {
      const PoolEntry& entry = bucket->entries[k];
      if (entry.block == nullptr) continue;
      ++f.freeBlocks;
      f.freeBytes += entry.size;
      if (allocatorOf(entry.block) != &moduleAllocator) ++f.foreignBlocks;
    }
  }
  return f;
}

int64_t HostSharedPool::dropForeignBlocks() {
  LockGuard guard(poolLock());
  int64_t dropped = 0;
  for (int32_t i = 0; i < bucketCount; ++i) {
    PoolBucket* bucket = buckets[i];
    if (bucket == nullptr) continue;
    int32_t kept = 0;
    for (int32_t k = 1; k <= bucket->top; ++k) {
      PoolEntry entry = bucket->entries[k];
      if (entry.block != nullptr && allocatorOf(entry.block) != &moduleAllocator) {
        ++dropped;
        continue;
      }
      bucket->entries[++kept] = entry;
    }
    for (int32_t k = kept + 1; k <= bucket->top; ++k) bucket->entries[k] = PoolEntry{0, nullptr};
    bucket->top = kept;
  }
  return dropped;
}
