#include "host/dir_service.h"

#include <cctype>
#include <string>

const OrnWString& HostDirService::directory(const char* name) {
  std::string lowered = name ? name : "";
  for (char& c : lowered) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (lowered == "temp") return settings_.stringValue(HostSettings::tempDirectoryKey, 0);
  return settings_.stringValue("", 0);
}

bool HostDirService::queryInterface(const char* name, void** out, int /*options*/) {
  return queryClass(name, out, this, classNameText, false) ||
         queryInterfaceName(name, out, static_cast<IOrnDirService*>(this),
                            IOrnDirService::lookupName);
}
