#include "testhost/test_host.h"

void TestHost::offer(const std::string& name, void* view) {
  if (view == nullptr) {
    services_.erase(name);
  } else {
    services_[name] = view;
  }
}

int TestHost::requestCount(const std::string& name) const {
  int n = 0;
  for (const std::string& asked : requests) n += asked == name ? 1 : 0;
  return n;
}

int TestHost::getService(const OrnString& name, void** out) {
  const std::string asked = name.c_str();
  requests.push_back(asked);
  auto it = services_.find(asked);
  if (it == services_.end()) return 0;
  *out = it->second;
  return 1;
}

void TestHost::addRefHook(int* count) {
  ++addRefHookCalls;
  ++*count;
}

bool TestHost::releaseHook(int* count) {
  ++releaseHookCalls;
  --*count;
  return releaseDestroys && *count == 0;
}

bool TestHost::queryInterface(const char* name, void** out, int /*options*/) {
  return queryClass(name, out, this, classNameText, false) ||
         queryInterfaceName(name, out, static_cast<IOrnHost*>(this), IOrnHost::lookupName);
}

TestHost& attachTestHost() {
  static TestHost* host = new TestHost();
  moduleHost = host;
  return *host;
}
