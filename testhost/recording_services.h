// Recording host services for tests: an error service that keeps every report.
#ifndef ORN_TESTHOST_RECORDING_SERVICES_H_
#define ORN_TESTHOST_RECORDING_SERVICES_H_

#include <string>
#include <vector>

#include "core/host.h"

// Converts a wide text to UTF-8 (units above 0x7F become UTF-8 sequences); for assertions.
std::string narrowForTest(const char16_t* text);

class RecordingErrorService : public IOrnErrorService {
 public:
  static constexpr const char* classNameText = "RecordingErrorService";
  struct Report {
    std::string message;
    int severity;
    const OrnString* extra;
  };

  int reportError(const OrnWString& message, const int& severity, const OrnString& extra) override;
  bool queryInterface(const char* name, void** out, int options) override;
  const char* className() override { return classNameText; }

  std::vector<Report> reports;
  // Also writes every message to stderr, one "error service: <message>" block per report, so
  // that a death test sees what the user would have seen before the process ended.
  bool echoToStderr = false;
};

#endif  // ORN_TESTHOST_RECORDING_SERVICES_H_
