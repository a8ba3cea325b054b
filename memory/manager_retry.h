// The memory-manager retry loop shared by guarded allocation and the spill.
#ifndef ORN_MEMORY_MANAGER_RETRY_H_
#define ORN_MEMORY_MANAGER_RETRY_H_

#include <cstddef>

namespace OrnMM {
class IOrnMManager;
}

// While manager is present and no block has come: asks it to release memory and, when it did,
// allocates bytes again. A manager with nothing more to give is dropped (manager becomes null)
// for the rest of the caller's call. Returns the block, or null once the manager is dropped.
// manager is the caller's call-local copy of ubrMemoryManager().
void* retryWithManager(OrnMM::IOrnMManager*& manager, size_t bytes);

#endif  // ORN_MEMORY_MANAGER_RETRY_H_
