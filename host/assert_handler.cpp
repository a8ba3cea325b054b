#include "host/assert_handler.h"

void HostAssertHandler::setEcho(std::FILE* stream) {
  std::lock_guard<std::mutex> guard(mutex_);
  echo_ = stream;
}

void HostAssertHandler::reportAssertion(const char* expression, const char* file, int line) {
  AssertionReport report{expression ? expression : "?", file ? file : "?", line};
  std::lock_guard<std::mutex> guard(mutex_);
  if (echo_ != nullptr) {
    std::fprintf(echo_, "module assertion failed: %s (%s:%d)\n", report.expression.c_str(),
                 report.file.c_str(), line);
    std::fflush(echo_);
  }
  assertions_.push_back(std::move(report));
}

std::vector<AssertionReport> HostAssertHandler::assertions() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return assertions_;
}

size_t HostAssertHandler::assertionCount() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return assertions_.size();
}

bool HostAssertHandler::queryInterface(const char* name, void** out, int /*options*/) {
  return queryClass(name, out, this, classNameText, false) ||
         queryInterfaceName(name, out, static_cast<IOrnAssertHandlerCB*>(this),
                            IOrnAssertHandlerCB::lookupName);
}
