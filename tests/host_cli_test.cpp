// orn-host as a user runs it: found beside the test executable, started as a process of its own,
// its output read back (the JSON parsed).
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "host/check/check_rules.h"
#include "platform/module_loader.h"

namespace {
struct HostRun {
  int status = -1;
  std::string out;
  std::string err;
};

std::string besideTests(const std::string& name, const char* suffix) {
  return platformExecutableDirectory() + name + suffix;
}
std::string module(const std::string& name) { return besideTests(name, ORN_MODULE_SUFFIX); }

// A fresh directory of the test's own under the system's temp directory.
std::filesystem::path scratchDirectory() {
  const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
  std::filesystem::path dir =
      std::filesystem::temp_directory_path() / (std::string("orn-host-cli-") + info->name());
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return dir;
}

std::string quoted(const std::string& arg) {
  return arg.find(' ') == std::string::npos ? arg : "\"" + arg + "\"";
}

// Runs orn-host with args; stdout is read through a pipe, stderr through a file.
HostRun runHost(const std::string& args) {
  const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
  const std::filesystem::path errFile =
      std::filesystem::temp_directory_path() / (std::string("orn-host-cli-stderr-") + info->name());
  std::string command = quoted(besideTests("orn-host", ORN_EXE_SUFFIX)) + " " + args + " 2>" +
                        quoted(errFile.string());
  HostRun run;
#if defined(_WIN32)
  std::FILE* pipe = _popen(command.c_str(), "r");
#else
  std::FILE* pipe = popen(command.c_str(), "r");
#endif
  if (pipe == nullptr) return run;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, n);
#if defined(_WIN32)
  run.status = _pclose(pipe);
#else
  const int status = pclose(pipe);
  run.status = (status >> 8) & 0xFF;
#endif
  std::ifstream err(errFile, std::ios::binary);
  std::ostringstream text;
  text << err.rdbuf();
  run.err = text.str();
  return run;
}

nlohmann::json parsed(const HostRun& run) {
  try {
    return nlohmann::json::parse(run.out);
  } catch (const std::exception& e) {
    ADD_FAILURE() << "not JSON (" << e.what() << "):\n" << run.out << "\n" << run.err;
    return nlohmann::json::object();
  }
}

std::string withoutNewline(std::string s) {
  while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.pop_back();
  return s;
}
}  // namespace

TEST(HostCli, InspectIsTheDefaultAndNamesOurModule) {
  const HostRun plain = runHost("");
  EXPECT_EQ(plain.status, 0) << plain.err;
  EXPECT_NE(plain.out.find("name:        component_template"), std::string::npos) << plain.out;
  EXPECT_NE(plain.out.find("build stamp: 2010-12-16 11:42"), std::string::npos);

  const nlohmann::json facts =
      parsed(runHost("inspect --json " + quoted(module("component_template"))));
  EXPECT_EQ(facts["name"], "component_template");
  EXPECT_EQ(facts["interfaceVersion"], 100);
  EXPECT_EQ(facts["descriptor"]["version"], 1);
  EXPECT_EQ(facts["descriptor"]["size"], 16);
  ASSERT_TRUE(facts["classes"].is_array());
  ASSERT_EQ(facts["classes"].size(), facts["classCount"].get<size_t>());
  for (const auto& c : facts["classes"]) {
    EXPECT_TRUE(c["created"].get<bool>());
    EXPECT_EQ(c["className"], c["name"]);
    EXPECT_FALSE(c["interfaces"].empty());
  }
}

TEST(HostCli, CheckPrintsOneLinePerRuleAndASummary) {
  const HostRun run = runHost("check " + quoted(module("component_template")));
  EXPECT_EQ(run.status, 0) << run.out << run.err;
  std::istringstream lines(run.out);
  std::string line;
  int ruleLines = 0;
  std::string last;
  while (std::getline(lines, line)) {
    line = withoutNewline(line);
    if (line.rfind("[ ok ] ", 0) == 0) ++ruleLines;
    EXPECT_EQ(line.rfind("[FAIL]", 0), std::string::npos) << line;
    if (!line.empty()) last = line;
  }
  const std::string rules = std::to_string(checkRuleCount);
  EXPECT_EQ(ruleLines, static_cast<int>(checkRuleCount));
  EXPECT_EQ(last, rules + " checks: " + rules + " passed, 0 failed, 0 skipped");
}

