// Broken rule: the interface version. EntryPoint hands out a good component but reports 99.
#include "core/component.h"

namespace {
struct Startup {
  Startup() {
    static const OrnComponentDefinition definition{
        "broken_wrong_version",
        OrnID(0x0B0B0001, 0x0001, 0x0001, {0, 0, 0, 0, 0, 0, 0, 1}),
        {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}};
    startModule(definition);
  }
} startup;
}  // namespace

ORN_EXPORT int EntryPoint(int* version, IOrnComponent** component) {
  const int result = ornEntryPoint(version, component);
  if (result != 0) *version = 99;
  return result;
}
