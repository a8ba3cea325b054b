#include "memory/manager_retry.h"

#include "core/host.h"
#include "platform/heap.h"

void* retryWithManager(OrnMM::IOrnMManager*& manager, size_t bytes) {
  void* block = nullptr;
  while (manager != nullptr && block == nullptr) {
    if (!manager->releaseMemory()) {
      manager = nullptr;
    } else {
      block = platformMalloc(bytes);
    }
  }
  return block;
}
