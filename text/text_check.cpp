#include "text/text_check.h"

#include <cstdlib>

#include "core/service_ptr.h"

void textCheckFailed(const char* expression, const char* file, int line) {
  SPtr<IOrnAssertHandlerCB> handler;
  if (!handler) std::exit(255);
  handler->reportAssertion(expression, file, line);
}
