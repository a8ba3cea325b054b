// STUB: replaced by the out-of-memory notification.
#include "memory/out_of_memory.h"

#include <cstdlib>

#include "text/orn_wstring.h"

const char* const ubrOutOfMemoryText =
    "While running this function, you have run out of memory.\n"
    "The application will close. After restarting, please read\n"
    "the online help about \"Memory Optimization\".";

void ubrOutOfMemoryMessage(OrnWString& out) { out.assignNarrow(ubrOutOfMemoryText); }
bool ubrReportMemoryFailure(int) { return false; }
bool ubrReportOrExit(int code) {
  if (!ubrReportMemoryFailure(code)) std::exit(-1);
  return true;
}
