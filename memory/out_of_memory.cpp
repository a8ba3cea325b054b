#include "memory/out_of_memory.h"

#include <cstdlib>

#include "core/host.h"
#include "core/service_ptr.h"
#include "core/test_operation.h"
#include "text/orn_wstring.h"
#include "translation/translator.h"

const char* const ubrOutOfMemoryText =
    "While running this function, you have run out of memory.\n"
    "The application will close. After restarting, please read\n"
    "the online help about \"Memory Optimization\".";

namespace {
constexpr int lowestFailureCode = ubrOtherFailure;
constexpr int highestFailureCode = ubrSpillOpenFailed;
constexpr int messageSeverity = 1;

// Set while this thread makes a report. Building the message needs memory too; when that fails,
// the nested report shows nothing instead of re-entering itself without end.
thread_local bool reporting = false;

class ReportingScope {
 public:
  ReportingScope() : nested_(reporting) { reporting = true; }
  ~ReportingScope() { reporting = nested_; }
  bool nested() const { return nested_; }

 private:
  bool nested_;
};
}  // namespace

void ubrOutOfMemoryMessage(OrnWString& out) {
  out = currentTranslator()->translate(ubrOutOfMemoryText);
}

bool ubrReportMemoryFailure(int code) {
  ReportingScope scope;
  if (scope.nested()) return false;
  SPtr<IOrnErrorService> errors;
  if (!errors) return false;
  if (code >= lowestFailureCode && code <= highestFailureCode) {
    OrnWString message;
    ubrOutOfMemoryMessage(message);
    const int severity = messageSeverity;
    errors->reportError(message, severity, emptyExtra);
  }
  return false;
}

bool ubrReportOrExit(int code) {
  if (!ubrReportMemoryFailure(code)) std::exit(-1);
  return true;
}

void ubrGiveUp(int code) {
  ubrReportOrExit(code);
  std::exit(-1);
}
