#include "memory/out_of_memory.h"

#include <cstddef>
#include <cstdlib>

#include "core/host.h"
#include "core/service_ptr.h"
#include "core/test_operation.h"
#include "text/orn_wstring.h"
#include "translation/translator.h"

namespace {
constexpr char outOfMemoryText[] =
    "While running this function, you have run out of memory.\n"
    "The application will close. After restarting, please read\n"
    "the online help about \"Memory Optimization\".";

// The same text widened in static storage: shown as it stands when memory has run out even for
// building the translated message.
template <size_t N>
struct StaticWideText {
  char16_t units[N];
};
template <size_t N>
constexpr StaticWideText<N> widen(const char (&text)[N]) {
  StaticWideText<N> wide{};
  for (size_t i = 0; i < N; ++i) wide.units[i] = static_cast<unsigned char>(text[i]);
  return wide;
}
constexpr StaticWideText<sizeof(outOfMemoryText)> untranslatedText = widen(outOfMemoryText);
}  // namespace

const char* const ubrOutOfMemoryText = outOfMemoryText;

namespace {
constexpr int lowestFailureCode = ubrOtherFailure;
constexpr int highestFailureCode = ubrSpillOpenFailed;
constexpr int messageSeverity = 1;

// Set while this thread makes a report. Building the message needs memory too; when that fails,
// the nested report shows the untranslated text, which needs none, instead of re-entering itself
// without end (the process then ends before the outer report shows anything).
thread_local bool reporting = false;
// Set once this thread's report has handed a message to the host: a nested report adds nothing.
thread_local bool messageSent = false;

class ReportingScope {
 public:
  ReportingScope() : nested_(reporting) { reporting = true; }
  ~ReportingScope() { reporting = nested_; }
  bool nested() const { return nested_; }

 private:
  bool nested_;
};

void send(IOrnErrorService* errors, const OrnWString& message) {
  const int severity = messageSeverity;
  messageSent = true;
  errors->reportError(message, severity, emptyExtra);
}

void showUntranslatedMessage() {
  SPtr<IOrnErrorService> errors;
  if (!errors) return;
  OrnWString message;
  message.assignText(untranslatedText.units, 0);  // borrowed: takes no memory
  send(errors.get(), message);
}
}  // namespace

void ubrOutOfMemoryMessage(OrnWString& out) {
  out = currentTranslator()->translate(ubrOutOfMemoryText);
}

bool ubrReportMemoryFailure(int code) {
  ReportingScope scope;
  if (scope.nested()) {
    if (!messageSent) showUntranslatedMessage();
    return false;
  }
  messageSent = false;
  SPtr<IOrnErrorService> errors;
  if (!errors) return false;
  if (code >= lowestFailureCode && code <= highestFailureCode) {
    OrnWString message;
    ubrOutOfMemoryMessage(message);
    send(errors.get(), message);
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
