// The module's exit list, run when the host unloads it, ends the process with status 0.
#include <cstdlib>

#include "core/component.h"

namespace {
struct QuitAtUnload {
  ~QuitAtUnload() { std::exit(0); }
} quitAtUnload;
}  // namespace

ORN_DEFINE_COMPONENT("hostile_exit_in_unload",
                     OrnID(0x0E0E000B, 0x0001, 0x0001, {0, 0, 0, 0, 0, 0, 0, 1}),
                     {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16})
