#include "memory/ubrrealloc.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "core/check.h"
#include "core/host.h"
#include "core/no_destructor.h"
#include "core/service_ptr.h"
#include "core/teardown.h"
#include "memory/manager_retry.h"
#include "memory/out_of_memory.h"
#include "memory/spill.h"
#include "platform/heap.h"

namespace {

// Midpoint attempts of a reduced growth before the exact minimum is tried.
constexpr int reductionSteps = 7;
// The memory manager is asked for help while the step counter is at or below this.
constexpr int managerThreshold = 5;
// One release request per this many bytes of growth, plus two, per reduced attempt.
constexpr int64_t managerUnitBytes = 24576;

constexpr int64_t largestByteSize = INT32_MAX;

// elemSize * count as a byte size the heap can be asked for, or -1 when it is negative or does
// not fit 32 bits: such a request cannot be served.
int64_t byteSize(int elemSize, int64_t count) {
  if (elemSize < 0 || count < 0) return -1;
  const int64_t bytes = static_cast<int64_t>(elemSize) * count;
  return bytes <= largestByteSize ? bytes : -1;
}

// Installs a grown block and zeroes everything past the old contents.
int grown(void** block, void* fresh, int64_t oldBytes, int64_t newBytes, int count) {
  *block = fresh;
  std::memset(static_cast<char*>(fresh) + oldBytes, 0, static_cast<size_t>(newBytes - oldBytes));
  return count;
}

// Case: fewer elements than the block holds. A shrink that the heap refuses keeps the old,
// larger block.
int shrink(void** block, int elemSize, int maxNewSize) {
  // Without a block there is nothing to keep: a fresh allocation, with its remedies.
  if (*block == nullptr && maxNewSize > 0) return ubrMalloc(block, elemSize, maxNewSize);
  const int64_t bytes = byteSize(elemSize, maxNewSize);
  if (bytes < 0) ubrGiveUp(ubrOutOfMemory);
  if (bytes == 0) {
    platformFree(*block);
    *block = nullptr;
    return maxNewSize;
  }
  void* fresh = platformRealloc(*block, static_cast<size_t>(bytes));
  if (fresh != nullptr) *block = fresh;
  return maxNewSize;
}

// Case: growth. Tries the full count, then up to reductionSteps midpoints between minNewSize and
// the last count that failed, then minNewSize itself (the manager helping from the third reduced
// attempt on), then the spill.
int grow(void** block, int elemSize, int curSize, int minNewSize, int maxNewSize) {
  const int64_t oldBytes = byteSize(elemSize, curSize);
  const int64_t minBytes = byteSize(elemSize, minNewSize);
  if (oldBytes < 0 || minBytes < 0) ubrGiveUp(ubrOutOfMemory);

  const int64_t fullBytes = byteSize(elemSize, maxNewSize);
  if (fullBytes == 0) {
    platformFree(*block);
    *block = nullptr;
    return maxNewSize;
  }
  if (fullBytes > 0) {
    void* fresh = platformRealloc(*block, static_cast<size_t>(fullBytes));
    if (fresh != nullptr) return grown(block, fresh, oldBytes, fullBytes, maxNewSize);
  }

  OrnMM::IOrnMManager* manager = ubrMemoryManager();
  int steps = reductionSteps;
  int64_t hi = maxNewSize;  // the last count that failed
  while (minNewSize < hi) {
    const int64_t attempt = steps > 0 ? (minNewSize + hi) >> 1 : minNewSize;
    hi = attempt;
    const int64_t bytes = byteSize(elemSize, attempt);
    if (bytes > 0) {  // an unservable count fails without asking the heap
      void* fresh = platformRealloc(*block, static_cast<size_t>(bytes));
      if (fresh == nullptr && steps <= managerThreshold && manager != nullptr) {
        for (int64_t tries = (bytes - oldBytes) / managerUnitBytes + 2;
             fresh == nullptr && tries > 0 && manager != nullptr; --tries) {
          if (!manager->releaseMemory()) manager = nullptr;  // this retry still happens
          fresh = platformRealloc(*block, static_cast<size_t>(bytes));
        }
      }
      if (fresh != nullptr) return grown(block, fresh, oldBytes, bytes, static_cast<int>(attempt));
    }
    if (--steps < 0) break;
  }

  return spillRealloc(block, static_cast<size_t>(oldBytes), static_cast<size_t>(minBytes),
                      minNewSize, manager);
}

// The memory manager holder: built on first use (one thread builds it, others wait), never
// destroyed; the module's exit list drops its reference.
using ManagerHolder = SPtr<OrnMM::IOrnMManager>;

void releaseMemoryManager();

ManagerHolder& managerHolder() {
  static NoDestructor<ManagerHolder> holder;
  [[maybe_unused]] static const bool dropsAtUnload = (registerTeardown(releaseMemoryManager), true);
  return *holder;
}

void releaseMemoryManager() { managerHolder().reset(); }

}  // namespace

int ubrMalloc(void** block, int elemSize, int count) {
  const int64_t bytes = byteSize(elemSize, count);
  if (bytes < 0) ubrGiveUp(ubrOutOfMemory);
  *block = platformMalloc(static_cast<size_t>(bytes));
  if (*block != nullptr || bytes == 0) return count;
  OrnMM::IOrnMManager* manager = ubrMemoryManager();
  *block = retryWithManager(manager, static_cast<size_t>(bytes));
  if (*block == nullptr) ubrGiveUp(ubrOutOfMemory);
  return count;
}

int ubrRealloc(void** block, int elemSize, int curSize, int minNewSize, int maxNewSize) {
  if (curSize == minNewSize) return curSize;
  if ((*block == nullptr || curSize == 0) && minNewSize > 0) {
    // A block of no elements (what an allocation of 0 bytes may leave) is replaced, not leaked.
    if (*block != nullptr) {
      platformFree(*block);
      *block = nullptr;
    }
    return ubrMalloc(block, elemSize, minNewSize);
  }
  if (maxNewSize == -1) {
    maxNewSize = minNewSize;
  } else if (maxNewSize < minNewSize) {
    reportFailedCheck("maxNewSize >= minNewSize", __FILE__, __LINE__);
  }
  if (maxNewSize < curSize) {
    if (maxNewSize == 0 && *block != nullptr) {
      platformFree(*block);
      *block = nullptr;
      return 0;
    }
    return shrink(block, elemSize, maxNewSize);
  }
  if (minNewSize <= curSize) return curSize;
  if (maxNewSize < minNewSize) {
    reportFailedCheck("minNewSize > curSize && maxNewSize >= minNewSize", __FILE__, __LINE__);
  }
  return grow(block, elemSize, curSize, minNewSize, maxNewSize);
}

OrnMM::IOrnMManager* ubrMemoryManager() { return managerHolder().get(); }
