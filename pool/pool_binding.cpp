#include "pool/pool_binding.h"

#include <cstring>

#include "core/service_ptr.h"
#include "platform/config.h"
#include "platform/heap.h"
#include "pool/pool_check.h"

// Written only under poolLock (the destructor of an installed pool and the constructor included).
BucketMemoryPool* modulePool = nullptr;
bool ownPool = false;
int32_t ownPoolAllocCount = 0;
BucketMemoryPool* directPool = nullptr;

#ifdef _WIN32
RecursiveLock& poolLock() {
  static RecursiveLock* lock = new RecursiveLock();  // never deleted
  return *lock;
}
#else
RecursiveLock modulePoolLock;  // trivially destructible: never torn down
#endif

namespace {

// The table pointer of pools built by this module's code, once it built one. A pool that carries
// it runs this very code under this very lock, so the binding, already holding poolLock, calls
// its locked bodies directly instead of through the table. Guarded by poolLock.
const void* ownPoolTable = nullptr;

const void* tableOf(const BucketMemoryPool* pool) {
  const void* table = nullptr;
  std::memcpy(&table, static_cast<const void*>(pool), sizeof table);
  return table;
}

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
ORN_COLD void secondLook() {
  ownPoolAllocCount = 0;
  IPtr<IBucketMemoryPool> service;
  BucketMemoryPool* candidate = offeredPool(service);
  if (candidate == nullptr) return;
  ownPool = false;
  if (candidate == modulePool) return;
  directPool = nullptr;
  moveFreeBlocks(candidate);
  static_cast<IOrnUnknown*>(modulePool)->release();
  modulePool = candidate;
  static_cast<IOrnUnknown*>(candidate)->addRef();
}  // service releases its reference after the module took its own

// Unbound -> Shared or Own. Caller holds poolLock.
ORN_COLD void bindFirstPool() {
  IPtr<IBucketMemoryPool> service;
  BucketMemoryPool* pool = offeredPool(service);
  if (pool == nullptr) {
    pool = new BucketMemoryPool();  // installs itself as modulePool
    ownPool = true;
    ownPoolTable = tableOf(pool);
  }
  modulePool = pool;
  static_cast<IOrnUnknown*>(pool)->addRef();
}

}  // namespace

namespace {
// A negative request is a caller's fault: told to the assertion handler, served as 0.
ORN_COLD int reportNegativeSize(int size) {
  ORN_POOL_CHECK(size >= 0);
  return 0;
}
}  // namespace

namespace {
// Sets directPool from the binding's state as it stands. Caller holds poolLock.
void refreshDirectPool() {
  BucketMemoryPool* const pool = modulePool;
  const bool direct =
      pool != nullptr && ownPoolTable != nullptr && tableOf(pool) == ownPoolTable &&
      !poolTablesGrowing() && pool->granularity == BucketMemoryPool::granularityDefault &&
      pool->linearLimit == BucketMemoryPool::linearLimitDefault &&
      pool->maxPooledSize >= BucketMemoryPool::linearLimitDefault &&
      pool->bucketCount >
          ((BucketMemoryPool::linearLimitDefault - 1) >> BucketMemoryPool::granularityShiftDefault);
  directPool = direct ? pool : nullptr;
}
}  // namespace

void* poolAllocSlow(int size, int* capacity) {
  if (size < 0) size = reportNegativeSize(size);
  // Selection and allocation are one step: two threads never bind two pools, and the switch to
  // a host pool never runs beside an allocation.
  LockGuard guard(poolLock());
  if (ownPool && ownPoolAllocCount > poolSecondLookAfter) secondLook();
  if (modulePool == nullptr) bindFirstPool();
  refreshDirectPool();
  BucketMemoryPool* pool = modulePool;
  void* block = tableOf(pool) == ownPoolTable ? pool->allocateLocked(size, capacity)
                                              : pool->allocate(size, capacity);
  if (ownPool) ++ownPoolAllocCount;
  return block;
}

void poolFreeSlow(int capacity, void** block) {
  if (block == nullptr || *block == nullptr || capacity <= 0) return;
  LockGuard guard(poolLock());
  refreshDirectPool();
  BucketMemoryPool* pool = modulePool;
  if (pool != nullptr) {
    if (tableOf(pool) == ownPoolTable) {
      pool->deallocateLocked(capacity, block);
    } else {
      pool->deallocate(capacity, block);
    }
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
