// Test seam of host_tests: this test executable replaces the global operator new and delete (the
// library never does), so that a test can make the host's C++ allocations throw std::bad_alloc
// as they do when the process is out of memory. Until a test arms it, every request is served.
#ifndef ORN_HOST_FAILING_ALLOCATIONS_TEST_SUPPORT_H_
#define ORN_HOST_FAILING_ALLOCATIONS_TEST_SUPPORT_H_

#include <cstdint>

// After `allowed` more successful requests, every operator new throws until stopped. The process
// exit stops it as well, so that teardown code never sees a refusal.
void failAllocationsAfter(int64_t allowed);
void stopFailingAllocations();
// Requests refused since the process started.
int64_t refusedAllocations();

// Every operator new throws while the scope is open.
class FailingAllocationsScope {
 public:
  explicit FailingAllocationsScope(int64_t allowed = 0) { failAllocationsAfter(allowed); }
  ~FailingAllocationsScope() { stopFailingAllocations(); }
  FailingAllocationsScope(const FailingAllocationsScope&) = delete;
  FailingAllocationsScope& operator=(const FailingAllocationsScope&) = delete;
};

#endif  // ORN_HOST_FAILING_ALLOCATIONS_TEST_SUPPORT_H_
