// classCount() ends the process with status 3: the class walk of check and the inspection never
// come back. test never asks, so it runs to its end.
#include <cstdlib>

#include "tests/hostile/hostile_component.h"

namespace {
class QuitOnCount : public OrnBaseComponent {
 public:
  int classCount() override { std::exit(3); }
};
}  // namespace

ORN_DEFINE_COMPONENT("hostile_exit_three_in_class_walk",
                     OrnID(0x0E0E0003, 0x0001, 0x0001, {0, 0, 0, 0, 0, 0, 0, 1}),
                     {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16})
ORN_HOSTILE_COMPONENT(QuitOnCount)
