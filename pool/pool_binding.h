// The module's binding to one pool: the host's shared pool when offered, else its own.
#ifndef ORN_POOL_POOL_BINDING_H_
#define ORN_POOL_POOL_BINDING_H_

#include <cstdint>

#include "platform/lock.h"
#include "pool/bucket_pool.h"

// The pool the module uses; holds one reference once set; never cleared again.
extern BucketMemoryPool* modulePool;
// True while modulePool is a pool the module built itself.
extern bool ownPool;
// Pooled allocations since the last question to the host while ownPool is true.
extern int32_t ownPoolAllocCount;

// The module's re-entrant lock around its pools and raw-block frees. Never destroyed.
#ifdef _WIN32
RecursiveLock& poolLock();  // made on first use
#else
extern RecursiveLock modulePoolLock;  // constant-initialised: exists before any code runs
inline RecursiveLock& poolLock() { return modulePoolLock; }
#endif

// At least size usable bytes from the module's pool; *capacity receives the usable capacity.
// Never returns null (running out of memory ends the process). The owner keeps the capacity
// beside the pointer and hands both back to poolFree.
void* poolAlloc(int size, int* capacity);
// Gives a block back (only when *block is non-null and capacity > 0) and nulls *block.
void poolFree(int capacity, void** block);
// Moves every free block of modulePool into target. Caller holds poolLock.
bool moveFreeBlocks(BucketMemoryPool* target);

#endif  // ORN_POOL_POOL_BINDING_H_
