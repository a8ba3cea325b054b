#include "core/teardown.h"

#include <cstdlib>

#if defined(_WIN32)
// The C runtime's exit list of this binary: in a DLL it runs at unload.
void registerTeardown(void (*action)()) { std::atexit(action); }
#else
// The exit list of this binary, tied to it by its DSO handle: in a shared object it runs at
// unload (dlclose). Plain atexit does the same through the C library, but where atexit is
// intercepted (ThreadSanitizer) the action is filed under the main program instead and would run
// at process exit, after the unloaded module's code is gone.
extern "C" int __cxa_atexit(void (*function)(void*), void* argument, void* dso);
extern "C" void* __dso_handle;

namespace {
void runTeardown(void* action) { reinterpret_cast<void (*)()>(action)(); }
}  // namespace

void registerTeardown(void (*action)()) {
  __cxa_atexit(runTeardown, reinterpret_cast<void*>(action), &__dso_handle);
}
#endif
