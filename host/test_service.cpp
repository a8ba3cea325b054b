#include "host/test_service.h"

void HostTestService::runTest(void* record) {
  std::lock_guard<std::mutex> guard(mutex_);
  payloads_.push_back(record);
}

std::vector<void*> HostTestService::payloads() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return payloads_;
}
