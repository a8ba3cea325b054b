// The parent's side of the module's process: starts it, watches it, relays it, and tells how it
// ended when it did not finish.
#include "orn-host/module_process.h"

#include <cstdio>
#include <nlohmann/json.hpp>

#include "orn-host/safe_text.h"
#include "orn-host/time_limit.h"
#include "platform/child_process.h"

namespace {
// What the child said on its channel.
struct ChildNews {
  std::string phase;  // empty: none entered yet
  std::vector<ErrorReport> reports;
  std::vector<bool> echoed;  // per report: already shown on the child's stderr
  bool finished = false;
  int finishedStatus = 0;
};

// Reads one channel line; a line that is not the child's is ignored (the module can write to
// any descriptor it likes).
void readNews(const std::string& line, ChildNews* news, bool* newPhase) {
  *newPhase = false;
  const nlohmann::json event = nlohmann::json::parse(line, nullptr, false);
  if (!event.is_object()) return;
  if (event.contains("phase") && event["phase"].is_string()) {
    news->phase = event["phase"].get<std::string>();
    *newPhase = true;
  } else if (event.contains("report") && event["report"].is_object()) {
    const nlohmann::json& r = event["report"];
    ErrorReport report{r.value("message", ""), r.value("shown", ""), r.value("severity", 0),
                       r.value("extra", "")};
    news->reports.push_back(std::move(report));
    news->echoed.push_back(r.value("echoed", false));
  } else if (event.contains("finished") && event["finished"].is_number_integer()) {
    news->finished = true;
    news->finishedStatus = event["finished"].get<int>();
  }
}

// "during EntryPoint, before check finished", or at the end, after it finished.
std::string whenText(const ChildNews& news, const ChildEnding& ending, const std::string& command) {
  if (news.finished) {
    std::string when = "at its exit, after " + command + " finished";
    if (ending.kind == ChildEnding::Kind::exited) {
      when += " with status " + std::to_string(news.finishedStatus);
    }
    return when;
  }
  return "during " + (news.phase.empty() ? std::string("start-up") : news.phase) + ", before " +
         command + " finished";
}

std::string endingMessage(const ChildNews& news, const ChildEnding& ending,
                          const std::string& command) {
  if (ending.kind == ChildEnding::Kind::timedOut) {
    const std::string phase = news.phase.empty() ? "start-up" : news.phase;
    return "the module's process did not finish " + phase + " within " +
           secondsText(ending.timeLimit) + " s and was stopped";
  }
  return "the module's process " + ending.describe() + " " + whenText(news, ending, command);
}

nlohmann::json endingJson(const ChildEnding& ending) {
  nlohmann::json how = {{"description", ending.describe()}};
  switch (ending.kind) {
    case ChildEnding::Kind::exited:
      how["how"] = "exited";
      how["status"] = ending.status;
      break;
    case ChildEnding::Kind::signal:
      how["how"] = "signal";
      how["signal"] = ending.signal;
      how["name"] = platformSignalName(ending.signal);
      break;
    case ChildEnding::Kind::exception: {
      char code[16];
      std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(ending.exceptionCode));
      how["how"] = "exception";
      how["code"] = code;
      how["name"] = exceptionCodeName(ending.exceptionCode);
      break;
    }
    case ChildEnding::Kind::timedOut:
      how["how"] = "timeout";
      how["seconds"] = ending.timeLimit;
      break;
  }
  return how;
}

}  // namespace

int runInModuleProcess(const std::vector<std::string>& arguments, const HostCommandOptions& options,
                       const std::string& command) {
  std::vector<std::string> argv{platformExecutablePath(), "--as-module-process",
                                ChildProcess::channelArgument};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  ChildProcess child;
  std::string error;
  if (argv.front().empty() || !child.start(argv, &error)) {
    reportCommandError(options, "cannot start the module's process: " +
                                    (error.empty() ? "this program's path is unknown" : error));
    return exitModuleFault;
  }
  child.limitTime(options.timeLimit);

  ChildNews news;
  std::string heldOutput;  // with --json: stdout, until it is known to be the child's report
  ChildProcess::Watcher watcher;
  watcher.output = [&](ChildStream stream, const char* data, size_t size) {
    if (stream == ChildStream::output && options.json) {
      heldOutput.append(data, size);
    } else {
      platformWriteStandard(stream, data, size);
    }
  };
  watcher.channelLine = [&](const std::string& line) {
    bool newPhase = false;
    try {
      readNews(line, &news, &newPhase);
    } catch (const std::exception&) {
      // a line of the right shape with values of the wrong types: not the child's
    }
    if (newPhase) child.limitTime(options.timeLimit);  // each phase has the whole limit
  };
  const ChildEnding ending = child.wait(watcher);

  if (news.finished && ending.kind == ChildEnding::Kind::exited &&
      ending.status == news.finishedStatus) {
    platformWriteStandard(ChildStream::output, heldOutput.data(), heldOutput.size());
    return ending.status;
  }

  const std::string message = endingMessage(news, ending, command);
  std::fprintf(stderr, "orn-host: %s\n", safeText(message).c_str());
  if (options.json) {
    nlohmann::json reports = nlohmann::json::array();
    for (size_t i = 0; i < news.reports.size(); ++i) {
      const ErrorReport& r = news.reports[i];
      reports.push_back({{"message", r.message},
                         {"shown", r.shown},
                         {"severity", r.severity},
                         {"severityName", severityName(r.severity)},
                         {"extra", r.extra}});
    }
    nlohmann::json out = {{"error", message},
                          {"command", command},
                          {"module", options.modulePath()},
                          {"ended", endingJson(ending)},
                          {"phase", news.phase.empty() ? "start-up" : news.phase},
                          {"finished", news.finished},
                          {"reports", reports},
                          {"output", heldOutput},
                          {"ok", false}};
    out["timeLimitSeconds"] =
        options.timeLimit > 0 ? nlohmann::json(options.timeLimit) : nlohmann::json(nullptr);
    printJsonDocument(out);
  } else {
    bool heading = false;
    for (size_t i = 0; i < news.reports.size(); ++i) {
      if (news.echoed[i]) continue;  // the child showed it already
      if (!heading) {
        std::fprintf(stderr, "orn-host: what the module reported before its process ended:\n");
        heading = true;
      }
      const ErrorReport& r = news.reports[i];
      std::fprintf(stderr, "  %s: %s%s%s\n", severityName(r.severity).c_str(),
                   safeLines(r.shown, "    ").c_str(), r.extra.empty() ? "" : " ",
                   safeText(r.extra).c_str());
    }
  }
  std::fflush(stdout);
  std::fflush(stderr);
  return exitModuleFault;
}
