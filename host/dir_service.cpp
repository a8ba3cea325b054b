#include "host/dir_service.h"

#include "host/host_boundary.h"

namespace {
// ASCII letters compared without case; name may be null.
bool sameIgnoringCase(const char* name, const char* lowerCase) {
  if (name == nullptr) return false;
  for (; *lowerCase != 0; ++name, ++lowerCase) {
    char c = *name;
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != *lowerCase) return false;
  }
  return *name == 0;
}
}  // namespace

const OrnWString& HostDirService::directory(const char* name) noexcept {
  // stringValue itself never throws and answers the empty string for a null key.
  if (sameIgnoringCase(name, "temp")) {
    return settings_.stringValue(HostSettings::tempDirectoryKey, 0);
  }
  return settings_.stringValue(nullptr, 0);
}

bool HostDirService::queryInterface(const char* name, void** out, int /*options*/) noexcept {
  return hostBoundary(false, [&] {
    return queryClass(name, out, this, classNameText, false) ||
           queryInterfaceName(name, out, static_cast<IOrnDirService*>(this),
                              IOrnDirService::lookupName);
  });
}
