#include "pool/pool_check.h"

#include <cstdlib>

#include "core/host.h"
#include "core/service_ptr.h"

void reportPoolCheckFailure(const char* expression, const char* file, int line) {
  SPtr<IOrnAssertHandlerCB> handler;
  if (!handler) std::exit(255);
  handler->reportAssertion(expression, file, line);
}
