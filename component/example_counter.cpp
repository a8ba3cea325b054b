#include "component/example_counter.h"

#include "core/class_factory.h"

// One line registers the class with the module's class factory at load.
ORN_REGISTER_CLASS(ExampleCounter, exampleCounterId);

int32_t ExampleCounter::increment(int32_t step) {
  value_ += step;
  return value_;
}

bool ExampleCounter::queryInterface(const char* name, void** out, int /*options*/) {
  return queryClass(name, out, this, classNameText, false) ||
         queryInterfaceName(name, out, static_cast<IExampleCounter*>(this),
                            IExampleCounter::lookupName);
}
