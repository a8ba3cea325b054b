#include "host/shared_pool.h"

#include "host/host_boundary.h"
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

bool HostSharedPool::purge() noexcept {
  return hostBoundary(false, [&] { return BucketMemoryPool::purge(); });
}

void* HostSharedPool::allocate(int32_t size, int32_t* capacity) noexcept {
  // Should serving from a bucket ever throw, the caller still gets a block: a fresh one of the
  // class's rounded size, as the pool serves while its tables change hands. Fresh blocks come
  // from guarded allocation, which never returns a failure.
  return hostBoundaryWith([&] { return BucketMemoryPool::allocate(size, capacity); },
                          [&]() noexcept {
                            const int32_t wanted = size > 0 ? size : 0;
                            *capacity = wanted > maxPooledSize ? wanted : sizeClass(wanted).rounded;
                            return makePoolBlock(*capacity);
                          });
}

bool HostSharedPool::deallocate(int32_t capacity, void** block) noexcept {
  // Filing a block may need a new bucket record, which plain new makes; that step comes before
  // the block is filed. When it throws, the block is still the caller's, and it goes back to its
  // allocator at once instead of leaking (the caller forgets it either way).
  return hostBoundaryWith([&] { return BucketMemoryPool::deallocate(capacity, block); },
                          [&]() noexcept {
                            freePoolBlock(*block);
                            *block = nullptr;
                            return true;
                          });
}

bool HostSharedPool::queryInterface(const char* name, void** out, int options) noexcept {
  return hostBoundary(false, [&] { return BucketMemoryPool::queryInterface(name, out, options); });
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
