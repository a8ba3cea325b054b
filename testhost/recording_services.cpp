#include "testhost/recording_services.h"

#include <cstdio>

#include "platform/utf.h"

std::string narrowForTest(const char16_t* text) { return utf8FromUtf16(text); }

int RecordingErrorService::reportError(const OrnWString& message, const int& severity,
                                       const OrnString& extra) {
  reports.push_back(Report{narrowForTest(message.text), severity, &extra});
  if (echoToStderr) {
    std::fprintf(stderr, "error service: %s\n", reports.back().message.c_str());
    std::fflush(stderr);
  }
  return 1;
}

bool RecordingErrorService::queryInterface(const char* name, void** out, int /*options*/) {
  return queryClass(name, out, this, classNameText, false) ||
         queryInterfaceName(name, out, static_cast<IOrnErrorService*>(this),
                            IOrnErrorService::lookupName);
}
