// A static initialiser ends the process with status 0 while the system loader is still loading
// the module.
#include <cstdlib>

#include "core/component.h"

namespace {
struct QuitAtLoad {
  QuitAtLoad() { std::exit(0); }
} quitAtLoad;
}  // namespace

ORN_DEFINE_COMPONENT("hostile_exit_while_loading",
                     OrnID(0x0E0E0002, 0x0001, 0x0001, {0, 0, 0, 0, 0, 0, 0, 1}),
                     {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16})
