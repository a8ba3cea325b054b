// What a watching parent learns from inside the module's process: the phases as they are
// entered, and each error report as it arrives.
#include "host/module_phase.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "host/orn_host.h"
#include "host/wide_text.h"
#include "text/orn_string.h"

namespace {
std::vector<std::string> seenPhases;
void recordPhase(const char* phase) { seenPhases.push_back(phase); }

struct SeenReport {
  std::string shown;
  int severity;
  bool echoed;
};
std::vector<SeenReport> seenReports;
void recordReport(const ErrorReport& report, bool echoed) {
  seenReports.push_back({report.shown, report.severity, echoed});
}

// Enters the unload phase when it goes out of scope, as a loaded module does.
struct UnloadsOnExit {
  ~UnloadsOnExit() { enterModulePhase(modulePhaseUnload); }
};
}  // namespace

TEST(ModulePhase, EachPhaseReachesTheObserverInOrder) {
  seenPhases.clear();
  setModulePhaseObserver(recordPhase);
  enterModulePhase(modulePhaseLoad);
  enterModulePhase(modulePhaseEntryPoint);
  { UnloadsOnExit unloads; }
  setModulePhaseObserver(nullptr);
  enterModulePhase(modulePhaseRunTests);  // no observer: kept, not sent
  EXPECT_EQ(seenPhases, (std::vector<std::string>{"load", "EntryPoint", "unload"}));
  EXPECT_STREQ(currentModulePhase(), "runTests");
}

TEST(ModulePhase, AnExceptionKeepsThePhaseItCameFrom) {
  seenPhases.clear();
  setModulePhaseObserver(recordPhase);
  try {
    UnloadsOnExit unloads;  // runs while the exception unwinds the stack
    enterModulePhase(modulePhaseEntryPoint);
    throw std::runtime_error("from the module");
  } catch (const std::exception&) {
    EXPECT_STREQ(currentModulePhase(), "EntryPoint");
  }
  setModulePhaseObserver(nullptr);
  EXPECT_EQ(seenPhases, (std::vector<std::string>{"EntryPoint"}));
}

TEST(ModulePhase, EveryKeptReportReachesTheObserverAsItArrives) {
  static auto* host = new OrnHostApp(OrnHostOptions{1 << 16, 2, 'O'});  // outlives the test
  seenReports.clear();
  host->errors().setReportObserver(recordReport);
  host->errors().setDisplayTranslation([](const std::string& s) { return "<" + s + ">"; });
  host->errors().setEcho(nullptr);
  host->errors().reportError(OrnWString("quiet"), 1, OrnString("x"));
  EXPECT_EQ(seenReports.size(), 1u);  // before the next report, not at the end
  std::FILE* echo = std::tmpfile();
  ASSERT_NE(echo, nullptr);
  host->errors().setEcho(echo);
  host->errors().reportError(OrnWString("echoed"), 2, OrnString(""));
  host->errors().setEcho(nullptr);
  std::fclose(echo);
  host->errors().setReportObserver(nullptr);
  host->errors().reportError(OrnWString("unseen"), 3, OrnString(""));

  ASSERT_EQ(seenReports.size(), 2u);
  EXPECT_EQ(seenReports[0].shown, "<quiet>");
  EXPECT_EQ(seenReports[0].severity, 1);
  EXPECT_FALSE(seenReports[0].echoed);
  EXPECT_EQ(seenReports[1].shown, "<echoed>");
  EXPECT_TRUE(seenReports[1].echoed);
  EXPECT_EQ(host->errors().reportCount(), 3u);  // kept all the same
}
