// The heap behind every guarded allocation and pooled raw block: the C runtime's, or a test heap
// put in front of it.
#include "platform/heap.h"

#include <atomic>
#include <cstdlib>

namespace {
// Null means the runtime heap: no object is needed before static initialisation has run.
std::atomic<PlatformHeap*> installedHeap{nullptr};
}  // namespace

void* PlatformHeap::allocate(size_t size) { return std::malloc(size); }
void* PlatformHeap::reallocate(void* block, size_t size) { return std::realloc(block, size); }
void PlatformHeap::release(void* block) { std::free(block); }

PlatformHeap* installPlatformHeap(PlatformHeap* heap) {
  PlatformHeap* previous = installedHeap.exchange(heap, std::memory_order_acq_rel);
  return previous;
}

void* platformMalloc(size_t size) {
  PlatformHeap* heap = installedHeap.load(std::memory_order_acquire);
  return heap ? heap->allocate(size) : std::malloc(size);
}

void* platformRealloc(void* block, size_t size) {
  PlatformHeap* heap = installedHeap.load(std::memory_order_acquire);
  return heap ? heap->reallocate(block, size) : std::realloc(block, size);
}

void platformFree(void* block) {
  PlatformHeap* heap = installedHeap.load(std::memory_order_acquire);
  if (heap) {
    heap->release(block);
  } else {
    std::free(block);
  }
}
