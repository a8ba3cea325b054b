// Shared by the pool's tests: a recording assertion handler and the exit codes of death tests.
#ifndef ORN_POOL_POOL_TEST_SUPPORT_H_
#define ORN_POOL_POOL_TEST_SUPPORT_H_

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/host.h"
#include "testhost/test_host.h"

// Keeps every failed check it is told of. Offer it with offerTo, which also takes the host's
// reference, so the service pointers' releases never destroy it.
class RecordingAssertHandler : public IOrnAssertHandlerCB {
 public:
  static constexpr const char* classNameText = "RecordingAssertHandler";
  void reportAssertion(const char* expression, const char* file, int line) override {
    expressions.push_back(expression ? expression : "");
    (void)file;
    (void)line;
  }
  bool queryInterface(const char* name, void** out, int) override {
    return queryClass(name, out, this, classNameText, false) ||
           queryInterfaceName(name, out, static_cast<IOrnAssertHandlerCB*>(this),
                              IOrnAssertHandlerCB::lookupName);
  }
  const char* className() override { return classNameText; }
  void offerTo(TestHost& host) {
    addRef();
    host.offer<IOrnAssertHandlerCB>(this);
  }
  std::vector<std::string> expressions;
};

// exit(-1) and exit(255) as a death test sees them: wine reports -1 as -1.
inline testing::ExitedWithCode exitedWithMinusOne() {
#ifdef _WIN32
  return testing::ExitedWithCode(-1);
#else
  return testing::ExitedWithCode(255);
#endif
}
inline testing::ExitedWithCode exitedWith255() { return testing::ExitedWithCode(255); }

#endif  // ORN_POOL_POOL_TEST_SUPPORT_H_
