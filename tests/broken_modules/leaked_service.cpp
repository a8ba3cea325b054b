// Broken rule: service references are released. Each Hoarder takes the error service and never
// gives it back.
#include "core/class_factory.h"
#include "core/component.h"
#include "core/service_ptr.h"

namespace {
class IHoarder : public virtual IOrnUnknown {
 public:
  static constexpr const char* lookupName = "IHoarder";
  virtual int hoard() = 0;
};

class Hoarder : public IHoarder {
 public:
  static constexpr const char* classNameText = "Hoarder";
  Hoarder() { new SPtr<IOrnErrorService>(); }  // never deleted: its reference is never released
  int hoard() override { return 1; }
  bool queryInterface(const char* name, void** out, int) override {
    return queryClass(name, out, this, classNameText, false) ||
           queryInterfaceName(name, out, static_cast<IHoarder*>(this), IHoarder::lookupName);
  }
  const char* className() override { return classNameText; }
};

ORN_REGISTER_CLASS(Hoarder, OrnID(0x0B0B0005, 0x0002, 0x0001, {0, 0, 0, 0, 0, 0, 0, 2}));
}  // namespace

ORN_DEFINE_COMPONENT("broken_leaked_service",
                     OrnID(0x0B0B0005, 0x0001, 0x0001, {0, 0, 0, 0, 0, 0, 0, 1}),
                     {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16})
