// The allocators the pool benchmarks compare, each as alloc + release of one block: the module's
// pool, the same pool with no lock (the floor), glibc and mimalloc.
#ifndef ORN_BENCH_ALLOCATOR_PAIRS_H_
#define ORN_BENCH_ALLOCATOR_PAIRS_H_

#include <mimalloc.h>

#include <cstddef>

#include "bench/glibc_allocator.h"
#include "pool/pool_binding.h"

struct PoolPair {
  static constexpr const char* name = "pool";
  static void* alloc(int size, int* capacity) { return poolAlloc(size, capacity); }
  static void release(void* block, int capacity) { poolFree(capacity, &block); }
};

// The floor: the same pool's bucket work with no lock around it (the inline paths' own pop and
// push, falling back to the locked calls on a miss). Sound only while no other thread uses the
// pool, as in the single-thread runs it is measured in.
struct NoLockPoolPair {
  static constexpr const char* name = "pool-no-lock";
  static void* alloc(int size, int* capacity) {
    void* block = poolPopDirect(size, capacity);
    return block != nullptr ? block : poolAlloc(size, capacity);
  }
  static void release(void* block, int capacity) {
    if (!poolPushDirect(capacity, block)) poolFree(capacity, &block);
  }
};

struct GlibcPair {
  static constexpr const char* name = "glibc";
  static void* alloc(int size, int* capacity) {
    *capacity = size;
    return glibc.malloc(static_cast<size_t>(size));
  }
  static void release(void* block, int) { glibc.free(block); }
};

struct MimallocPair {
  static constexpr const char* name = "mimalloc";
  static void* alloc(int size, int* capacity) {
    *capacity = size;
    return mi_malloc(static_cast<size_t>(size));
  }
  static void release(void* block, int) { mi_free(block); }
};

#endif  // ORN_BENCH_ALLOCATOR_PAIRS_H_
