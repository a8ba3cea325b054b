// Broken rule: one shared count. TornObject answers "IOrnClcBinary" with a separate object that
// has an IOrnUnknown part, and a count, of its own.
#include <cstdint>

#include "core/class_factory.h"
#include "core/component.h"

namespace {
class ITorn : public virtual IOrnUnknown {
 public:
  static constexpr const char* lookupName = "ITorn";
  virtual int32_t torn() = 0;
};

// The separate object; owned by its TornObject.
class TearOff : public IOrnClcBinary {
 public:
  static constexpr const char* classNameText = "TearOff";
  int32_t version() override { return 1; }
  const uint8_t* data() override { return nullptr; }
  int32_t size() override { return 0; }
  bool queryInterface(const char* name, void** out, int) override {
    return queryClass(name, out, this, classNameText, false) ||
           queryInterfaceName(name, out, static_cast<IOrnClcBinary*>(this),
                              IOrnClcBinary::lookupName);
  }
  const char* className() override { return classNameText; }
};

class TornObject : public ITorn {
 public:
  static constexpr const char* classNameText = "TornObject";
  TornObject() : tearOff_(new TearOff()) {}
  ~TornObject() override { delete tearOff_; }
  int32_t torn() override { return 1; }
  bool queryInterface(const char* name, void** out, int) override {
    return queryClass(name, out, this, classNameText, false) ||
           queryInterfaceName(name, out, static_cast<ITorn*>(this), ITorn::lookupName) ||
           queryInterfaceName(name, out, static_cast<IOrnClcBinary*>(tearOff_),
                              IOrnClcBinary::lookupName);
  }
  const char* className() override { return classNameText; }

 private:
  TearOff* tearOff_;
};

ORN_REGISTER_CLASS(TornObject, OrnID(0x0B0B0002, 0x0002, 0x0001, {0, 0, 0, 0, 0, 0, 0, 2}));
}  // namespace

ORN_DEFINE_COMPONENT("broken_own_count_view",
                     OrnID(0x0B0B0002, 0x0001, 0x0001, {0, 0, 0, 0, 0, 0, 0, 1}),
                     {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16})
