#include <cstdio>
#include <nlohmann/json.hpp>

#include "host/check/module_checks.h"
#include "orn-host/commands.h"
#include "orn-host/safe_text.h"
#include "orn-host/time_limit.h"

namespace {
const char* outcomeText(CheckOutcome outcome) {
  switch (outcome) {
    case CheckOutcome::pass:
      return "pass";
    case CheckOutcome::fail:
      return "fail";
    case CheckOutcome::skip:
      return "skip";
  }
  return "?";
}

void printJson(const CheckReport& report, double timeLimit) {
  nlohmann::json checks = nlohmann::json::array();
  for (const CheckResult& c : report.checks) {
    checks.push_back({{"name", c.name}, {"result", outcomeText(c.outcome)}, {"detail", c.detail}});
  }
  nlohmann::json held = nlohmann::json::array();
  for (const HeldObject& h : report.heldObjects) {
    held.push_back({{"className", h.className}, {"references", h.balance}});
  }
  nlohmann::json services = nlohmann::json::array();
  for (const auto& s : report.serviceChanges) {
    services.push_back({{"service", s.name}, {"change", s.change}});
  }
  nlohmann::json reports = nlohmann::json::array();
  for (const ErrorReport& r : report.reports) {
    reports.push_back({{"message", r.message}, {"severity", r.severity}});
  }
  const nlohmann::json out = {
      {"module", report.path},
      {"checks", checks},
      {"passed", report.count(CheckOutcome::pass)},
      {"failed", report.count(CheckOutcome::fail)},
      {"skipped", report.count(CheckOutcome::skip)},
      {"ok", report.allPassed()},
      {"heldObjects", held},
      {"serviceChanges", services},
      {"reports", reports},
      {"timeLimitSeconds", timeLimit > 0 ? nlohmann::json(timeLimit) : nlohmann::json(nullptr)},
  };
  printJsonDocument(out);
}

void printText(const CheckReport& report, double timeLimit) {
  // Details carry the module's own names and texts: one escaped line each.
  std::printf("checking %s\n", safeText(report.path).c_str());
  std::printf("time limit: %s\n", timeLimitText(timeLimit).c_str());
  // What the module said while it was checked, ahead of the rules, so the summary stays last.
  if (!report.reports.empty()) {
    std::printf("module reports: %d\n", static_cast<int>(report.reports.size()));
    for (const ErrorReport& r : report.reports) {
      std::printf("  %s: %s\n", severityName(r.severity).c_str(),
                  safeLines(r.shown, "    ").c_str());
    }
  }
  for (const CheckResult& c : report.checks) {
    const char* tag = c.outcome == CheckOutcome::pass   ? "[ ok ]"
                      : c.outcome == CheckOutcome::fail ? "[FAIL]"
                                                        : "[skip]";
    std::printf("%s %s%s%s\n", tag, safeText(c.name).c_str(), c.detail.empty() ? "" : ": ",
                safeText(c.detail).c_str());
  }
  std::printf("%d checks: %d passed, %d failed, %d skipped\n",
              static_cast<int>(report.checks.size()), report.count(CheckOutcome::pass),
              report.count(CheckOutcome::fail), report.count(CheckOutcome::skip));
}
}  // namespace

int runCheck(OrnHostApp& host, const HostCommandOptions& options) {
  CheckReport report;
  std::string error;
  if (!checkModule(host, options.modulePath(), &report, &error)) {
    return reportCommandError(options, error);
  }
  if (options.json) {
    printJson(report, options.timeLimit);
  } else {
    printText(report, options.timeLimit);
  }
  std::fflush(stdout);
  return report.allPassed() ? exitOk : exitChecksFailed;
}
