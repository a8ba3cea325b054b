#include "component/example_counter.h"

#include "core/class_factory.h"

// One line registers the class with the module's class factory at load.
ORN_REGISTER_CLASS(ExampleCounter, exampleCounterId);

int32_t ExampleCounter::increment(int32_t step) {
  // Wraps around past either end, as a 32-bit counter does; step comes from the host.
  value_ = static_cast<int32_t>(static_cast<uint32_t>(value_) + static_cast<uint32_t>(step));
  return value_;
}
