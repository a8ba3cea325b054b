// The child's side of the module's process: the channel to the parent and what goes on it.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <nlohmann/json.hpp>

#include "host/module_phase.h"
#include "orn-host/module_process.h"
#include "platform/child_process.h"

namespace {
// The channel to the parent. Never destroyed: reports may come from the module's threads until
// the process ends.
ChildChannelWriter& channel() {
  static ChildChannelWriter* writer = new ChildChannelWriter();
  return *writer;
}

// Out of memory, an event is lost (here and in the two below); the parent still learns how the
// process ended.
void send(const nlohmann::json& event) noexcept {
  try {
    channel().writeLine(event.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
  } catch (...) {
  }
}

void sendPhase(const char* phase) {
  try {
    send({{"phase", phase}});
  } catch (...) {
  }
}

void sendReport(const ErrorReport& report, bool echoed) {
  try {
    send({{"report",
           {{"message", report.message},
            {"shown", report.shown},
            {"severity", report.severity},
            {"extra", report.extra},
            {"echoed", echoed}}}});
  } catch (...) {
  }
}

[[noreturn]] void onTerminate() {
  const char* phase = currentModulePhase();
  std::fprintf(stderr,
               "orn-host: std::terminate was called during %s: an exception nothing caught, or "
               "one thrown out of a function that must not throw\n",
               phase ? phase : "start-up");
  std::fflush(stderr);
  std::abort();
}
}  // namespace

bool beginModuleProcess(const std::string& number, std::string* error) {
  if (!channel().open(number)) {
    *error = "--as-module-process: '" + number + "' is not the number of a channel";
    return false;
  }
  platformQuietFaults();
  std::set_terminate(onTerminate);
  setModulePhaseObserver(sendPhase);
  return true;
}

void passOnReports(HostErrorService& errors) { errors.setReportObserver(sendReport); }

void finishModuleProcess(int status) {
  std::fflush(stdout);
  std::fflush(stderr);
  send({{"finished", status}});
}

int reportUncaughtException(const HostCommandOptions& options, const char* what) {
  const char* phase = currentModulePhase();
  if (phase == nullptr) {
    reportCommandError(options, what ? what : "an exception that is not a std::exception");
    return exitBadInput;
  }
  const std::string thrown =
      what ? std::string("an exception: ") + what : "an exception that is not a std::exception";
  reportCommandError(options, "the module threw " + thrown + " (thrown through " + phase + ")");
  return exitModuleFault;
}
