// EntryPoint throws a std::runtime_error: its type and what() live in the module, which must
// stay loaded until the exception has been reported.
#include <stdexcept>

#include "core/component.h"

ORN_EXPORT int EntryPoint(int*, IOrnComponent**) {
  throw std::runtime_error("the module's own complaint");
}
