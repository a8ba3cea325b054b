// Objects of its class answer NAME_COUNT interface names (set per module) and enumerate them
// all; each is found in constant time, so the time a check takes is the host's.
#include <string>
#include <unordered_set>
#include <vector>

#include "core/class_factory.h"
#include "core/interface_names.h"
#include "hostile_module.h"

namespace {
// Built on first use, never destroyed while the module is loaded.
const std::vector<std::string>& names() {
  static const std::vector<std::string>* list = [] {
    auto* made = new std::vector<std::string>();
    made->reserve(NAME_COUNT);
    for (int i = 0; i < NAME_COUNT; ++i) made->push_back("IName" + std::to_string(i));
    return made;
  }();
  return *list;
}

const std::unordered_set<std::string>& nameSet() {
  static const auto* set = new std::unordered_set<std::string>(names().begin(), names().end());
  return *set;
}

class ManyNames : public IOrnUnknown {
 public:
  static constexpr const char* classNameText = "ManyNames";
  bool queryInterface(const char* name, void** out, int) override {
    if (name == nullptr) {
      auto* collector = reinterpret_cast<InterfaceNameCollector*>(out);
      reportName(classNameText, 1, collector);
      for (const std::string& n : names()) reportName(n.c_str(), 0, collector);
      return false;
    }
    if (queryClass(name, out, this, classNameText, false)) return true;
    if (out != nullptr) *out = nullptr;
    if (nameSet().count(name) == 0) return false;
    if (out != nullptr) *out = static_cast<IOrnUnknown*>(this);
    return true;
  }
  const char* className() override { return classNameText; }
};

ORN_REGISTER_CLASS(ManyNames, OrnID(0x0B0B1506, 0x0002, 0x0001, {0, 0, 0, 0, 0, 0, 0, 2}));
}  // namespace

ORN_HOSTILE_MODULE("hostile_many_names", OrnBaseComponent)
