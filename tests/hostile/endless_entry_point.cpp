// EntryPoint never returns.
#include "tests/hostile/hostile_component.h"

ORN_EXPORT int EntryPoint(int*, IOrnComponent**) {
  neverReturn();
  return 0;
}
