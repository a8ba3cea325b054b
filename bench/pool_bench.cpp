// poolAlloc + poolFree against glibc malloc/free and mimalloc, one pair at a time and in batches
// of 64, on one thread and on two threads sharing the module's pool; plus the pool's lock against
// std::recursive_mutex.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <mutex>
#include <thread>

#include "bench/allocator_pairs.h"
#include "platform/lock.h"
#include "pool/pool_binding.h"

namespace {

constexpr int batchSize = 64;

// The same pool, serialised by a std::recursive_mutex around each call (the lock inside then
// never contends and adds its uncontended cost).
std::recursive_mutex& poolMutex() {
  static auto* mutex = new std::recursive_mutex();
  return *mutex;
}
struct MutexPoolPair {
  static void* alloc(int size, int* capacity) {
    std::lock_guard<std::recursive_mutex> guard(poolMutex());
    return poolAlloc(size, capacity);
  }
  static void release(void* block, int capacity) {
    std::lock_guard<std::recursive_mutex> guard(poolMutex());
    poolFree(capacity, &block);
  }
};

template <class A>
void BM_Pair(benchmark::State& state) {
  const int size = static_cast<int>(state.range(0));
  for (auto _ : state) {
    int capacity = 0;
    void* block = A::alloc(size, &capacity);
    benchmark::DoNotOptimize(block);
    static_cast<char*>(block)[0] = 1;
    A::release(block, capacity);
  }
  state.SetItemsProcessed(state.iterations());
}

template <class A>
void BM_Batch64(benchmark::State& state) {
  const int size = static_cast<int>(state.range(0));
  void* blocks[batchSize];
  int capacities[batchSize];
  for (auto _ : state) {
    for (int k = 0; k < batchSize; ++k) {
      blocks[k] = A::alloc(size, &capacities[k]);
      static_cast<char*>(blocks[k])[0] = 1;
    }
    benchmark::DoNotOptimize(blocks);
    for (int k = 0; k < batchSize; ++k) A::release(blocks[k], capacities[k]);
  }
  state.SetItemsProcessed(state.iterations() * batchSize);
}

void sizes(benchmark::internal::Benchmark* b) {
  for (int size : {16, 64, 256, 4096}) b->Arg(size);
}
void sizesTwoThreads(benchmark::internal::Benchmark* b) {
  sizes(b);
  b->Threads(2)->UseRealTime();
}

// Warms every pool bucket the runs use, so the first run is not charged for making blocks.
void warmPool(const benchmark::State&) {
  void* blocks[2 * batchSize];
  int capacities[2 * batchSize];
  for (int size : {16, 64, 256, 4096}) {
    for (int k = 0; k < 2 * batchSize; ++k) blocks[k] = poolAlloc(size, &capacities[k]);
    for (int k = 0; k < 2 * batchSize; ++k) poolFree(capacities[k], &blocks[k]);
  }
}

// Runs registered first find a process that never started a thread (the lock then needs no
// atomic instruction); the "InThreadedProcess" runs start one first, as any real host has.
BENCHMARK_TEMPLATE(BM_Pair, PoolPair)->Apply(sizes)->Setup(warmPool);
BENCHMARK_TEMPLATE(BM_Pair, GlibcPair)->Apply(sizes);
BENCHMARK_TEMPLATE(BM_Pair, MimallocPair)->Apply(sizes);
BENCHMARK_TEMPLATE(BM_Pair, MutexPoolPair)->Apply(sizes)->Setup(warmPool);
BENCHMARK_TEMPLATE(BM_Batch64, PoolPair)->Apply(sizes)->Setup(warmPool);
BENCHMARK_TEMPLATE(BM_Batch64, GlibcPair)->Apply(sizes);
BENCHMARK_TEMPLATE(BM_Batch64, MimallocPair)->Apply(sizes);
BENCHMARK_TEMPLATE(BM_Batch64, MutexPoolPair)->Apply(sizes)->Setup(warmPool);

BENCHMARK_TEMPLATE(BM_Pair, PoolPair)->Apply(sizesTwoThreads)->Setup(warmPool);
BENCHMARK_TEMPLATE(BM_Pair, GlibcPair)->Apply(sizesTwoThreads);
BENCHMARK_TEMPLATE(BM_Pair, MimallocPair)->Apply(sizesTwoThreads);
BENCHMARK_TEMPLATE(BM_Pair, MutexPoolPair)->Apply(sizesTwoThreads)->Setup(warmPool);
BENCHMARK_TEMPLATE(BM_Batch64, PoolPair)->Apply(sizesTwoThreads)->Setup(warmPool);
BENCHMARK_TEMPLATE(BM_Batch64, GlibcPair)->Apply(sizesTwoThreads);
BENCHMARK_TEMPLATE(BM_Batch64, MimallocPair)->Apply(sizesTwoThreads);
BENCHMARK_TEMPLATE(BM_Batch64, MutexPoolPair)->Apply(sizesTwoThreads)->Setup(warmPool);

// One thread working in a process that has started other threads.
void startAThread(const benchmark::State& state) {
  std::thread([] {}).join();
  warmPool(state);
}
template <class A>
void BM_PairInThreadedProcess(benchmark::State& state) {
  BM_Pair<A>(state);
}
template <class A>
void BM_Batch64InThreadedProcess(benchmark::State& state) {
  BM_Batch64<A>(state);
}
BENCHMARK_TEMPLATE(BM_PairInThreadedProcess, PoolPair)->Apply(sizes)->Setup(startAThread);
BENCHMARK_TEMPLATE(BM_PairInThreadedProcess, GlibcPair)->Apply(sizes)->Setup(startAThread);
BENCHMARK_TEMPLATE(BM_PairInThreadedProcess, MimallocPair)->Apply(sizes)->Setup(startAThread);
BENCHMARK_TEMPLATE(BM_PairInThreadedProcess, MutexPoolPair)->Apply(sizes)->Setup(startAThread);
BENCHMARK_TEMPLATE(BM_PairInThreadedProcess, NoLockPoolPair)->Apply(sizes)->Setup(startAThread);
BENCHMARK_TEMPLATE(BM_Batch64InThreadedProcess, PoolPair)->Apply(sizes)->Setup(startAThread);
BENCHMARK_TEMPLATE(BM_Batch64InThreadedProcess, GlibcPair)->Apply(sizes)->Setup(startAThread);
BENCHMARK_TEMPLATE(BM_Batch64InThreadedProcess, MimallocPair)->Apply(sizes)->Setup(startAThread);
BENCHMARK_TEMPLATE(BM_Batch64InThreadedProcess, NoLockPoolPair)->Apply(sizes)->Setup(startAThread);

// The lock alone: one lock + unlock, uncontended and with two threads.
void BM_Lock_RecursiveLock(benchmark::State& state) {
  static RecursiveLock lock;
  for (auto _ : state) {
    lock.lock();
    benchmark::ClobberMemory();
    lock.unlock();
  }
}
void BM_Lock_StdRecursiveMutex(benchmark::State& state) {
  static std::recursive_mutex mutex;
  for (auto _ : state) {
    mutex.lock();
    benchmark::ClobberMemory();
    mutex.unlock();
  }
}
BENCHMARK(BM_Lock_RecursiveLock)->Setup(startAThread);
BENCHMARK(BM_Lock_StdRecursiveMutex)->Setup(startAThread);
BENCHMARK(BM_Lock_RecursiveLock)->Threads(2)->UseRealTime();
BENCHMARK(BM_Lock_StdRecursiveMutex)->Threads(2)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
