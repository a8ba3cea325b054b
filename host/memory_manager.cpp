#include "host/memory_manager.h"

#include <cstdlib>
#include <cstring>

#include "host/host_boundary.h"

namespace {
int toUnits(size_t bytes) {
  return static_cast<int>(bytes / static_cast<size_t>(HostMemoryManager::unitBytes));
}
}  // namespace

HostMemoryManager::HostMemoryManager(size_t reserveBytes, int steps) {
  if (steps < 1) steps = 1;
  if (reserveBytes == 0) return;
  const size_t count = static_cast<size_t>(steps);
  // Rounded up without adding first: the sum would wrap near the largest size and give blocks of
  // 0 bytes, each "released" while freeing nothing.
  blockBytes_ = reserveBytes / count + (reserveBytes % count != 0 ? 1 : 0);
  if (blockBytes_ > SIZE_MAX / count) {  // the blocks together would pass the largest size
    blockBytes_ = 0;
    return;
  }
  for (int i = 0; i < steps; ++i) {
    void* block = std::malloc(blockBytes_);
    if (block == nullptr) break;  // a smaller reserve is still a reserve
    std::memset(block, 0xA5, blockBytes_);
    blocks_.push_back(block);
  }
  initialBytes_ = blocks_.size() * blockBytes_;
  coreUnits = toUnits(initialBytes_);
}

HostMemoryManager::~HostMemoryManager() {
  for (void* block : blocks_) std::free(block);
}

bool HostMemoryManager::releaseMemory() noexcept {
  return hostBoundary(false, [&] {
    std::lock_guard<std::mutex> guard(mutex_);
    ++releaseCalls_;
    if (blocks_.empty()) return false;
    std::free(blocks_.back());
    blocks_.pop_back();
    coreUnits = toUnits(blocks_.size() * blockBytes_);
    return true;
  });
}

int HostMemoryManager::coreLimit() noexcept { return toUnits(initialBytes_); }

size_t HostMemoryManager::reserveBytes() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return blocks_.size() * blockBytes_;
}

int HostMemoryManager::stepsLeft() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return static_cast<int>(blocks_.size());
}

int HostMemoryManager::releaseCalls() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return releaseCalls_;
}

bool HostMemoryManager::queryInterface(const char* name, void** out, int /*options*/) noexcept {
  return hostBoundary(false, [&] {
    return queryClass(name, out, this, classNameText, false) ||
           queryInterfaceName(name, out, static_cast<OrnMM::IOrnMManager*>(this),
                              OrnMM::IOrnMManager::lookupName);
  });
}
