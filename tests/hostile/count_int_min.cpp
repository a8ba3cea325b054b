// Objects of its class say their count is -2^31 and ignore every release: arithmetic on the
// count in int overflows, and the object is never destroyed.
#include <climits>

#include "core/class_factory.h"
#include "hostile_module.h"

namespace {
class Undying : public IOrnUnknown {
 public:
  static constexpr const char* classNameText = "Undying";
  int refCount() override { return INT_MIN; }
  void release() override {}
  bool queryInterface(const char* name, void** out, int) override {
    return queryClass(name, out, this, classNameText, false);
  }
  const char* className() override { return classNameText; }
};

ORN_REGISTER_CLASS(Undying, OrnID(0x0B0B1507, 0x0002, 0x0001, {0, 0, 0, 0, 0, 0, 0, 2}));
}  // namespace

ORN_HOSTILE_MODULE("hostile_count_int_min", OrnBaseComponent)
