// STUB: replaced by the guarded allocation implementation.
#include "memory/ubr_alloc.h"

#include <cstdlib>
#include <cstring>

int ubrMalloc(void** block, int elemSize, int count) {
  *block = std::malloc(static_cast<size_t>(elemSize) * static_cast<size_t>(count));
  return count;
}

int ubrRealloc(void** block, int elemSize, int curSize, int minNewSize, int maxNewSize) {
  if (maxNewSize == -1) maxNewSize = minNewSize;
  if (curSize == minNewSize) return curSize;
  void* p = std::realloc(*block, static_cast<size_t>(elemSize) * maxNewSize);
  if (maxNewSize > curSize) {
    std::memset(static_cast<char*>(p) + elemSize * curSize, 0,
                static_cast<size_t>(elemSize) * (maxNewSize - curSize));
  }
  *block = p;
  return maxNewSize;
}

OrnMM::IOrnMManager* ubrMemoryManager() { return nullptr; }
