#include <time.h>
#include <unistd.h>

#include "platform/clock.h"

uint64_t platformPerformanceCounter() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<uint64_t>(now.tv_sec) * 1000000000u + static_cast<uint64_t>(now.tv_nsec);
}

uint32_t platformProcessId() { return static_cast<uint32_t>(getpid()); }
