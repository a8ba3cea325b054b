// The pool's own tables grown while the heap refuses every growth in place: the growth goes
// through the spill file, whose path is a pooled string, so the pool is entered again while its
// table or one of its stacks is changing hands.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "memory/memory_test_support.h"
#include "pool/pool_binding.h"
#include "tempfile/temp_path.h"
#include "text/orn_wstring.h"

namespace {

class HardeningPoolGrowth : public MemoryHostTest {
 protected:
  void SetUp() override {
    MemoryHostTest::SetUp();
    heap.kinds = FaultHeap::reallocRequest;  // fresh blocks are served, growth in place is not
    heap.failAll = true;
  }
  FaultHeap heap;
};

// Regression: the bucket table was grown through a copy of its pointer; the spill freed the old
// table and then gave its path string back to the pool, which filed it in the freed table.
TEST_F(HardeningPoolGrowth, TableGrownThroughTheSpillTakesBackTheSpillsPathString) {
  int capacity = 0;
  void* small = poolAlloc(8, &capacity);  // the module's own pool, with its first table
  poolFree(capacity, &small);
  void* big = nullptr;
  {
    HeapFaultScope scope(heap);
    big = poolAlloc(40000, &capacity);  // class 2050: the table grows
  }
  ASSERT_NE(big, nullptr);
  EXPECT_EQ(capacity, 65536);
  EXPECT_GT(modulePool->bucketCount, 2050);
  EXPECT_TRUE(modulePool->checkBucketTable());
  std::memset(big, 0x5A, 40000);
  poolFree(capacity, &big);
  EXPECT_EQ(filesInSpillDirectory(), 0);
  EXPECT_TRUE(errors.reports.empty());
}

// Regression: a bucket's stack grown through the spill had the spill's path string pushed onto it
// while it changed hands, into the freed stack, and the push then overwrote that entry.
TEST_F(HardeningPoolGrowth, StackGrownThroughTheSpillKeepsEveryBlockItWasGiven) {
  OrnWString path;
  makeTempFilePath(path);  // a spill path has the same length every time
  const int pathCapacity = path.capacity;
  path.releaseText();
  ASSERT_GT(pathCapacity, 0);

  // The bucket of that size, one push short of growing.
  std::vector<void*> blocks;
  for (int i = 0; i < BucketMemoryPool::initialBucketCapacity; ++i) {
    int capacity = 0;
    blocks.push_back(poolAlloc(pathCapacity, &capacity));
    ASSERT_EQ(capacity, pathCapacity);
  }
  for (size_t i = 0; i + 1 < blocks.size(); ++i) poolFree(pathCapacity, &blocks[i]);
  {
    HeapFaultScope scope(heap);
    poolFree(pathCapacity, &blocks.back());  // the stack grows through the spill
  }
  EXPECT_TRUE(modulePool->checkBucketTable());
  EXPECT_EQ(filesInSpillDirectory(), 0);
  // Every block given back comes out again, each once.
  std::vector<void*> out;
  for (int i = 0; i < BucketMemoryPool::initialBucketCapacity; ++i) {
    int capacity = 0;
    out.push_back(poolAlloc(pathCapacity, &capacity));
  }
  for (void* block : out) {
    int seen = 0;
    for (void* again : out) seen += again == block;
    EXPECT_EQ(seen, 1);
  }
  for (void*& block : out) poolFree(pathCapacity, &block);
}

}  // namespace
