// The host's shared BucketMemoryPool, offered to modules as "IBucketMemoryPool".
#ifndef ORN_HOST_SHARED_POOL_H_
#define ORN_HOST_SHARED_POOL_H_

#include <cstdint>

#include "host/host_owned.h"
#include "pool/bucket_pool.h"

// One per process: the pool the host's own strings use too (its construction installs it as
// this binary's modulePool). Never destroyed: modules that bound to it keep their reference until
// the process ends, and blocks in it may be freed through any module's allocator.
class HostSharedPool : public HostOwned<BucketMemoryPool> {
 public:
  // The pool's operations as modules call them; nothing leaves them. A block that cannot be filed
  // (its bucket cannot be made) is handed straight back to the allocator in its header.
  bool purge() noexcept override;
  void* allocate(int32_t size, int32_t* capacity) noexcept override;
  bool deallocate(int32_t capacity, void** block) noexcept override;
  bool queryInterface(const char* name, void** out, int options) noexcept override;

  // Figures of the free blocks the pool holds. Takes this binary's poolLock.
  struct Figures {
    int32_t buckets = 0;  // size classes with a bucket
    int64_t freeBlocks = 0;
    int64_t freeBytes = 0;
    int64_t foreignBlocks = 0;  // free blocks made by another binary (a module)
  };
  Figures figures();

  // Drops, without freeing, every free block whose header names an allocator other than this
  // binary's. Run after a module was unloaded: its blocks can no longer be freed through its
  // allocator, so the pool forgets them (their memory stays allocated until the process ends).
  // Returns the number of blocks dropped. Takes this binary's poolLock; the module's lock is gone.
  int64_t dropForeignBlocks();
};

// The process's shared pool, built on first use.
HostSharedPool& hostSharedPool();

#endif  // ORN_HOST_SHARED_POOL_H_
