// Broken rule: classes create with count 0. Eager starts at 1, so the host's last release never
// destroys it.
#include "core/class_factory.h"
#include "core/component.h"

namespace {
class IEager : public virtual IOrnUnknown {
 public:
  static constexpr const char* lookupName = "IEager";
  virtual int eager() = 0;
};

class Eager : public IEager {
 public:
  static constexpr const char* classNameText = "Eager";
  Eager() { refCountField = 1; }
  int eager() override { return 1; }
  bool queryInterface(const char* name, void** out, int) override {
    return queryClass(name, out, this, classNameText, false) ||
           queryInterfaceName(name, out, static_cast<IEager*>(this), IEager::lookupName);
  }
  const char* className() override { return classNameText; }
};

ORN_REGISTER_CLASS(Eager, OrnID(0x0B0B0004, 0x0002, 0x0001, {0, 0, 0, 0, 0, 0, 0, 2}));
}  // namespace

ORN_DEFINE_COMPONENT("broken_created_at_one",
                     OrnID(0x0B0B0004, 0x0001, 0x0001, {0, 0, 0, 0, 0, 0, 0, 1}),
                     {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16})
