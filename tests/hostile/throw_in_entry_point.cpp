// EntryPoint throws an int, which is no std::exception.
#include "core/component.h"

ORN_EXPORT int EntryPoint(int*, IOrnComponent**) { throw 42; }
