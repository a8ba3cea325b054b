// nextClass() never answers false, and classCount() says 2^31 - 1 to match: a walk that would
// not end if the host followed the count.
#include <climits>

#include "hostile_module.h"
#include "plain_class.h"

namespace {
class Endless : public OrnBaseComponent {
 public:
  int classCount() override { return INT_MAX; }
  bool nextClass(OrnID& id) override {
    id.data1 += 1;  // a new, unregistered identifier each time
    return true;
  }
};

ORN_REGISTER_CLASS(PlainClass, OrnID(0x0B0B1503, 0x0002, 0x0001, {0, 0, 0, 0, 0, 0, 0, 2}));
}  // namespace

ORN_HOSTILE_MODULE("hostile_endless_class_walk", Endless)
