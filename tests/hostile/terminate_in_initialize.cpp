// initialize calls std::terminate.
#include <exception>

#include "tests/hostile/hostile_component.h"

namespace {
class Terminating : public OrnBaseComponent {
 public:
  void initialize(IOrnHost* host) override {
    OrnBaseComponent::initialize(host);
    std::terminate();
  }
};
}  // namespace

ORN_DEFINE_COMPONENT("hostile_terminate_in_initialize",
                     OrnID(0x0E0E000A, 0x0001, 0x0001, {0, 0, 0, 0, 0, 0, 0, 1}),
                     {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16})
ORN_HOSTILE_COMPONENT(Terminating)
