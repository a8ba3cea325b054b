// Broken rule: the enumeration agrees with queryInterface. Boaster lists "IPhantom", which its
// queryInterface refuses.
#include "core/class_factory.h"
#include "core/component.h"
#include "core/interface_names.h"

namespace {
class IBoaster : public virtual IOrnUnknown {
 public:
  static constexpr const char* lookupName = "IBoaster";
  virtual int boast() = 0;
};

class Boaster : public IBoaster {
 public:
  static constexpr const char* classNameText = "Boaster";
  int boast() override { return 1; }
  bool queryInterface(const char* name, void** out, int) override {
    const bool found =
        queryClass(name, out, this, classNameText, false) ||
        queryInterfaceName(name, out, static_cast<IBoaster*>(this), IBoaster::lookupName);
    if (name == nullptr) {
      reportName("IPhantom", 0, static_cast<InterfaceNameCollector*>(static_cast<void*>(out)));
    }
    return found;
  }
  const char* className() override { return classNameText; }
};

ORN_REGISTER_CLASS(Boaster, OrnID(0x0B0B0003, 0x0002, 0x0001, {0, 0, 0, 0, 0, 0, 0, 2}));
}  // namespace

ORN_DEFINE_COMPONENT("broken_disagreeing_enumeration",
                     OrnID(0x0B0B0003, 0x0001, 0x0001, {0, 0, 0, 0, 0, 0, 0, 1}),
                     {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16})
