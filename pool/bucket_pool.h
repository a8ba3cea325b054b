// BucketMemoryPool: recycles blocks by size class; shared field by field between host and modules.
#ifndef ORN_POOL_BUCKET_POOL_H_
#define ORN_POOL_BUCKET_POOL_H_

#include <cstddef>
#include <cstdint>

#include "core/object.h"

// Frees the raw memory of blocks whose header names it. One per module (moduleAllocator), alive
// from load to process end. freeBlock runs under the owning module's poolLock.
class BucketMemoryAllocator {
 public:
  virtual ~BucketMemoryAllocator() = default;
  // rawBlock is the header's address (one pointer-sized word before the usable bytes).
  virtual void freeBlock(void* rawBlock);
};

// The allocator named in the header of every block this module makes.
extern BucketMemoryAllocator moduleAllocator;

// Size of the header word in front of every pooled block.
constexpr int32_t poolHeaderSize = static_cast<int32_t>(sizeof(void*));

// One free block on a bucket's stack.
struct PoolEntry {
  int32_t size;  // the class's rounded size
  void* block;   // usable bytes (just past the header)
};

// A LIFO free stack of one size class. Entries 1..top; index 0 unused. Made with new.
struct PoolBucket {
  int32_t capacity;
  PoolEntry* entries;  // ubrMalloc storage, zero-filled; grows with ubrRealloc; freed with free
  int32_t top;
};

// Marker interface under which a pool is offered ("IBucketMemoryPool").
class IBucketMemoryPool : public virtual IOrnUnknown {
 public:
  static constexpr const char* lookupName = "IBucketMemoryPool";
  ~IBucketMemoryPool() override = default;
};

// Maps a request size to its bucket index and rounded size with the pool's three parameters.
struct PoolSizeClass {
  int32_t index;
  int32_t rounded;
};

// The pool's own operations, in the slot order a host calls them. As the pool's first
// (non-virtual) base it puts these three at the head of the table that begins the object;
// without it the marker interface's destructor entries would come first.
class BucketPoolOperations {
 public:
  virtual bool purge() = 0;
  virtual void* allocate(int32_t size, int32_t* capacity) = 0;
  virtual bool deallocate(int32_t capacity, void** block) = 0;

 protected:
  ~BucketPoolOperations() = default;  // destroyed only as a BucketMemoryPool
};

// Layout and slot order shared with the host: own table (purge, allocate, deallocate), then the
// fields below in order. Guarded by poolLock of the module that built it (allocate, deallocate);
// purge and destruction take no lock. Lives while references exist.
class BucketMemoryPool : public BucketPoolOperations, public virtual IBucketMemoryPool {
 public:
  static constexpr const char* classNameText = "BucketMemoryPool";
  static constexpr int32_t initialBucketCount = 2050;
  static constexpr int32_t initialBucketCapacity = 9;
  // The size-class parameters every pool is built with.
  static constexpr int32_t granularityDefault = 4;
  static constexpr int32_t granularityShiftDefault = 2;  // log2 of granularityDefault
  static constexpr int32_t linearLimitDefault = 8192;
  static constexpr int32_t maxPooledSizeDefault = 262144;

  // Builds an empty pool and installs it as modulePool, taking over the free blocks of a
  // compatible installed pool and releasing that pool once. Adds no reference of its own.
  BucketMemoryPool();

  // Hands every free block back to the allocator in its header; the table stays, all slots null.
  bool purge() override;
  // A block of at least size usable bytes; *capacity receives its usable capacity. A negative
  // size is reported to the assertion handler and served as 0.
  void* allocate(int32_t size, int32_t* capacity) override;
  // Files *block under the class of capacity and nulls *block. False (nothing kept, *block
  // untouched) for a null block or a capacity of 0 or below.
  bool deallocate(int32_t capacity, void** block) override;

