#include "core/check.h"

#include <cstdlib>

#include "core/service_ptr.h"

namespace {
// The file's name without its directories.
const char* baseName(const char* path) {
  const char* name = path;
  for (const char* p = path; *p != 0; ++p) {
    if (*p == '/' || *p == '\\') name = p + 1;
  }
  return name;
}
}  // namespace

void reportFailedCheck(const char* expression, const char* file, int line) {
  SPtr<IOrnAssertHandlerCB> handler;
  if (!handler) std::exit(255);
  handler->reportAssertion(expression, baseName(file), line);
}
