// The process's and the system's real memory figures, for the host's heap-usage and
// memory-checker services.
#ifndef ORN_PLATFORM_PROCESS_MEMORY_H_
#define ORN_PLATFORM_PROCESS_MEMORY_H_

#include <cstdint>

// Bytes in use by the process's C runtime heap: glibc's allocated bytes (small blocks plus mapped
// blocks) on Linux, private committed bytes on Windows. Falls back to the resident set when the
// heap cannot be asked (for instance under a sanitizer). 0 when nothing can be read.
uint64_t platformHeapInUse();

// The process's resident set (working set on Windows), in bytes; 0 when it cannot be read.
uint64_t platformWorkingSet();

// The system's memory, in bytes. swapTotal and swapFree are the page file on Windows.
struct SystemMemory {
  uint64_t physicalTotal = 0;
  uint64_t physicalFree = 0;  // available to new allocations without swapping
  uint64_t swapTotal = 0;
  uint64_t swapFree = 0;
};

// Fills *out; false (and *out untouched) when the system cannot be asked.
bool platformSystemMemory(SystemMemory* out);

#endif  // ORN_PLATFORM_PROCESS_MEMORY_H_
