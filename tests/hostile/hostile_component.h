// For hostile modules: the framework's component with one operation replaced, and a loop that
// never ends.
#ifndef ORN_TESTS_HOSTILE_HOSTILE_COMPONENT_H_
#define ORN_TESTS_HOSTILE_HOSTILE_COMPONENT_H_

#include <new>

#include "core/component.h"
#include "core/module_globals.h"

template <class Component>
class HostileComponentFactory : public OrnBaseComponentFact {
 public:
  IOrnComponent* create() override { return new (std::nothrow) Component(); }
};

// Defined after ORN_DEFINE_COMPONENT (whose start-up runs first): EntryPoint hands out a
// Component, a class derived from OrnBaseComponent.
#define ORN_HOSTILE_COMPONENT(Component)                 \
  namespace {                                            \
  struct HostileComponentStartup {                       \
    HostileComponentStartup() {                          \
      static HostileComponentFactory<Component> factory; \
      componentFactory = &factory;                       \
    }                                                    \
  } hostileComponentStartup;                             \
  }

// Busy for ever: no system call a sandbox could cut short.
inline void neverReturn() {
  for (volatile unsigned spins = 0;; spins = spins + 1) {
  }
}

#endif  // ORN_TESTS_HOSTILE_HOSTILE_COMPONENT_H_
