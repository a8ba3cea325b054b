// The spill: growth of a block through a temporary file, for when the heap cannot hold the old and
// the new block at once.
#ifndef ORN_MEMORY_SPILL_H_
#define ORN_MEMORY_SPILL_H_

#include <cstddef>

namespace OrnMM {
class IOrnMManager;
}

// How many fresh names the spill tries when something already exists at its path.
constexpr int spillNameAttempts = 8;

// Copies the oldBytes of *block out to a fresh spill file, frees the block, allocates newBytes
// (asking manager, the caller's call-local copy, when the heap refuses), reads the contents back
// and zeroes the bytes past them. Returns newCount with *block holding the new block; the file is
// gone. On any failure the user is told and the process ends with exit(-1); the spill file is
// deleted first. REQUIRES: 0 < oldBytes <= newBytes.
int spillRealloc(void** block, size_t oldBytes, size_t newBytes, int newCount,
                 OrnMM::IOrnMManager*& manager);

#endif  // ORN_MEMORY_SPILL_H_