  // Purges; a pool destroyed while still installed as modulePool also uninstalls itself.
  ~BucketMemoryPool() override;
  // Answers "BucketMemoryPool", "IOrnUnknown", "IBucketMemoryPool"; a null name reports the
  // class name, then the interface name, into the InterfaceNameCollector at out.
  bool queryInterface(const char* name, void** out, int options) override;
  const char* className() override { return classNameText; }

  // allocate and deallocate for a caller that already holds poolLock (the module's binding, on
  // a pool whose code is this module's). Same results, no locking of their own.
  void* allocateLocked(int32_t size, int32_t* capacity);
  bool deallocateLocked(int32_t capacity, void** block);

  // A size below 0 maps like 0.
  PoolSizeClass sizeClass(int32_t size) const;
  // Grows the bucket table so that slot index exists (new slots null).
  void growTable(int32_t index);
  // Pushes (rounded, block) onto the bucket of index, creating the bucket when missing. Caller
  // holds poolLock.
  void pushFree(int32_t index, int32_t rounded, void* block);
  // Invariant check of the bucket table: every bucket a well-formed stack whose entries belong to
  // its class. Reports the first broken rule to the assertion handler; true when all hold. Run by
  // the debug build after every change to the table's shape.
  bool checkBucketTable() const;

  int32_t bucketCount;
  PoolBucket** buckets;
  int32_t granularity;
  int32_t linearLimit;
  int32_t maxPooledSize;
};

// True while a bucket table or a bucket's stack of this binary is being grown (see
// bucket_pool.cpp). Caller holds poolLock.
bool poolTablesGrowing();

// A new raw block with usable capacity n, header naming moduleAllocator. A capacity that cannot
// be represented with the header added takes the out-of-memory road; never returns null.
void* makePoolBlock(int32_t n);
// Hands the raw memory of block (usable bytes) to the allocator named in its header.
void freePoolBlock(void* block);

// The layout that a separately built host reads field by field, pinned for both targets
// (4-byte pointers on Windows, 8 on Linux x86-64).
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
#endif
static_assert(offsetof(PoolEntry, size) == 0 && offsetof(PoolEntry, block) == sizeof(void*) &&
                  sizeof(PoolEntry) == 2 * sizeof(void*),
              "PoolEntry: {size, block}");
static_assert(offsetof(PoolBucket, capacity) == 0 &&
                  offsetof(PoolBucket, entries) == sizeof(void*) &&
                  offsetof(PoolBucket, top) == 2 * sizeof(void*) &&
                  sizeof(PoolBucket) == 3 * sizeof(void*),
              "PoolBucket: {capacity, entries, top}");
// The pool's own table pointer comes first, then (Microsoft C++ ABI) the pointer to its
// virtual-base offsets, then its fields; the shared IOrnUnknown part (table pointer and count)
// follows them.
#if defined(_MSC_VER)
#define ORN_POOL_FIELDS_AT (2 * sizeof(void*))
#else
#define ORN_POOL_FIELDS_AT sizeof(void*)
#endif
static_assert(
    offsetof(BucketMemoryPool, bucketCount) == ORN_POOL_FIELDS_AT &&
        offsetof(BucketMemoryPool, buckets) == ORN_POOL_FIELDS_AT + sizeof(void*) &&
        offsetof(BucketMemoryPool, granularity) == ORN_POOL_FIELDS_AT + 2 * sizeof(void*) &&
        offsetof(BucketMemoryPool, linearLimit) == ORN_POOL_FIELDS_AT + 2 * sizeof(void*) + 4 &&
        offsetof(BucketMemoryPool, maxPooledSize) == ORN_POOL_FIELDS_AT + 2 * sizeof(void*) + 8,
    "BucketMemoryPool: {table, [virtual-base offsets,] bucketCount, buckets, "
    "granularity, linearLimit, maxPooledSize}");
#undef ORN_POOL_FIELDS_AT
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
static_assert(poolHeaderSize == sizeof(void*), "one pointer-sized header word per block");

#endif  // ORN_POOL_BUCKET_POOL_H_
