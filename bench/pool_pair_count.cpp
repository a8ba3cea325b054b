// Instructions per poolAlloc + poolFree pair against glibc malloc/free and mimalloc, for callgrind
// (bench/callgrind-counts runs it). Each measured loop is bracketed by callgrind client requests,
// so every dump holds exactly that loop's instructions: the pairs and the loop around them. The
// rows run first in a process that never started a thread, then again after one has started.
#include <valgrind/callgrind.h>

#include <cstdio>
#include <cstdlib>
#include <thread>

#include "bench/allocator_pairs.h"
#include "pool/pool_binding.h"

namespace {

constexpr int pairsPerRow = 100000;

// The loop the timing benchmark runs (BM_Pair): allocate, touch, free. `size` comes through a
// volatile so the compiler cannot fold it into the allocator's arithmetic.
template <class A>
__attribute__((noinline)) void pairs(int size, int n) {
  for (int k = 0; k < n; ++k) {
    int capacity = 0;
    void* block = A::alloc(size, &capacity);
    asm volatile("" : : "r"(block) : "memory");
    static_cast<char*>(block)[0] = 1;
    A::release(block, capacity);
  }
}

template <class A>
void row(const char* where, int size) {
  volatile int chosen = size;
  pairs<A>(chosen, 1000);  // warm: the bucket, the caches and the lazy bindings are made
  char label[64];
  std::snprintf(label, sizeof label, "%s/%d/%s", A::name, size, where);
  CALLGRIND_ZERO_STATS;
  pairs<A>(chosen, pairsPerRow);
  CALLGRIND_DUMP_STATS_AT(label);
}

void rows(const char* where) {
  for (int size : {16, 64, 256, 4096}) {
    row<PoolPair>(where, size);
    row<NoLockPoolPair>(where, size);
    row<GlibcPair>(where, size);
    row<MimallocPair>(where, size);
  }
}

}  // namespace

int main() {
  if (!RUNNING_ON_VALGRIND) {
    std::fprintf(stderr, "run under callgrind: bench/callgrind-counts\n");
    return 2;
  }
  std::printf("pairs per row: %d\n", pairsPerRow);
  rows("never-threaded");
  std::thread([] {}).join();
  rows("threaded");
  return 0;
}
