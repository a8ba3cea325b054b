// STUB: replaced by the pool binding.
#include "pool/pool_binding.h"

#include <cstdlib>
#include <new>

BucketMemoryPool* modulePool = nullptr;
bool ownPool = false;
int32_t ownPoolAllocCount = 0;

RecursiveLock& poolLock() {
  static RecursiveLock* lock = new RecursiveLock();
  return *lock;
}

void* poolAlloc(int size, int* capacity) {
  int rounded = size <= 8192 ? ((size <= 0 ? 1 : size) + 3) / 4 * 4 : size;
  *capacity = rounded;
  return makePoolBlock(rounded);
}

void poolFree(int capacity, void** block) {
  if (*block == nullptr || capacity <= 0) return;
  std::free(static_cast<char*>(*block) - poolHeaderSize);
  *block = nullptr;
}

bool moveFreeBlocks(BucketMemoryPool*) { return true; }
