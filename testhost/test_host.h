// TestHost: a recording host for unit tests of modules. It offers services by name, records every
// name asked, and counts references through its hooks.
#ifndef ORN_TESTHOST_TEST_HOST_H_
#define ORN_TESTHOST_TEST_HOST_H_

#include <map>
#include <string>
#include <vector>

#include "core/host.h"

class TestHost : public IOrnHost {
 public:
  static constexpr const char* classNameText = "TestHost";

  // Offers `view` (the interface pointer the module receives) under name; null withdraws it.
  void offer(const std::string& name, void* view);
  template <class I>
  void offer(I* service) {
    offer(I::lookupName, static_cast<void*>(service));
  }
  // How often `name` was asked for.
  int requestCount(const std::string& name) const;

  int getService(const OrnString& name, void** out) override;
  int hostCode() override { return hostCodeValue; }
  void addRefHook(int* count) override;
  bool releaseHook(int* count) override;

  bool queryInterface(const char* name, void** out, int options) override;
  const char* className() override { return classNameText; }

  std::vector<std::string> requests;  // every name asked, in order
  int addRefHookCalls = 0;
  int releaseHookCalls = 0;
  bool releaseDestroys = true;  // false: releaseHook never answers true
  int hostCodeValue = 'H';

 private:
  std::map<std::string, void*> services_;
};

// A TestHost attached as moduleHost for the rest of the process: never destroyed, so the exit
// list's releases at process end still find it.
TestHost& attachTestHost();

#endif  // ORN_TESTHOST_TEST_HOST_H_
