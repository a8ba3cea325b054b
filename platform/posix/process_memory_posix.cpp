#include <malloc.h>
#include <sys/sysinfo.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "platform/process_memory.h"

namespace {
// A "Key:   1234 kB" line of a /proc file, in bytes; 0 when absent.
uint64_t procKiB(const char* file, const char* key) {
  std::FILE* f = std::fopen(file, "r");
  if (f == nullptr) return 0;
  char line[256];
  const size_t keyLength = std::strlen(key);
  uint64_t value = 0;
  while (std::fgets(line, sizeof line, f) != nullptr) {
    if (std::strncmp(line, key, keyLength) == 0 && line[keyLength] == ':') {
      unsigned long long kib = 0;
      if (std::sscanf(line + keyLength + 1, "%llu", &kib) == 1) value = kib * 1024;
      break;
    }
  }
  std::fclose(f);
  return value;
}
}  // namespace

uint64_t platformWorkingSet() { return procKiB("/proc/self/status", "VmRSS"); }

uint64_t platformHeapInUse() {
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 33))
  const struct mallinfo2 info = mallinfo2();
  const uint64_t inUse = static_cast<uint64_t>(info.uordblks) + info.hblkhd;
  if (inUse != 0) return inUse;
#endif
  return platformWorkingSet();
}

bool platformSystemMemory(SystemMemory* out) {
  struct sysinfo info {};
  if (sysinfo(&info) != 0) return false;
  const uint64_t unit = info.mem_unit ? info.mem_unit : 1;
  SystemMemory figures;
  figures.physicalTotal = info.totalram * unit;
  // MemAvailable counts reclaimable cache; freeram alone would understate what is usable.
  const uint64_t available = procKiB("/proc/meminfo", "MemAvailable");
  figures.physicalFree = available != 0 ? available : info.freeram * unit;
  figures.swapTotal = info.totalswap * unit;
  figures.swapFree = info.freeswap * unit;
  *out = figures;
  return true;
}
