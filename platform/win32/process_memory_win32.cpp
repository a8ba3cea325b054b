// windows.h first: psapi.h uses its types.
// clang-format off
#include <windows.h>
#include <psapi.h>
// clang-format on

#include "platform/process_memory.h"

namespace {
bool processCounters(PROCESS_MEMORY_COUNTERS_EX* counters) {
  ZeroMemory(counters, sizeof *counters);
  counters->cb = sizeof *counters;
  return GetProcessMemoryInfo(GetCurrentProcess(),
                              reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(counters),
                              sizeof *counters) != 0;
}
}  // namespace

uint64_t platformWorkingSet() {
  PROCESS_MEMORY_COUNTERS_EX counters;
  return processCounters(&counters) ? counters.WorkingSetSize : 0;
}

uint64_t platformHeapInUse() {
  PROCESS_MEMORY_COUNTERS_EX counters;
  if (!processCounters(&counters)) return 0;
  return counters.PrivateUsage != 0 ? counters.PrivateUsage : counters.WorkingSetSize;
}

bool platformSystemMemory(SystemMemory* out) {
  MEMORYSTATUSEX status;
  ZeroMemory(&status, sizeof status);
  status.dwLength = sizeof status;
  if (!GlobalMemoryStatusEx(&status)) return false;
  SystemMemory figures;
  figures.physicalTotal = status.ullTotalPhys;
  figures.physicalFree = status.ullAvailPhys;
  // The commit limit includes physical memory; what lies beyond it is the page file.
  figures.swapTotal = status.ullTotalPageFile > status.ullTotalPhys
                          ? status.ullTotalPageFile - status.ullTotalPhys
                          : 0;
  figures.swapFree = status.ullAvailPageFile > status.ullAvailPhys
                         ? status.ullAvailPageFile - status.ullAvailPhys
                         : 0;
  *out = figures;
  return true;
}
