// HostMemoryManager ("IOrnMManager"): holds a reserve of memory and gives it back in steps when a
// module runs short.
#ifndef ORN_HOST_MEMORY_MANAGER_H_
#define ORN_HOST_MEMORY_MANAGER_H_

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

#include "core/host.h"
#include "host/host_owned.h"

// The reserve is `steps` blocks of equal size, allocated and touched at construction so that the
// memory is really the process's. Each releaseMemory frees one block; it answers true while it
// freed something and false once the reserve is gone. A reserve that cannot be split into
// `steps` blocks covering it (it lies within `steps` bytes of the largest size) holds nothing.
// Figures count units of 24 KiB: coreUnits is the reserve still held, coreLimit the reserve at
// the start. Guarded by a mutex; coreUnits is
// written under it and read by modules without it.
class HostMemoryManager : public HostOwned<OrnMM::IOrnMManager> {
 public:
  static constexpr const char* classNameText = "HostMemoryManager";
  static constexpr int64_t unitBytes = 24 * 1024;

  // reserveBytes 0 holds nothing (releaseMemory answers false at once); steps at least 1.
  HostMemoryManager(size_t reserveBytes, int steps);
  ~HostMemoryManager() override;

  // Never throws; false also when the reserve cannot be reached.
  bool releaseMemory() noexcept override;
  int coreLimit() noexcept override;
  int swapLimit() noexcept override { return 0; }
  int swapInUse() noexcept override { return 0; }

  size_t reserveBytes() const;  // still held
  size_t initialBytes() const { return initialBytes_; }
  int stepsLeft() const;
  int releaseCalls() const;

  bool queryInterface(const char* name, void** out, int options) noexcept override;
  const char* className() noexcept override { return classNameText; }

 private:
  mutable std::mutex mutex_;
  std::vector<void*> blocks_;  // guarded by mutex_; freed from the back
  size_t blockBytes_ = 0;
  size_t initialBytes_ = 0;
  int releaseCalls_ = 0;  // guarded by mutex_
};

#endif  // ORN_HOST_MEMORY_MANAGER_H_
