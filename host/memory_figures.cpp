#include "host/memory_figures.h"

#include <limits>

#include "host/host_boundary.h"
#include "platform/process_memory.h"

namespace {
int64_t scaled(uint64_t bytes, int64_t divisor) {
  const uint64_t value = bytes / static_cast<uint64_t>(divisor);
  const uint64_t limit = static_cast<uint64_t>(std::numeric_limits<int64_t>::max());
  return static_cast<int64_t>(value > limit ? limit : value);
}
}  // namespace

size_t HostHeapUsage::heapInUse() noexcept {
  return hostBoundary(size_t{0}, [] {
    const uint64_t bytes = platformHeapInUse();
    const uint64_t limit = std::numeric_limits<size_t>::max();
    return static_cast<size_t>(bytes > limit ? limit : bytes);
  });
}

bool HostHeapUsage::queryInterface(const char* name, void** out, int /*options*/) noexcept {
  return hostBoundary(false, [&] {
    return queryClass(name, out, this, classNameText, false) ||
           queryInterfaceName(name, out, static_cast<IOrnHeapMemoryUsage*>(this),
                              IOrnHeapMemoryUsage::lookupName);
  });
}

bool HostMemChecker::memoryFigures(int64_t* free, int64_t* total, int64_t* swapFree,
                                   int64_t* swapTotal, int64_t divisor) noexcept {
  if (free == nullptr || total == nullptr || swapFree == nullptr || swapTotal == nullptr) {
    return false;
  }
  return hostBoundary(false, [&] {
    SystemMemory memory;
    if (!platformSystemMemory(&memory)) return false;
    if (divisor < 1) divisor = 1;
    *free = scaled(memory.physicalFree, divisor);
    *total = scaled(memory.physicalTotal, divisor);
    *swapFree = scaled(memory.swapFree, divisor);
    *swapTotal = scaled(memory.swapTotal, divisor);
    return true;
  });
}

bool HostMemChecker::queryInterface(const char* name, void** out, int /*options*/) noexcept {
  return hostBoundary(false, [&] {
    return queryClass(name, out, this, classNameText, false) ||
           queryInterfaceName(name, out, static_cast<IMemChecker*>(this), IMemChecker::lookupName);
  });
}
