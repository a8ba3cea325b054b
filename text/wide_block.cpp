#include "text/wide_block.h"

#include <cstdlib>

#include "memory/out_of_memory.h"
#include "pool/pool_binding.h"

char16_t* allocWideUnits(int64_t units, int32_t* capacity) {
  const int64_t bytes = units * 2;
  if (units < 0 || bytes > INT32_MAX) {
    ubrReportOrExit(ubrOutOfMemory);
    std::exit(-1);
  }
  int granted = 0;
  void* block = poolAlloc(static_cast<int>(bytes), &granted);
  *capacity = granted;
  return static_cast<char16_t*>(block);
}
