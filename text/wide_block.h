// Pooled blocks for wide text: the one place where unit counts become pool requests.
#ifndef ORN_TEXT_WIDE_BLOCK_H_
#define ORN_TEXT_WIDE_BLOCK_H_

#include <cstdint>

// A pooled block for `units` 16-bit units; *capacity receives its granted size in bytes. The
// caller owns the block and gives it back with poolFree(*capacity, ...). Never returns null: a
// size that is negative or does not fit the pool's 32-bit request takes the out-of-memory road.
char16_t* allocWideUnits(int64_t units, int32_t* capacity);

#endif  // ORN_TEXT_WIDE_BLOCK_H_
