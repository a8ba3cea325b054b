// EntryPoint writes through a null pointer.
#include "core/component.h"

ORN_EXPORT int EntryPoint(int*, IOrnComponent**) {
  int* volatile target = nullptr;
  *target = 1;
  return 0;
}
