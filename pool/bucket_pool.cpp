// STUB: replaced by the bucket pool.
#include "pool/bucket_pool.h"

#include <cstdlib>

BucketMemoryAllocator moduleAllocator;

void BucketMemoryAllocator::freeBlock(void* rawBlock) { std::free(rawBlock); }

void* makePoolBlock(int32_t n) {
  char* raw = static_cast<char*>(std::malloc(static_cast<size_t>(n) + poolHeaderSize));
  *reinterpret_cast<BucketMemoryAllocator**>(raw) = &moduleAllocator;
  return raw + poolHeaderSize;
}
