// HostSettings: the settings store ("IDataStore") read from INI-style files and KEY=VALUE pairs.
#ifndef ORN_HOST_SETTINGS_STORE_H_
#define ORN_HOST_SETTINGS_STORE_H_

#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "core/host.h"
#include "host/host_owned.h"

// A line of a settings file that was not taken, or a --set pair that was refused.
struct SettingsProblem {
  std::string file;  // the settings file, or "--set"
  int line;          // 1-based; 0 for --set
  std::string message;

  // "FILE:LINE: message", or "--set: message".
  std::string toString() const;
};

// Keys are "Section/Name": "Temp Directory" under "[Directories]" is "Directories/Temp
// Directory". Values are UTF-8 in files and on the command line, UTF-16 to modules.
// Values are filled before a module is loaded: stringValue hands out references into the store,
// which stay valid until the key is set again. Lookups are guarded by a mutex.
class HostSettings : public HostOwned<IDataStore> {
 public:
  static constexpr const char* classNameText = "HostSettings";
  static constexpr const char* tempDirectoryKey = "Directories/Temp Directory";

  // Starts with "Directories/Temp Directory" set to the system's temp directory.
  HostSettings();

  // Reads an INI-style file: "[Section]" lines, "name = value" lines, blank lines and comments
  // starting with ';' or '#'. Every line that is none of these is reported with its file and line
  // number and skipped; the good lines are kept. A name set twice is reported and the later value
  // kept. False when the file cannot be read or had problems.
  bool loadFile(const std::string& path, std::vector<SettingsProblem>* problems);
  // Reads the file's text as loadFile does; `name` stands for the file in problems.
  bool loadText(const std::string& text, const std::string& name,
                std::vector<SettingsProblem>* problems);
  // "KEY=VALUE" as given with --set. False (and a problem) without '=' or with an empty key.
  bool setPair(const std::string& pair, std::vector<SettingsProblem>* problems);
  void set(const std::string& key, const std::string& utf8Value);

  // The value as UTF-8; "" when not set.
  std::string value(const std::string& key) const;
  std::map<std::string, std::string> values() const;

  // IDataStore: the value under key; an empty string when not set or when it cannot be looked
  // up; never null, never throws. The key is looked up as it stands, without a copy.
  // flags unused.
  const OrnWString& stringValue(const char* key, int flags) noexcept override;

  bool queryInterface(const char* name, void** out, int options) noexcept override;
  const char* className() noexcept override { return classNameText; }

 private:
  struct Entry {
    std::string utf8;
    OrnWString wide;
  };
  mutable std::mutex mutex_;
  std::map<std::string, Entry, std::less<>> entries_;  // guarded by mutex_; nodes never move
  OrnWString empty_;
};

// The system's temp directory without a trailing separator (a root keeps its own).
std::string systemTempDirectory();

#endif  // ORN_HOST_SETTINGS_STORE_H_
