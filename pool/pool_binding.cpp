#include "pool/pool_binding.h"

#include "core/service_ptr.h"
#include "platform/heap.h"
#include "pool/pool_check.h"

// Written only under poolLock (the destructor of an installed pool and the constructor included).
BucketMemoryPool* modulePool = nullptr;
bool ownPool = false;
int32_t ownPoolAllocCount = 0;

RecursiveLock& poolLock() {
#ifdef _WIN32
  static RecursiveLock* lock = new RecursiveLock();  // never deleted
  return *lock;
#else
  static RecursiveLock lock;  // constant-initialised and trivially destructible: never torn down
  return lock;
#endif
}

namespace {

// The host is asked again once this many allocations ran on the module's own pool.
constexpr int32_t secondLookAfter = 600;

// Asks the host for "IBucketMemoryPool" into service (which keeps the reference) and answers the
// offered object's "BucketMemoryPool" view, or null when nothing usable is offered: an object
// that does not answer that name is no pool of this layout and is never used.
BucketMemoryPool* offeredPool(IPtr<IBucketMemoryPool>& service) {
  service.acquire();
  if (!service) return nullptr;
  void* view = nullptr;
  if (!service.unknown->queryInterface(BucketMemoryPool::classNameText, &view, 0)) return nullptr;
  return static_cast<BucketMemoryPool*>(view);
}

// Own -> Shared once the host offers a pool. Caller holds poolLock.
void secondLook() {
  ownPoolAllocCount = 0;
  IPtr<IBucketMemoryPool> service;
  BucketMemoryPool* candidate = offeredPool(service);
  if (candidate == nullptr) return;
  ownPool = false;
  if (candidate == modulePool) return;
  moveFreeBlocks(candidate);
  static_cast<IOrnUnknown*>(modulePool)->release();
  modulePool = candidate;
  static_cast<IOrnUnknown*>(candidate)->addRef();
}  // service releases its reference after the module took its own

// Unbound -> Shared or Own. Caller holds poolLock.
void bindFirstPool() {
  IPtr<IBucketMemoryPool> service;
  BucketMemoryPool* pool = offeredPool(service);
  if (pool == nullptr) {
    pool = new BucketMemoryPool();  // installs itself as modulePool
    ownPool = true;
  }
  modulePool = pool;
  static_cast<IOrnUnknown*>(pool)->addRef();
}

}  // namespace

void* poolAlloc(int size, int* capacity) {
  if (size < 0) {
    ORN_POOL_CHECK(size >= 0);
    size = 0;
  }
  // Selection and allocation are one step: two threads never bind two pools, and the switch to
  // a host pool never runs beside an allocation.
  LockGuard guard(poolLock());
  if (ownPool && ownPoolAllocCount > secondLookAfter) secondLook();
  if (modulePool == nullptr) bindFirstPool();
  void* block = modulePool->allocate(size, capacity);
  if (ownPool) ++ownPoolAllocCount;
  return block;
}

void poolFree(int capacity, void** block) {
  if (block == nullptr || *block == nullptr || capacity <= 0) return;
  LockGuard guard(poolLock());
  if (modulePool != nullptr) {
    modulePool->deallocate(capacity, block);
  } else {
    freePoolBlock(*block);
  }
  *block = nullptr;
}

bool moveFreeBlocks(BucketMemoryPool* target) {
  BucketMemoryPool* source = modulePool;
  if (source == nullptr || target == nullptr || source == target) return true;
  const int32_t count = source->bucketCount;
  for (int32_t i = 0; i < count; ++i) {
    PoolBucket* bucket = source->buckets[i];
    if (bucket == nullptr) continue;
    if (i >= target->bucketCount) target->growTable(i);
    PoolBucket*& slot = target->buckets[i];
    if (slot == nullptr) {
      slot = bucket;
    } else {
      for (int32_t k = 1; k <= bucket->top; ++k) {
        const PoolEntry& entry = bucket->entries[k];
        target->pushFree(i, entry.size, entry.block);
      }
      platformFree(bucket->entries);
      delete bucket;
    }
    source->buckets[i] = nullptr;
  }
#if ORN_POOL_DEBUG_CHECKS
  if (target->granularity == source->granularity && target->linearLimit == source->linearLimit &&
      target->maxPooledSize == source->maxPooledSize) {
    target->checkBucketTable();
  }
#endif
  return true;
}
