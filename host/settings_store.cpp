#include "host/settings_store.h"

#include <filesystem>
#include <set>
#include <sstream>

#include "host/host_boundary.h"
#include "host/text_file.h"
#include "host/wide_text.h"

namespace {
// A value may be quoted to keep leading or trailing blanks: "  x  ".
std::string unquote(const std::string& value) {
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
    return value.substr(1, value.size() - 2);
  }
  return value;
}
}  // namespace

std::string SettingsProblem::toString() const {
  if (line <= 0) return file + ": " + message;
  return file + ":" + std::to_string(line) + ": " + message;
}

std::string systemTempDirectory() {
  std::error_code error;
  std::filesystem::path dir = std::filesystem::temp_directory_path(error);
  if (error || dir.empty()) {
#if defined(_WIN32)
    return "C:\\Windows\\Temp";
#else
    return "/tmp";
#endif
  }
  std::string text = dir.string();
  while (text.size() > 1 && (text.back() == '/' || text.back() == '\\') &&
         !(text.size() == 3 && text[1] == ':')) {
    text.pop_back();
  }
  return text;
}

HostSettings::HostSettings() {
  empty_.assignNarrow("");
  set(tempDirectoryKey, systemTempDirectory());
}

void HostSettings::set(const std::string& key, const std::string& utf8Value) {
  std::lock_guard<std::mutex> guard(mutex_);
  Entry& entry = entries_[key];
  entry.utf8 = utf8Value;
  entry.wide = makeWide(utf8Value);
}

bool HostSettings::setPair(const std::string& pair, std::vector<SettingsProblem>* problems) {
  const size_t eq = pair.find('=');
  const std::string key = eq == std::string::npos ? "" : trimBlanks(pair.substr(0, eq));
  if (eq == std::string::npos || key.empty()) {
    problems->push_back({"--set", 0, "expected KEY=VALUE, got '" + pair + "'"});
    return false;
  }
  std::u16string check;
  if (!fromUtf8(key, &check)) {
    problems->push_back({"--set", 0, "a key that is not valid UTF-8: '" + key + "'"});
    return false;
  }
  const std::string value = pair.substr(eq + 1);
  if (!fromUtf8(value, &check)) {
    problems->push_back({"--set", 0, "the value of '" + key + "' is not valid UTF-8"});
    return false;
  }
  if (pair.find('\0') != std::string::npos) {
    problems->push_back({"--set", 0, "the pair for '" + key + "' contains a NUL byte"});
    return false;
  }
  set(key, value);
  return true;
}

bool HostSettings::loadFile(const std::string& path, std::vector<SettingsProblem>* problems) {
  std::string text;
  std::string why;
  if (!readTextFile(path, &text, &why)) {
    problems->push_back({path, 0, "cannot read the settings file: it " + why});
    return false;
  }
  return loadText(text, path, problems);
}

bool HostSettings::loadText(const std::string& text, const std::string& name,
                            std::vector<SettingsProblem>* problems) {
  const size_t before = problems->size();
  std::istringstream in(text);
  std::string raw;
  std::string section;
  std::set<std::string> seen;
  int lineNumber = 0;
  while (std::getline(in, raw)) {
    ++lineNumber;
    if (lineNumber == 1 && raw.compare(0, 3, "\xEF\xBB\xBF") == 0) raw.erase(0, 3);  // BOM
    const std::string line = trimBlanks(raw);
    if (line.empty() || line[0] == ';' || line[0] == '#') continue;
    const auto problem = [&](const std::string& message) {
      problems->push_back({name, lineNumber, message});
    };
    std::u16string check;
    if (!fromUtf8(line, &check)) {
      problem("not valid UTF-8");
      continue;
    }
    if (line.find('\0') != std::string::npos) {
      problem("contains a NUL byte");  // a module would see the value cut short there
      continue;
    }
    if (line[0] == '[') {
      if (line.back() != ']') {
        problem("section header without closing ']'");
        continue;
      }
      const std::string title = trimBlanks(line.substr(1, line.size() - 2));
      if (title.empty()) {
        problem("empty section name");
        continue;
      }
      section = title;
      continue;
    }
    const size_t eq = line.find('=');
    if (eq == std::string::npos) {
      problem("expected 'name = value' or '[section]', got '" + line + "'");
      continue;
    }
    const std::string keyName = trimBlanks(line.substr(0, eq));
    if (keyName.empty()) {
      problem("a value without a name");
      continue;
    }
    const std::string key = section.empty() ? keyName : section + "/" + keyName;
    if (!seen.insert(key).second) problem("'" + key + "' is set again; the later value is kept");
    set(key, unquote(trimBlanks(line.substr(eq + 1))));
  }
  return problems->size() == before;
}

std::string HostSettings::value(const std::string& key) const {
  std::lock_guard<std::mutex> guard(mutex_);
  auto it = entries_.find(key);
  return it == entries_.end() ? std::string() : it->second.utf8;
}

std::map<std::string, std::string> HostSettings::values() const {
  std::lock_guard<std::mutex> guard(mutex_);
  std::map<std::string, std::string> out;
  for (const auto& [key, entry] : entries_) out[key] = entry.utf8;
  return out;
}

const OrnWString& HostSettings::stringValue(const char* key, int /*flags*/) noexcept {
  if (key == nullptr) return empty_;
  return *hostBoundary(&empty_, [&] {
    std::lock_guard<std::mutex> guard(mutex_);
    auto it = entries_.find(key);
    return it == entries_.end() ? &empty_ : &it->second.wide;
  });
}

bool HostSettings::queryInterface(const char* name, void** out, int /*options*/) noexcept {
  return hostBoundary(false, [&] {
    return queryClass(name, out, this, classNameText, false) ||
           queryInterfaceName(name, out, static_cast<IDataStore*>(this), IDataStore::lookupName);
  });
}
