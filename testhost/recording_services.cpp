#include "testhost/recording_services.h"

#include <cstdio>

std::string narrowForTest(const char16_t* text) {
  std::string out;
  if (text == nullptr) return out;
  for (const char16_t* p = text; *p != 0; ++p) {
    const unsigned u = *p;
    if (u < 0x80) {
      out += static_cast<char>(u);
    } else if (u < 0x800) {
      out += static_cast<char>(0xC0 | (u >> 6));
      out += static_cast<char>(0x80 | (u & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (u >> 12));
      out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (u & 0x3F));
    }
  }
  return out;
}

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
