// Guarded allocation: element-count allocation and growth that never hand a failure back.
#ifndef ORN_MEMORY_UBRREALLOC_H_
#define ORN_MEMORY_UBRREALLOC_H_

#include <cstdint>

namespace OrnMM {
class IOrnMManager;
}

// On every entry below: `block` is the address of the caller's own block pointer, which the entry
// updates in place; sizes are element counts of `elemSize` bytes (signed 32-bit). When the heap
// runs short the entries ask the host's memory manager to release memory, settle for smaller
// growth, spill the block to a temporary file, and as a last resort tell the user through the
// host's error service and end the process with exit(-1). They never return a failure. A byte
// size that is negative or does not fit 32 bits is a request that cannot be served: it takes the
// out-of-memory road, never a small allocation. Blocks come from platformMalloc/platformRealloc
// and are released with platformFree. Callable from any thread; no lock is taken.

// Allocates elemSize * count bytes (not cleared) into *block and returns count. A previous
// non-null block is overwritten, not released.
int ubrMalloc(void** block, int elemSize, int count);

// Resizes *block, which holds curSize elements, to at least minNewSize and at most maxNewSize
// (-1: same as minNewSize) elements and returns the count it holds afterwards. Growth of an
// existing block zeroes every byte past the old contents. A null block, or one of 0 elements
// (which is freed first), gets a fresh allocation of minNewSize. A shrink the heap refuses keeps
// the old, larger block. maxNewSize below minNewSize is reported to the host's assertion handler
// (no handler: exit(255)) and the call goes on.
int ubrRealloc(void** block, int elemSize, int curSize, int minNewSize, int maxNewSize);

// The host's memory manager, looked up once for the life of the module; null when the host has
// none (or had none at the first call). The holder keeps one reference, dropped by the module's
// exit list.
OrnMM::IOrnMManager* ubrMemoryManager();

#endif  // ORN_MEMORY_UBRREALLOC_H_
