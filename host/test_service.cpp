#include "host/test_service.h"

#include "host/host_boundary.h"

void HostTestService::runTest(void* record) noexcept {
  hostBoundaryWith(
      [&] {
        std::lock_guard<std::mutex> guard(mutex_);
        payloads_.push_back(record);
      },
      [&]() noexcept { ++lostPayloads_; });
}

std::vector<void*> HostTestService::payloads() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return payloads_;
}

int64_t HostTestService::testsRun() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return static_cast<int64_t>(payloads_.size()) + lostPayloads_.load();
}
