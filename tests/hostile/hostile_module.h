// Start-up and EntryPoint of a hostile case whose component is the framework's own with some of
// its operations answering what no honest module would. Include once, in the case's source.
#ifndef ORN_TESTS_HOSTILE_HOSTILE_MODULE_H_
#define ORN_TESTS_HOSTILE_HOSTILE_MODULE_H_

#include "core/component.h"
#include "core/module_globals.h"

// Defines the module's start-up (NAME, an identifier and 16 descriptor bytes) and an EntryPoint
// that hands out a new COMPONENT, a class derived from OrnBaseComponent (count 0).
#define ORN_HOSTILE_MODULE(NAME, COMPONENT)                            \
  namespace {                                                          \
  struct HostileStartup {                                              \
    HostileStartup() {                                                 \
      static const OrnComponentDefinition definition{                  \
          NAME,                                                        \
          OrnID(0x0B0B1500, 0x0001, 0x0001, {0, 0, 0, 0, 0, 0, 0, 1}), \
          {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}};    \
      startModule(definition);                                         \
    }                                                                  \
  } hostileStartup;                                                    \
  }                                                                    \
  ORN_EXPORT int EntryPoint(int* version, IOrnComponent** component) { \
    if (version == nullptr || component == nullptr) return 0;          \
    *version = ornInterfaceVersion;                                    \
    *component = new COMPONENT();                                      \
    return 1;                                                          \
  }

#endif  // ORN_TESTS_HOSTILE_HOSTILE_MODULE_H_