TEST(HostCli, CheckJsonOfABrokenModuleNamesTheRuleAndExitsOne) {
  const HostRun run = runHost("check --json " + quoted(module("broken_leaked_service")));
  EXPECT_EQ(run.status, 1) << run.err;
  const nlohmann::json report = parsed(run);
  EXPECT_FALSE(report["ok"].get<bool>());
  EXPECT_EQ(report["failed"], 1);
  EXPECT_EQ(report["passed"], checkRuleCount - 1);
  ASSERT_EQ(report["checks"].size(), checkRuleCount);
  for (size_t i = 0; i < checkRuleCount; ++i) EXPECT_EQ(report["checks"][i]["name"], checkRules[i]);
  bool found = false;
  for (const auto& check : report["checks"]) {
    if (check["result"] == "fail") {
      EXPECT_EQ(check["name"], "every service reference is released after unload");
      found = true;
    }
  }
  EXPECT_TRUE(found);
  bool serviceListed = false;
  for (const auto& change : report["serviceChanges"]) {
    serviceListed =
        serviceListed || (change["service"] == "IOrnErrorService" && change["change"] == 1);
  }
  EXPECT_TRUE(serviceListed) << report.dump();
}

TEST(HostCli, TestRunsThroughTheErrorServiceInGerman) {
  const nlohmann::json result = parsed(
      runHost("test --no-test-service --lang de --json " + quoted(module("component_template"))));
  EXPECT_EQ(result["testService"], false);
  ASSERT_EQ(result["reports"].size(), 2u);
  EXPECT_EQ(result["reports"][0]["message"], "Unable to get test service");
  EXPECT_EQ(result["reports"][0]["shown"], "Testdienst nicht verfügbar");
  EXPECT_EQ(result["reports"][0]["severity"], 1);
  EXPECT_EQ(result["reports"][1]["message"], "O");  // the host's code

  const HostRun withService = runHost("test " + quoted(module("component_template")));
  EXPECT_EQ(withService.status, 0) << withService.err;
  EXPECT_NE(withService.out.find("tests run: 0"), std::string::npos) << withService.out;
}

TEST(HostCli, BadPathsAndBadModulesGetOneLineErrors) {
  const std::filesystem::path dir = scratchDirectory();
  const std::filesystem::path notAModule = dir / "not_a_module.txt";
  std::ofstream(notAModule) << "just text\n";

  struct Case {
    std::string path;
    std::string expected;
  };
  const Case cases[] = {
      {(dir / "missing").string(), "no such file"},
      {notAModule.string(), "not a loadable module"},
      {module("broken_no_entry_point"), "no EntryPoint export"},
  };
  for (const Case& c : cases) {
    for (const char* sub : {"inspect", "check", "test"}) {
      const HostRun run = runHost(std::string(sub) + " " + quoted(c.path));
      EXPECT_EQ(run.status, 2) << sub << " " << c.path;
      EXPECT_EQ(run.out, "");
      const std::string err = withoutNewline(run.err);
      EXPECT_EQ(err.find('\n'), std::string::npos) << err;
      EXPECT_EQ(err.rfind("orn-host: ", 0), 0u) << err;
      EXPECT_NE(err.find(c.expected), std::string::npos) << err;
    }
  }
  const nlohmann::json error = parsed(runHost("check --json " + quoted(cases[0].path)));
  EXPECT_NE(error["error"].get<std::string>().find("no such file"), std::string::npos);
}

TEST(HostCli, WrongInterfaceVersionIsRefusedByInspect) {
  const HostRun run = runHost("inspect " + quoted(module("broken_wrong_version")));
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("interface version 99, expected exactly 100"), std::string::npos)
      << run.err;
}

