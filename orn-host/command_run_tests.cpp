#include <cstdio>
#include <nlohmann/json.hpp>

#include "host/loaded_module.h"
#include "host/module_lifetime.h"
#include "host/module_phase.h"
#include "host/test_service.h"
#include "orn-host/commands.h"
#include "orn-host/safe_text.h"
#include "orn-host/time_limit.h"

int runTest(OrnHostApp& host, const HostCommandOptions& options,
            const TestCommandOptions& testOptions) {
  LoadedModule module;
  if (const int status = loadCommandModule(module, options)) return status;
  module.attach(host);
  if (module.internal() == nullptr) {
    module.unload();
    return reportCommandError(options,
                              module.path() + ": the component does not answer IOrnCompInternal");
  }
  host.errors().setEcho(nullptr);  // shown below, once
  const size_t before = host.errors().reportCount();
  HostTestService tests;
  {
    ModuleLifetimeScope lifetime;  // the module's test list
    enterModulePhase(modulePhaseRunTests);
    module.internal()->runTests(testOptions.withoutTestService ? nullptr : &tests);
  }
  module.unload();
  host.errors().setEcho(stderr);
  std::vector<ErrorReport> reports = host.errors().reports();
  reports.erase(reports.begin(), reports.begin() + static_cast<std::ptrdiff_t>(before));
  const size_t testsRun = static_cast<size_t>(tests.testsRun());

  if (options.json) {
    nlohmann::json list = nlohmann::json::array();
    for (const ErrorReport& r : reports) {
      list.push_back({{"message", r.message},
                      {"shown", r.shown},
                      {"severity", r.severity},
                      {"severityName", severityName(r.severity)},
                      {"extra", r.extra}});
    }
    nlohmann::json out = {{"module", module.path()},
                          {"testService", !testOptions.withoutTestService},
                          {"testsRun", testsRun},
                          {"reports", list}};
    out["timeLimitSeconds"] =
        options.timeLimit > 0 ? nlohmann::json(options.timeLimit) : nlohmann::json(nullptr);
    printJsonDocument(out);
  } else {
    std::printf("module:    %s\n", safeText(module.path()).c_str());
    std::printf("time limit: %s\n", timeLimitText(options.timeLimit).c_str());
    std::printf("tests run: %d%s\n", static_cast<int>(testsRun),
                testOptions.withoutTestService ? " (no test service given)" : "");
    std::printf("reports:   %d\n", static_cast<int>(reports.size()));
    for (const ErrorReport& r : reports) {
      std::printf("  %s: %s\n", severityName(r.severity).c_str(),
                  safeLines(r.shown, "    ").c_str());
    }
  }
  std::fflush(stdout);
  // With a test service every report is a test's complaint; without one, the reports are the
  // module saying that it got none, which is what was asked for.
  return testOptions.withoutTestService || reports.empty() ? exitOk : exitChecksFailed;
}
