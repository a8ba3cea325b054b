// The C runtime heap as the framework sees it. Every malloc/realloc/free of guarded allocation and
// of the pool's raw blocks goes through these calls, so that tests can put a fault-injecting heap
// in front of the runtime's (see installPlatformHeap).
#ifndef ORN_PLATFORM_HEAP_H_
#define ORN_PLATFORM_HEAP_H_

#include <cstddef>
#include <cstdint>

// Same contracts as malloc, realloc and free: a failed realloc returns null and leaves the block
// as it was. Thread-safe, as the runtime heap is.
void* platformMalloc(size_t size);
void* platformRealloc(void* block, size_t size);
void platformFree(void* block);

// The heap behind platformMalloc/Realloc/Free. The base class is the C runtime heap; a test heap
// derives from it, overrides what it wants to fail or record, and forwards the rest.
class PlatformHeap {
 public:
  virtual ~PlatformHeap() = default;
  virtual void* allocate(size_t size);
  virtual void* reallocate(void* block, size_t size);
  virtual void release(void* block);
};

// Puts heap in front of every platform heap call (null: back to the runtime heap) and returns the
// heap installed before. The caller keeps heap alive until it is replaced. A block may be freed
// through another heap than the one that allocated it: every heap ends in the runtime's.
PlatformHeap* installPlatformHeap(PlatformHeap* heap);

// Caps the address space of the whole process at `bytes` (setrlimit on Linux). Returns false where
// the system offers no such limit (Windows); tests then use a test heap instead.
bool platformLimitAddressSpace(uint64_t bytes);

#endif  // ORN_PLATFORM_HEAP_H_
