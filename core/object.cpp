#include "core/object.h"

#include <cstring>

#include "core/host.h"
#include "core/interface_names.h"

void IOrnUnknown::addRef() {
  if (moduleHost != nullptr) {
    moduleHost->addRefHook(&refCountField);
    return;
  }
  ++refCountField;
}

void IOrnUnknown::release() {
  if (moduleHost != nullptr) {
    if (moduleHost->releaseHook(&refCountField)) delete this;
    return;
  }
  if (--refCountField == 0) {
    refCountField = releasedMarker;
    delete this;
  }
}

int IOrnUnknown::refCount() { return refCountField; }

bool sameName(const char* a, const char* b) { return std::strcmp(a, b) == 0; }

bool queryClassView(const char* name, void** out, void* self, IOrnUnknown* selfUnknown,
                    const char* className, bool notListed) {
  if (name == nullptr) {
    if (notListed) return true;
    reportName(className, 1, static_cast<InterfaceNameCollector*>(static_cast<void*>(out)));
    return false;
  }
  if (out == nullptr) return false;  // nowhere to put a view
  *out = nullptr;
  if (sameName(name, className)) {
    *out = self;
  } else if (sameName(name, "IOrnUnknown")) {
    *out = selfUnknown;
  }
  return *out != nullptr;
}

bool queryInterfaceName(const char* name, void** out, void* view, const char* interfaceName) {
  if (name == nullptr) {
    reportName(interfaceName, 0, static_cast<InterfaceNameCollector*>(static_cast<void*>(out)));
    return false;
  }
  if (out == nullptr) return false;
  if (*out != nullptr) return true;
  if (sameName(name, interfaceName)) *out = view;
  return *out != nullptr;
}
