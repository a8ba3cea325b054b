// Process id and the high-resolution performance counter.
#ifndef ORN_PLATFORM_CLOCK_H_
#define ORN_PLATFORM_CLOCK_H_

#include <cstdint>

// QueryPerformanceCounter on Windows; a monotonic nanosecond clock on Linux.
uint64_t platformPerformanceCounter();
// GetCurrentProcessId on Windows; getpid on Linux.
uint32_t platformProcessId();

#endif  // ORN_PLATFORM_CLOCK_H_
