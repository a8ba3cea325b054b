// HostAssertHandler ("IOrnAssertHandlerCB"): told of failed internal checks of a module; prints
// them and counts them. Execution goes on.
#ifndef ORN_HOST_ASSERT_HANDLER_H_
#define ORN_HOST_ASSERT_HANDLER_H_

#include <atomic>
#include <cstdio>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "core/host.h"
#include "host/host_owned.h"

struct AssertionReport {
  std::string expression;
  std::string file;
  int line;
};

// Reports may come from any thread: the list is guarded by a mutex. An assertion that cannot be
// kept (memory has run out) is still printed, on the echo stream or, when quiet, on stderr.
class HostAssertHandler : public HostOwned<IOrnAssertHandlerCB> {
 public:
  static constexpr const char* classNameText = "HostAssertHandler";

  // Where assertions are printed as they arrive; null keeps them quiet (they are still kept).
  void setEcho(std::FILE* stream);
  // Renders the module's texts (expression, file) for the echo, e.g. to escape control
  // characters; unset: as they stand.
  void setEchoText(std::function<std::string(const std::string&)> render);

  // Null texts are shown as "?".
  void reportAssertion(const char* expression, const char* file, int line) noexcept override;

  std::vector<AssertionReport> assertions() const;
  size_t assertionCount() const;

  bool queryInterface(const char* name, void** out, int options) noexcept override;
  const char* className() noexcept override { return classNameText; }

 private:
  mutable std::mutex mutex_;
  std::vector<AssertionReport> assertions_;                // guarded by mutex_
  std::function<std::string(const std::string&)> render_;  // guarded by mutex_
  std::atomic<std::FILE*> echo_{stderr};
};

#endif  // ORN_HOST_ASSERT_HANDLER_H_
