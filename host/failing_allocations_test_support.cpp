// The replaceable allocation functions of this test executable: malloc and free underneath, with
// the refusal of failing_allocations_test_support.h in front. Every non-aligned form is replaced,
// so that no allocation made here is released by a sanitizer's own operator delete (a mismatch it
// would report). The aligned forms stay the runtime's, a pair of their own.
#include "host/failing_allocations_test_support.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<bool> armed{false};
std::atomic<int64_t> allowedLeft{0};
std::atomic<int64_t> refused{0};

void* allocate(std::size_t size) {
  if (armed.load() && allowedLeft.fetch_sub(1) <= 0) {
    ++refused;
    throw std::bad_alloc();
  }
  void* block = std::malloc(size != 0 ? size : 1);
  if (block == nullptr) throw std::bad_alloc();
  return block;
}

void* allocateOrNull(std::size_t size) noexcept {
  try {
    return allocate(size);
  } catch (...) {
    return nullptr;
  }
}

void stopAtExit() { armed.store(false); }
}  // namespace

void failAllocationsAfter(int64_t allowed) {
  // Registered at every arming: exit handlers run last-registered first, so this one runs before
  // any registered while the seam was armed.
  std::atexit(stopAtExit);
  allowedLeft.store(allowed);
  armed.store(true);
}

void stopFailingAllocations() { armed.store(false); }

int64_t refusedAllocations() { return refused.load(); }

void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return allocateOrNull(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return allocateOrNull(size);
}
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { std::free(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { std::free(block); }
