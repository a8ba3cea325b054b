// classCount() says -7 while the walk lists one class.
#include "hostile_module.h"
#include "plain_class.h"

namespace {
class Negative : public OrnBaseComponent {
 public:
  int classCount() override { return -7; }
};

ORN_REGISTER_CLASS(PlainClass, OrnID(0x0B0B1502, 0x0002, 0x0001, {0, 0, 0, 0, 0, 0, 0, 2}));
}  // namespace

ORN_HOSTILE_MODULE("hostile_class_count_negative", Negative)
