#include "testhost/settings_services.h"

namespace {

void store(std::map<std::string, StoredWideValue>& into, const std::string& key,
           const std::u16string& text, bool owned) {
  StoredWideValue& slot = into[key];
  slot.text = text;
  slot.value.assignText(slot.text.c_str(), owned ? -1 : 0);
}

const OrnWString& lookUp(const std::map<std::string, StoredWideValue>& in, const char* key,
                         const OrnWString& missing) {
  auto it = in.find(key ? key : "");
  return it == in.end() ? missing : it->second.value;
}

}  // namespace

void TestDataStore::set(const std::string& key, const std::u16string& text, bool owned) {
  store(values_, key, text, owned);
}

void TestDataStore::setNull(const std::string& key) { values_[key].value.assignText(nullptr, 0); }

const OrnWString& TestDataStore::stringValue(const char* key, int flags) {
  keysAsked.emplace_back(key ? key : "");
  flagsPassed.push_back(flags);
  return lookUp(values_, key, missing_);
}

bool TestDataStore::queryInterface(const char* name, void** out, int /*options*/) {
  return queryClass(name, out, this, classNameText, false) ||
         queryInterfaceName(name, out, static_cast<IDataStore*>(this), IDataStore::lookupName);
}

void TestDirService::set(const std::string& name, const std::u16string& directory, bool owned) {
  store(directories_, name, directory, owned);
}

const OrnWString& TestDirService::directory(const char* name) {
  namesAsked.emplace_back(name ? name : "");
  return lookUp(directories_, name, missing_);
}

bool TestDirService::queryInterface(const char* name, void** out, int /*options*/) {
  return queryClass(name, out, this, classNameText, false) ||
         queryInterfaceName(name, out, static_cast<IOrnDirService*>(this),
                            IOrnDirService::lookupName);
}
