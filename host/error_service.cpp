#include "host/error_service.h"

#include "host/wide_text.h"

std::string severityName(int severity) {
  switch (severity) {
    case 1: return "error";
    case 2: return "warning";
    case 3: return "note";
    default: return "severity " + std::to_string(severity);
  }
}

void HostErrorService::setDisplayTranslation(
    std::function<std::string(const std::string&)> translate) {
  std::lock_guard<std::mutex> guard(mutex_);
  translate_ = std::move(translate);
}

void HostErrorService::setEcho(std::FILE* stream) {
  std::lock_guard<std::mutex> guard(mutex_);
  echo_ = stream;
}

int HostErrorService::reportError(const OrnWString& message, const int& severity,
                                  const OrnString& extra) {
  ErrorReport report{toUtf8(message), "", severity, extra.c_str()};
  std::lock_guard<std::mutex> guard(mutex_);
  report.shown = translate_ ? translate_(report.message) : report.message;
  if (echo_ != nullptr) {
    std::fprintf(echo_, "module %s: %s%s%s\n", severityName(severity).c_str(),
                 report.shown.c_str(), report.extra.empty() ? "" : " ", report.extra.c_str());
    std::fflush(echo_);
  }
  reports_.push_back(std::move(report));
  return 1;
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

bool HostErrorService::queryInterface(const char* name, void** out, int /*options*/) {
  return queryClass(name, out, this, classNameText, false) ||
         queryInterfaceName(name, out, static_cast<IOrnErrorService*>(this),
                            IOrnErrorService::lookupName);
}
