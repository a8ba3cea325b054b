// HostTestService: the test service a host hands to IOrnCompInternal::runTests.
#ifndef ORN_HOST_TEST_SERVICE_H_
#define ORN_HOST_TEST_SERVICE_H_

#include <mutex>
#include <vector>

#include "core/host.h"

// Keeps the payload of every test record the module hands over, in order. What a payload means
// is between a module and the host that runs it; this service only records. Guarded by a mutex.
class HostTestService : public IOrnTestService {
 public:
  HostTestService() = default;
  virtual ~HostTestService() = default;

  void runTest(void* record) override;
  std::vector<void*> payloads() const;

 private:
  mutable std::mutex mutex_;
  std::vector<void*> payloads_;  // guarded by mutex_
};

#endif  // ORN_HOST_TEST_SERVICE_H_
