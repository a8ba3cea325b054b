// EntryPoint recurses until the stack is gone.
#include "core/component.h"

namespace {
volatile int bottom = -1;  // never reached: depth only grows

// Each frame keeps a buffer the next call reads, so the recursion is neither a loop nor a tail
// call.
int deeper(int depth) {
  if (depth == bottom) return 0;
  volatile char frame[1024];
  frame[depth % sizeof frame] = static_cast<char>(depth);
  return deeper(depth + 1) + frame[(depth + 1) % sizeof frame];
}
}  // namespace

ORN_EXPORT int EntryPoint(int*, IOrnComponent**) { return deeper(0); }
