// runTests never returns.
#include "tests/hostile/hostile_component.h"

namespace {
class EndlessTests : public OrnBaseComponent {
 public:
  void runTests(IOrnTestService*) override { neverReturn(); }
};
}  // namespace

ORN_DEFINE_COMPONENT("hostile_endless_run_tests",
                     OrnID(0x0E0E0008, 0x0001, 0x0001, {0, 0, 0, 0, 0, 0, 0, 1}),
                     {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16})
ORN_HOSTILE_COMPONENT(EndlessTests)
