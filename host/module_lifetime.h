// ModuleLifetimeScope: marks what a module allocates for its whole life while the scope is open.
#ifndef ORN_HOST_MODULE_LIFETIME_H_
#define ORN_HOST_MODULE_LIFETIME_H_

#include "platform/config.h"

#if defined(ORN_ADDRESS_SANITIZER)
#include <sanitizer/lsan_interface.h>
#endif

// A module never frees its start-up objects, its class cursor or its test list; once it is
// unloaded they are unreachable. A host opens this scope around the calls that build them (the
// load, the first class walk, runTests), and the checks open it around the classes they create,
// so that LeakSanitizer does not report a module's memory as the host's leak (the checks report
// what a module leaks). Does nothing in other builds. Per thread.
class ModuleLifetimeScope {
 public:
#if defined(ORN_ADDRESS_SANITIZER)
  ModuleLifetimeScope() { __lsan_disable(); }
  ~ModuleLifetimeScope() { __lsan_enable(); }
#else
  ModuleLifetimeScope() {}
#endif
  ModuleLifetimeScope(const ModuleLifetimeScope&) = delete;
  ModuleLifetimeScope& operator=(const ModuleLifetimeScope&) = delete;
};

#endif  // ORN_HOST_MODULE_LIFETIME_H_
