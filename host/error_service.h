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
// Reports kept while quiet belong to whoever made the service quiet, once it gives the echo back;
// when the process ends before that (a module that gives up calls exit), they are written to
// stderr on the way out, so that the last thing a module said is seen.
class HostErrorService : public HostOwned<IOrnErrorService> {
 public:
  static constexpr const char* classNameText = "HostErrorService";

  HostErrorService();
  ~HostErrorService() override;
  HostErrorService(const HostErrorService&) = delete;
  HostErrorService& operator=(const HostErrorService&) = delete;

  // Maps a message (UTF-8) to the text shown; unset: shown as sent.
  void setDisplayTranslation(std::function<std::string(const std::string&)> translate);
  // Where messages are echoed as they arrive; null keeps them quiet (they are still kept). Giving
  // a stream back hands the reports kept while quiet to the caller.
  void setEcho(std::FILE* stream);
  // Renders the shown text of a report for the echo and for the reports written at exit (e.g.
  // to escape control characters); unset: as it stands.
  void setEchoText(std::function<std::string(const std::string&)> render);
  // Writes the reports kept while quiet, not yet handed over, to stream, and hands them over.
  // Run for every live service when the process exits.
  void showQuietReports(std::FILE* stream) noexcept;
  // Called with each kept report as it arrives, echoed or not, on the reporting thread under the
  // service's lock: it must not throw or report. For a process that passes reports on at once;
  // a report the observer saw counts as handed over (the exit hook does not write it again).
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
  // "module SEVERITY: SHOWN EXTRA", rendered. REQUIRES: mutex_ held. May throw (memory).
  void writeReport(std::FILE* stream, const ErrorReport& report) const;
  // The report as it arrived, written without allocating: the road of a report not kept.
  void showUnkept(const OrnWString& message, int severity, const OrnString& extra) noexcept;

  mutable std::mutex mutex_;
  std::vector<ErrorReport> reports_;                          // guarded by mutex_
  std::function<std::string(const std::string&)> translate_;  // guarded by mutex_
  std::function<std::string(const std::string&)> render_;     // guarded by mutex_
  size_t handedOver_ = 0;  // reports_ before this are shown or the caller's; guarded by mutex_
  std::atomic<std::FILE*> echo_{stderr};
  std::atomic<ReportObserver> observer_{nullptr};
};

// "error", "warning" or "note" for the severities 1, 2 and 3; "severity N" otherwise.
std::string severityName(int severity);

#endif  // ORN_HOST_ERROR_SERVICE_H_
