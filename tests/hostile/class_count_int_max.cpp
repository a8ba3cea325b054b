// classCount() says 2^31 - 1 while the walk lists one class: a count that overflows any
// arithmetic done on it in int.
#include <climits>

#include "hostile_module.h"
#include "plain_class.h"

namespace {
class Boasting : public OrnBaseComponent {
 public:
  int classCount() override { return INT_MAX; }
};

ORN_REGISTER_CLASS(PlainClass, OrnID(0x0B0B1501, 0x0002, 0x0001, {0, 0, 0, 0, 0, 0, 0, 2}));
}  // namespace

ORN_HOSTILE_MODULE("hostile_class_count_int_max", Boasting)
