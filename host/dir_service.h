// HostDirService ("IOrnDirService"): named directories; "temp" is the settings' temp directory.
#ifndef ORN_HOST_DIR_SERVICE_H_
#define ORN_HOST_DIR_SERVICE_H_

#include "core/host.h"
#include "host/host_owned.h"
#include "host/settings_store.h"

// Reads the settings store on every call, so it follows later changes of the settings. The
// returned string lives in the settings store (see HostSettings::stringValue).
class HostDirService : public HostOwned<IOrnDirService> {
 public:
  static constexpr const char* classNameText = "HostDirService";

  explicit HostDirService(HostSettings& settings) : settings_(settings) {}

  // "temp" (any letter case): the temp directory; any other name: an empty string. Never
  // allocates, never throws.
  const OrnWString& directory(const char* name) noexcept override;

  bool queryInterface(const char* name, void** out, int options) noexcept override;
  const char* className() noexcept override { return classNameText; }

 private:
  HostSettings& settings_;
};

#endif  // ORN_HOST_DIR_SERVICE_H_
