// Settings-side test services: a data store of wide values by key and a directory service, both
// counting what they are asked.
#ifndef ORN_TESTHOST_SETTINGS_SERVICES_H_
#define ORN_TESTHOST_SETTINGS_SERVICES_H_

#include <map>
#include <string>
#include <vector>

#include "core/host.h"

// A value kept by the test services: the text, and an OrnWString that either borrows it
// (capacity 0) or owns a pooled copy. Map nodes never move, so a borrowed text stays valid.
struct StoredWideValue {
  std::u16string text;
  OrnWString value;
};

// Data store ("IDataStore"): key -> value; a missing key answers an empty string.
class TestDataStore : public IDataStore {
 public:
  static constexpr const char* classNameText = "TestDataStore";

  // Stores text under key; owned: the value owns a pooled copy, else it borrows the text.
  void set(const std::string& key, const std::u16string& text, bool owned = false);
  // Stores a value with null text (not configured).
  void setNull(const std::string& key);

  const OrnWString& stringValue(const char* key, int flags) override;
  bool queryInterface(const char* name, void** out, int options) override;
  const char* className() override { return classNameText; }

  std::vector<std::string> keysAsked;
  std::vector<int> flagsPassed;

 private:
  std::map<std::string, StoredWideValue> values_;
  OrnWString missing_;
};

// Directory service ("IOrnDirService"): name -> directory; an unknown name answers an empty
// string.
class TestDirService : public IOrnDirService {
 public:
  static constexpr const char* classNameText = "TestDirService";

  void set(const std::string& name, const std::u16string& directory, bool owned = false);

  const OrnWString& directory(const char* name) override;
  bool queryInterface(const char* name, void** out, int options) override;
  const char* className() override { return classNameText; }

  std::vector<std::string> namesAsked;

 private:
  std::map<std::string, StoredWideValue> directories_;
  OrnWString missing_;
};

#endif  // ORN_TESTHOST_SETTINGS_SERVICES_H_
