#include "host/orn_host.h"

void OrnHostApp::offer(const std::string& name, void* view) {
  if (view == nullptr) {
    services_.erase(name);
  } else {
    services_[name] = view;
  }
}

int OrnHostApp::getService(const OrnString& name, void** out) {
  auto it = services_.find(name.c_str());
  if (it == services_.end()) return 0;
  *out = it->second;
  return 1;
}

void OrnHostApp::addRefHook(int* count) {
  __atomic_add_fetch(count, 1, __ATOMIC_ACQ_REL);
}

bool OrnHostApp::releaseHook(int* count) {
  return __atomic_sub_fetch(count, 1, __ATOMIC_ACQ_REL) == 0;
}

bool OrnHostApp::queryInterface(const char* name, void** out, int /*options*/) {
  return queryClass(name, out, this, classNameText, false) ||
         queryInterfaceName(name, out, static_cast<IOrnHost*>(this), IOrnHost::lookupName);
}
