#include "core/teardown.h"

#include <cstdlib>

// The C runtime's exit list of this binary: in a shared object or DLL it runs at unload.
void registerTeardown(void (*action)()) { std::atexit(action); }
