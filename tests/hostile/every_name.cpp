// Objects of its class answer every interface name with themselves, even names of interfaces
// they do not implement, and answer the enumeration request as if it were a name.
#include "core/class_factory.h"
#include "hostile_module.h"

namespace {
class AnswersEverything : public IOrnUnknown {
 public:
  static constexpr const char* classNameText = "AnswersEverything";
  bool queryInterface(const char*, void** out, int) override {
    if (out != nullptr) *out = this;
    return true;
  }
  const char* className() override { return classNameText; }
};

ORN_REGISTER_CLASS(AnswersEverything, OrnID(0x0B0B1505, 0x0002, 0x0001, {0, 0, 0, 0, 0, 0, 0, 2}));
}  // namespace

ORN_HOSTILE_MODULE("hostile_every_name", OrnBaseComponent)
