#include "testhost/pool_services.h"

#include <cstdlib>
#include <vector>

#include "pool/pool_binding.h"
#include "testhost/test_host.h"

void CountingBlockAllocator::freeBlock(void* rawBlock) {
  LockGuard guard(lock_);
  ++blocksFreed;
  std::free(rawBlock);
}

void* CountingBlockAllocator::makeBlock(int32_t n) {
  char* raw = static_cast<char*>(std::malloc(static_cast<size_t>(n) + poolHeaderSize));
  if (raw == nullptr) std::abort();
  *reinterpret_cast<BucketMemoryAllocator**>(raw) = this;
  ++blocksMade;
  return raw + poolHeaderSize;
}

BucketMemoryPool* makeDetachedPool() {
  LockGuard guard(poolLock());
  BucketMemoryPool* saved = modulePool;
  modulePool = nullptr;  // no previous pool to take over or release
  BucketMemoryPool* pool = new BucketMemoryPool();
  modulePool = saved;
  return pool;
}

namespace {
// Every TestSharedPool made, kept reachable for the rest of the process (never destroyed).
std::vector<TestSharedPool*>& madeSharedPools() {
  static auto* made = new std::vector<TestSharedPool*>();
  return *made;
}
}  // namespace

TestSharedPool::TestSharedPool() : pool(makeDetachedPool()) {
  static_cast<IOrnUnknown*>(pool)->addRef();
  madeSharedPools().push_back(this);
}

void TestSharedPool::offerTo(TestHost& host) {
  host.offer<IBucketMemoryPool>(static_cast<IBucketMemoryPool*>(pool));
}

void TestSharedPool::fill(int32_t n, int count) {
  for (int k = 0; k < count; ++k) {
    void* block = allocator.makeBlock(n);
    pool->deallocate(n, &block);
  }
}

int32_t TestSharedPool::freeBlocksAt(int32_t index) const {
  if (index < 0 || index >= pool->bucketCount || pool->buckets[index] == nullptr) return 0;
  return pool->buckets[index]->top;
}

bool NotABucketPool::queryInterface(const char* name, void** out, int /*options*/) {
  if (name != nullptr && sameName(name, "BucketMemoryPool")) ++poolQueries;
  return queryClass(name, out, this, classNameText, false) ||
         queryInterfaceName(name, out, static_cast<IBucketMemoryPool*>(this),
                            IBucketMemoryPool::lookupName);
}
