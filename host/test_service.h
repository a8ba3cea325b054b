// HostTestService: the test service a host hands to IOrnCompInternal::runTests.
#ifndef ORN_HOST_TEST_SERVICE_H_
#define ORN_HOST_TEST_SERVICE_H_

#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

#include "core/host.h"

// Keeps the payload of every test record the module hands over, in order. What a payload means
// is between a module and the host that runs it; this service only records. Guarded by a mutex.
// runTest never throws: a payload that cannot be kept (memory has run out) is only counted.
class HostTestService : public IOrnTestService {
 public:
  HostTestService() = default;
  virtual ~HostTestService() = default;

  void runTest(void* record) noexcept override;
  std::vector<void*> payloads() const;
  // Tests run whose payload could not be kept.
  int64_t lostPayloads() const { return lostPayloads_.load(); }
  // Every test run: kept payloads and lost ones.
  int64_t testsRun() const;

 private:
  mutable std::mutex mutex_;
  std::vector<void*> payloads_;  // guarded by mutex_
  std::atomic<int64_t> lostPayloads_{0};
};

#endif  // ORN_HOST_TEST_SERVICE_H_