TEST(HostCli, BadSettingsLinesAreReportedWithFileAndLine) {
  const std::filesystem::path dir = scratchDirectory();
  const std::filesystem::path settings = dir / "host.ini";
  std::ofstream(settings) << "[Directories]\n"
                             "Temp Directory = "
                          << dir.string()
                          << "\n"
                             "this line is wrong\n"
                             "[unclosed\n";
  const HostRun run = runHost("check --settings " + quoted(settings.string()) + " " +
                              quoted(module("component_template")));
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.out, "");
  const std::string file = settings.string();
  EXPECT_NE(run.err.find(file + ":3: expected 'name = value'"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find(file + ":4: section header without closing ']'"), std::string::npos)
      << run.err;

  const HostRun badSet = runHost("--set novalue " + quoted(module("component_template")));
  EXPECT_EQ(badSet.status, 2);
  EXPECT_NE(badSet.err.find("--set: expected KEY=VALUE"), std::string::npos) << badSet.err;
}

TEST(HostCli, UnknownLanguageIsAnError) {
  const HostRun run = runHost("test --lang xx " + quoted(module("component_template")));
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("no message catalogue for language 'xx'"), std::string::npos) << run.err;
}

TEST(HostCli, OptionsCountBeforeAndAfterTheSubcommandName) {
  const std::string ours = quoted(module("component_template"));
  // Before the subcommand name they used to be dropped without a word.
  const HostRun unknownLanguage = runHost("--lang xx check " + ours);
  EXPECT_EQ(unknownLanguage.status, 2) << unknownLanguage.out;
  EXPECT_NE(unknownLanguage.err.find("no message catalogue for language 'xx'"), std::string::npos)
      << unknownLanguage.err;

  const nlohmann::json report = parsed(runHost("--json check " + ours));
  EXPECT_TRUE(report.value("ok", false)) << report.dump();

  const nlohmann::json german = parsed(runHost("--lang de test --no-test-service --json " + ours));
  const nlohmann::json reports = german.value("reports", nlohmann::json::array());
  ASSERT_FALSE(reports.empty()) << german.dump();
  EXPECT_EQ(reports[0].value("shown", ""), "Testdienst nicht verfügbar");
}

TEST(HostCli, SetTakesOnePairAndLeavesTheModuleArgumentAlone) {
  const std::filesystem::path dir = scratchDirectory();
  const std::string temp = "Directories/Temp Directory=" + dir.string();
  const HostRun run =
      runHost("check --set " + quoted(temp) + " " + quoted(module("component_template")));
  EXPECT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_EQ(run.err.find("expected KEY=VALUE"), std::string::npos) << run.err;

  // Pairs before and after the subcommand name are all applied and all checked.
  const HostRun bad = runHost("--set first check --set " + quoted(temp) + " --set second " +
                              quoted(module("component_template")));
  EXPECT_EQ(bad.status, 2);
  EXPECT_NE(bad.err.find("got 'first'"), std::string::npos) << bad.err;
  EXPECT_NE(bad.err.find("got 'second'"), std::string::npos) << bad.err;
  EXPECT_EQ(bad.err.find("component_template"), std::string::npos) << bad.err;
}

TEST(HostCli, ReserveBeyondTheAddressSpaceIsRefused) {
  const std::string ours = quoted(module("component_template"));
  std::vector<std::string> tooLarge = {"9E"};
#if defined(_WIN32)
  tooLarge.push_back("5G");  // used to be cut to 1 GiB
  tooLarge.push_back("4G");  // used to be cut to no reserve at all
#endif
  for (const std::string& size : tooLarge) {
    const HostRun run = runHost("check --memory-reserve " + size + " " + ours);
    EXPECT_EQ(run.status, 2) << size << "\n" << run.out;
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("orn-host: --memory-reserve: "), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("more than this process can hold"), std::string::npos) << run.err;
  }
  const HostRun modest = runHost("check --memory-reserve 1M " + ours);
  EXPECT_EQ(modest.status, 0) << modest.out << modest.err;
}
