#include <windows.h>

#include "platform/clock.h"

uint64_t platformPerformanceCounter() {
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);  // result code deliberately not looked at
  return static_cast<uint64_t>(counter.QuadPart);
}

uint32_t platformProcessId() { return static_cast<uint32_t>(GetCurrentProcessId()); }
