#include "host/error_service.h"

#include "host/host_boundary.h"
#include "host/wide_text.h"

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

void HostErrorService::setEcho(std::FILE* stream) { echo_.store(stream); }

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
          std::fprintf(echo, "module %s: %s%s%s\n", severityName(severity).c_str(),
                       report.shown.c_str(), report.extra.empty() ? "" : " ", report.extra.c_str());
          std::fflush(echo);
          shown = true;
        }
        if (ReportObserver observer = observer_.load()) observer(report, shown);
        reports_.push_back(std::move(report));
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
}

bool HostErrorService::queryInterface(const char* name, void** out, int /*options*/) noexcept {
  return hostBoundary(false, [&] {
    return queryClass(name, out, this, classNameText, false) ||
           queryInterfaceName(name, out, static_cast<IOrnErrorService*>(this),
                              IOrnErrorService::lookupName);
  });
}
