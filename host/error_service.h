// HostErrorService ("IOrnErrorService"): shows module messages on stderr with their severity and
// keeps them for the report.
#ifndef ORN_HOST_ERROR_SERVICE_H_
#define ORN_HOST_ERROR_SERVICE_H_

#include <atomic>
#include <cstdio>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "core/host.h"
#include "host/host_owned.h"

// One message a module reported.
struct ErrorReport {
  std::string message;  // as the module sent it, UTF-8
  std::string shown;    // as shown: in the host's language when the catalogue knows the text
  int severity;
  std::string extra;
};

// Reports may come from any thread: the list is guarded by a mutex. A report that cannot be kept
// (memory has run out) is still shown at once, on the echo stream or, for a quiet service, on
// stderr, and reportError answers 0; a kept report answers 1. Nothing leaves reportError.
class HostErrorService : public HostOwned<IOrnErrorService> {
 public:
  static constexpr const char* classNameText = "HostErrorService";

  // Maps a message (UTF-8) to the text shown; unset: shown as sent.
  void setDisplayTranslation(std::function<std::string(const std::string&)> translate);
  // Where messages are echoed as they arrive; null keeps them quiet (they are still kept).
  void setEcho(std::FILE* stream);
  // Called with each kept report as it arrives, echoed or not, on the reporting thread under the
  // service's lock: it must not throw or report. For a process that passes reports on at once.
  using ReportObserver = void (*)(const ErrorReport& report, bool echoed);
  void setReportObserver(ReportObserver observer);

  int reportError(const OrnWString& message, const int& severity,
                  const OrnString& extra) noexcept override;

  std::vector<ErrorReport> reports() const;
  size_t reportCount() const;
  void clearReports();

  bool queryInterface(const char* name, void** out, int options) noexcept override;
  const char* className() noexcept override { return classNameText; }

 private:
  // The report as it arrived, written without allocating: the road of a report not kept.
  void showUnkept(const OrnWString& message, int severity, const OrnString& extra) noexcept;

  mutable std::mutex mutex_;
  std::vector<ErrorReport> reports_;                          // guarded by mutex_
  std::function<std::string(const std::string&)> translate_;  // guarded by mutex_
  std::atomic<std::FILE*> echo_{stderr};
  std::atomic<ReportObserver> observer_{nullptr};
};

// "error", "warning" or "note" for the severities 1, 2 and 3; "severity N" otherwise.
std::string severityName(int severity);

#endif  // ORN_HOST_ERROR_SERVICE_H_
