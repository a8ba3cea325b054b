// Under AddressSanitizer a free block sitting in a bucket is poisoned, so that a use after
// poolFree is caught although the pool never gives the memory back; it is unpoisoned when handed
// out again or freed. Without AddressSanitizer these do nothing.
#ifndef ORN_POOL_POOL_POISON_H_
#define ORN_POOL_POOL_POISON_H_

#include <cstddef>
#include <cstdint>

#include "platform/config.h"

#ifdef ORN_ADDRESS_SANITIZER
#include <sanitizer/asan_interface.h>
#if __has_include(<sanitizer/allocator_interface.h>)
#include <sanitizer/allocator_interface.h>
#else
// The sanitizer runtime's allocator queries (gcc ships no header for them).
extern "C" int __sanitizer_get_ownership(const volatile void* p);
extern "C" size_t __sanitizer_get_allocated_size(const volatile void* p);
#endif

#include "pool/bucket_pool.h"

// The usable bytes of block that may be (un)poisoned: at most `size`, and never past the raw
// allocation (a block filed under a larger class than it was made for must keep its redzone).
// 0 for memory the sanitizer's heap does not own.
inline size_t poolPoisonSpan(void* block, int32_t size) {
  if (size <= 0) return 0;
  const void* raw = static_cast<char*>(block) - poolHeaderSize;
  if (!__sanitizer_get_ownership(raw)) return 0;
  const size_t allocated = __sanitizer_get_allocated_size(raw);
  if (allocated <= static_cast<size_t>(poolHeaderSize)) return 0;
  const size_t usable = allocated - static_cast<size_t>(poolHeaderSize);
  return static_cast<size_t>(size) < usable ? static_cast<size_t>(size) : usable;
}
inline void poisonFreeBlock(void* block, int32_t size) {
  if (block != nullptr) ASAN_POISON_MEMORY_REGION(block, poolPoisonSpan(block, size));
}
inline void unpoisonBlock(void* block, int32_t size) {
  if (block != nullptr) ASAN_UNPOISON_MEMORY_REGION(block, poolPoisonSpan(block, size));
}
#else
inline void poisonFreeBlock(void*, int32_t) {}
inline void unpoisonBlock(void*, int32_t) {}
#endif

#endif  // ORN_POOL_POOL_POISON_H_
