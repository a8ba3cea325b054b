#include "host/assert_handler.h"

#include "host/host_boundary.h"

void HostAssertHandler::setEcho(std::FILE* stream) { echo_.store(stream); }

void HostAssertHandler::setEchoText(std::function<std::string(const std::string&)> render) {
  std::lock_guard<std::mutex> guard(mutex_);
  render_ = std::move(render);
}

void HostAssertHandler::reportAssertion(const char* expression, const char* file,
                                        int line) noexcept {
  if (expression == nullptr) expression = "?";
  if (file == nullptr) file = "?";
  bool shown = false;  // set once printed, so the fallback never prints it twice
  hostBoundaryWith(
      [&] {
        AssertionReport report{expression, file, line};
        std::lock_guard<std::mutex> guard(mutex_);
        if (std::FILE* echo = echo_.load()) {
          const std::string shownExpression = render_ ? render_(expression) : expression;
          const std::string shownFile = render_ ? render_(file) : file;
          std::fprintf(echo, "module assertion failed: %s (%s:%d)\n", shownExpression.c_str(),
                       shownFile.c_str(), line);
          std::fflush(echo);
          shown = true;
        }
        assertions_.push_back(std::move(report));
      },
      [&]() noexcept {
        if (shown) return;
        std::FILE* stream = echo_.load();
        if (stream == nullptr) stream = stderr;  // not kept for later: printed now or never
        std::fprintf(stream, "module assertion failed: %s (%s:%d)\n", expression, file, line);
        std::fflush(stream);
      });
}

std::vector<AssertionReport> HostAssertHandler::assertions() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return assertions_;
}

size_t HostAssertHandler::assertionCount() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return assertions_.size();
}

bool HostAssertHandler::queryInterface(const char* name, void** out, int /*options*/) noexcept {
  return hostBoundary(false, [&] {
    return queryClass(name, out, this, classNameText, false) ||
           queryInterfaceName(name, out, static_cast<IOrnAssertHandlerCB*>(this),
                              IOrnAssertHandlerCB::lookupName);
  });
}
