#include "host/error_service.h"

#include <algorithm>
#include <cstdlib>

#include "host/host_boundary.h"
#include "host/wide_text.h"

namespace {
// The services alive now, for the exit hook. Never destroyed: services may outlive main.
struct LiveServices {
  std::mutex mutex;
  std::vector<HostErrorService*> services;  // guarded by mutex
};
LiveServices& liveServices() {
  static LiveServices* live = new LiveServices();
  return *live;
}
void showQuietReportsAtExit() {
  LiveServices& live = liveServices();
  std::unique_lock<std::mutex> guard(live.mutex, std::try_to_lock);
  if (!guard.owns_lock()) return;  // exit called while a service is being made or destroyed
  for (HostErrorService* service : live.services) service->showQuietReports(stderr);
}
}  // namespace

HostErrorService::HostErrorService() {
  static const bool hooked = (std::atexit(showQuietReportsAtExit), true);
  (void)hooked;
  LiveServices& live = liveServices();
  std::lock_guard<std::mutex> guard(live.mutex);
  live.services.push_back(this);
}

HostErrorService::~HostErrorService() {
  LiveServices& live = liveServices();
  std::lock_guard<std::mutex> guard(live.mutex);
  live.services.erase(std::remove(live.services.begin(), live.services.end(), this),
                      live.services.end());
}

std::string severityName(int severity) {
  switch (severity) {
    case 1:
      return "error";
    case 2:
      return "warning";
    case 3:
      return "note";
    default:
      return "severity " + std::to_string(severity);
  }
}

void HostErrorService::setDisplayTranslation(
    std::function<std::string(const std::string&)> translate) {
  std::lock_guard<std::mutex> guard(mutex_);
  translate_ = std::move(translate);
}

void HostErrorService::setEcho(std::FILE* stream) {
  std::lock_guard<std::mutex> guard(mutex_);
  if (stream != nullptr) handedOver_ = reports_.size();
  echo_.store(stream);
}

void HostErrorService::setEchoText(std::function<std::string(const std::string&)> render) {
  std::lock_guard<std::mutex> guard(mutex_);
  render_ = std::move(render);
}

void HostErrorService::writeReport(std::FILE* stream, const ErrorReport& report) const {
  const std::string shown = render_ ? render_(report.shown) : report.shown;
  const std::string extra = render_ && !report.extra.empty() ? render_(report.extra) : report.extra;
  std::fprintf(stream, "module %s: %s%s%s\n", severityName(report.severity).c_str(), shown.c_str(),
               extra.empty() ? "" : " ", extra.c_str());
}

void HostErrorService::showQuietReports(std::FILE* stream) noexcept {
  std::unique_lock<std::mutex> guard(mutex_, std::try_to_lock);
  if (!guard.owns_lock()) return;  // exit called from inside a report: nothing safe to do
  try {
    for (; handedOver_ < reports_.size(); ++handedOver_) writeReport(stream, reports_[handedOver_]);
  } catch (...) {
    // Out of memory while rendering: what was written stays written.
  }
  std::fflush(stream);
}

void HostErrorService::setReportObserver(ReportObserver observer) { observer_.store(observer); }

int HostErrorService::reportError(const OrnWString& message, const int& severity,
                                  const OrnString& extra) noexcept {
  bool shown = false;  // set once the echo is written, so the fallback never shows it twice
  return hostBoundaryWith(
      [&] {
        ErrorReport report{toUtf8(message), "", severity, extra.c_str()};
        std::lock_guard<std::mutex> guard(mutex_);
        report.shown = translate_ ? translate_(report.message) : report.message;
        if (std::FILE* echo = echo_.load()) {
          writeReport(echo, report);
          std::fflush(echo);
          shown = true;
        }
        ReportObserver observer = observer_.load();
        if (observer != nullptr) observer(report, shown);
        reports_.push_back(std::move(report));
        // Echoed, or passed on by the observer: the exit hook must not write it a second time.
        if (shown || observer != nullptr) handedOver_ = reports_.size();
        return 1;
      },
      [&]() noexcept {
        if (!shown) showUnkept(message, severity, extra);
        return 0;
      });
}

void HostErrorService::showUnkept(const OrnWString& message, int severity,
                                  const OrnString& extra) noexcept {
  std::FILE* stream = echo_.load();
  if (stream == nullptr) stream = stderr;  // not kept for a later report: shown now or never
  switch (severity) {
    case 1:
      std::fputs("module error: ", stream);
      break;
    case 2:
      std::fputs("module warning: ", stream);
      break;
    case 3:
      std::fputs("module note: ", stream);
      break;
    default:
      std::fprintf(stream, "module severity %d: ", severity);
      break;
  }
  writeUtf8(stream, message.text);
  if (extra.c_str()[0] != 0) {
    std::fputc(' ', stream);
    std::fputs(extra.c_str(), stream);
  }
  std::fputc('\n', stream);
  std::fflush(stream);
}

std::vector<ErrorReport> HostErrorService::reports() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return reports_;
}

size_t HostErrorService::reportCount() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return reports_.size();
}

void HostErrorService::clearReports() {
  std::lock_guard<std::mutex> guard(mutex_);
  reports_.clear();
  handedOver_ = 0;
}

bool HostErrorService::queryInterface(const char* name, void** out, int /*options*/) noexcept {
  return hostBoundary(false, [&] {
    return queryClass(name, out, this, classNameText, false) ||
           queryInterfaceName(name, out, static_cast<IOrnErrorService*>(this),
                              IOrnErrorService::lookupName);
  });
}
