// Pool services a test host can offer as "IBucketMemoryPool": a shared pool of the host's own,
// with blocks that carry the host's allocator so that crossing blocks can be followed, and an
// object that poses as a pool but is none.
#ifndef ORN_TESTHOST_POOL_SERVICES_H_
#define ORN_TESTHOST_POOL_SERVICES_H_

#include <atomic>
#include <cstdint>

#include "platform/lock.h"
#include "pool/bucket_pool.h"

class TestHost;

// The host's allocator: named in the header of blocks the host makes, counts the raw blocks it
// frees. freeBlock runs under a lock of its own (the host's pool lock, in a real host).
class CountingBlockAllocator : public BucketMemoryAllocator {
 public:
  void freeBlock(void* rawBlock) override;
  // A raw block of usable capacity n whose header names this allocator; the usable bytes.
  void* makeBlock(int32_t n);

  std::atomic<int> blocksMade{0};
  std::atomic<int> blocksFreed{0};

 private:
  RecursiveLock lock_;
};

// A BucketMemoryPool built as if by the host's binary: its construction leaves this binary's
// pool binding (modulePool) exactly as it was. The service holds one reference to the pool.
// Never destroyed: pools and blocks may still name it when the process ends.
class TestSharedPool {
 public:
  TestSharedPool();
  TestSharedPool(const TestSharedPool&) = delete;
  TestSharedPool& operator=(const TestSharedPool&) = delete;

  // Offers the pool to host under "IBucketMemoryPool" (null withdraws the offer).
  void offerTo(TestHost& host);
  // Files `count` host-made blocks of usable capacity n into the pool's free buckets.
  void fill(int32_t n, int count);
  // Free blocks waiting in the bucket of index (0 when the bucket does not exist).
  int32_t freeBlocksAt(int32_t index) const;

  BucketMemoryPool* pool;
  CountingBlockAllocator allocator;

 private:
  ~TestSharedPool() = default;
};

// Builds a BucketMemoryPool without installing it as this binary's modulePool.
BucketMemoryPool* makeDetachedPool();

// Answers "IBucketMemoryPool" and "IOrnUnknown" but not "BucketMemoryPool": a pool of some other
// layout, which the module must not use.
class NotABucketPool : public IBucketMemoryPool {
 public:
  static constexpr const char* classNameText = "NotABucketPool";
  bool queryInterface(const char* name, void** out, int options) override;
  const char* className() override { return classNameText; }
  // How often it was asked for "BucketMemoryPool".
  int poolQueries = 0;
};

#endif  // ORN_TESTHOST_POOL_SERVICES_H_
