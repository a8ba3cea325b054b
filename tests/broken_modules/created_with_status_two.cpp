// Broken rule: createInstance answers 1 when it hands over an object. Offered's factory makes the
// object but answers 2; the object is still the caller's to release, and says so through the
// error service when it is destroyed.
#include "core/class_factory.h"
#include "core/component.h"
#include "core/service_ptr.h"
#include "core/test_operation.h"
#include "text/orn_wstring.h"

namespace {
class IOffered : public virtual IOrnUnknown {
 public:
  static constexpr const char* lookupName = "IOffered";
  virtual int offered() = 0;
};

class Offered : public IOffered {
 public:
  static constexpr const char* classNameText = "Offered";
  ~Offered() override {
    SPtr<IOrnErrorService> errors;
    if (errors) errors->reportError(OrnWString("Offered destroyed"), 1, emptyExtra);
  }
  int offered() override { return 1; }
  bool queryInterface(const char* name, void** out, int) override {
    return queryClass(name, out, this, classNameText, false) ||
           queryInterfaceName(name, out, static_cast<IOffered*>(this), IOffered::lookupName);
  }
  const char* className() override { return classNameText; }
};

class StatusTwoFactory : public OrnItemFactory {
 public:
  using OrnItemFactory::OrnItemFactory;
  IOrnUnknown* create(int* status) override {
    *status = 2;
    return new Offered();
  }
};

StatusTwoFactory offeredFactory(OrnID(0x0B0B0006, 0x0002, 0x0001, {0, 0, 0, 0, 0, 0, 0, 2}),
                                Offered::classNameText);
}  // namespace

ORN_DEFINE_COMPONENT("broken_created_with_status_two",
                     OrnID(0x0B0B0006, 0x0001, 0x0001, {0, 0, 0, 0, 0, 0, 0, 1}),
                     {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16})
