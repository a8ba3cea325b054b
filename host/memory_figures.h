// Heap usage ("IOrnHeapMemoryUsage") and memory checker ("IMemChecker") from the process's and
// the system's real figures.
#ifndef ORN_HOST_MEMORY_FIGURES_H_
#define ORN_HOST_MEMORY_FIGURES_H_

#include <cstddef>
#include <cstdint>

#include "core/host.h"
#include "host/host_owned.h"

// Stateless; callable from any thread.
class HostHeapUsage : public HostOwned<IOrnHeapMemoryUsage> {
 public:
  static constexpr const char* classNameText = "HostHeapUsage";
  // Bytes in use by the process's heap; 0 when they cannot be read.
  size_t heapInUse() noexcept override;
  bool queryInterface(const char* name, void** out, int options) noexcept override;
  const char* className() noexcept override { return classNameText; }
};

// Stateless; callable from any thread.
class HostMemChecker : public HostOwned<IMemChecker> {
 public:
  static constexpr const char* classNameText = "HostMemChecker";
  // True: the host's figures are to be used.
  bool useChecker() noexcept override { return true; }
  // Free and total physical memory and swap, each divided by divisor (1 when divisor is below 1),
  // saturated to int64. False, with nothing written, when the system cannot be asked or an
  // output pointer is null.
  bool memoryFigures(int64_t* free, int64_t* total, int64_t* swapFree, int64_t* swapTotal,
                     int64_t divisor) noexcept override;
  bool queryInterface(const char* name, void** out, int options) noexcept override;
  const char* className() noexcept override { return classNameText; }
};

#endif  // ORN_HOST_MEMORY_FIGURES_H_
