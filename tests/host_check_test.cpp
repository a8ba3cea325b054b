// The checks of orn-host check, run in process through the host library against our module and
// against modules that each break one rule.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "host/check/module_checks.h"
#include "host/check/module_facts.h"
#include "host/loaded_module.h"
#include "host/orn_host.h"
#include "platform/module_loader.h"

namespace {
std::string besideTests(const std::string& name) {
  return platformExecutableDirectory() + name + ORN_MODULE_SUFFIX;
}

// Never destroyed, and kept reachable: a module's exit list may still release services through
// it.
OrnHostApp& newHost() {
  static auto* hosts = new std::vector<OrnHostApp*>();
  OrnHostOptions options;
  options.memoryReserveBytes = 1 << 20;
  hosts->push_back(new OrnHostApp(options));
  return *hosts->back();
}

CheckReport checked(const std::string& path) {
  CheckReport report;
  std::string error;
  EXPECT_TRUE(checkModule(newHost(), path, &report, &error)) << error;
  return report;
}

const CheckResult& resultOf(const CheckReport& report, const char* rule) {
  for (const CheckResult& c : report.checks) {
    if (c.name == rule) return c;
  }
  static const CheckResult missing{"missing", CheckOutcome::skip, "no such rule"};
  ADD_FAILURE() << "no result for " << rule;
  return missing;
}

// Every rule passes except `broken`, which fails with a detail that mentions `mention`.
void expectOnlyBroken(const CheckReport& report, const char* broken, const std::string& mention) {
  for (const CheckResult& c : report.checks) {
    if (c.name == broken) {
      EXPECT_EQ(c.outcome, CheckOutcome::fail) << c.name;
      EXPECT_NE(c.detail.find(mention), std::string::npos) << c.detail;
    } else {
      EXPECT_EQ(c.outcome, CheckOutcome::pass) << c.name << ": " << c.detail;
    }
  }
  EXPECT_FALSE(report.allPassed());
}
}  // namespace

TEST(HostCheck, OurModulePassesEveryRule) {
  const CheckReport report = checked(besideTests("component_template"));
  ASSERT_EQ(report.checks.size(), checkRuleCount);
  for (size_t i = 0; i < checkRuleCount; ++i) EXPECT_EQ(report.checks[i].name, checkRules[i]);
  for (const CheckResult& c : report.checks) {
    EXPECT_EQ(c.outcome, CheckOutcome::pass) << c.name << ": " << c.detail;
  }
  EXPECT_TRUE(report.allPassed());
  EXPECT_TRUE(report.heldObjects.empty());
  // runTests without a test service reported through the error service, quietly.
  ASSERT_GE(report.reports.size(), 1u);
  EXPECT_EQ(report.reports[0].message, "Unable to get test service");
}

TEST(HostCheck, ModuleCanBeCheckedTwiceByOneHost) {
  OrnHostApp& host = newHost();
  for (int round = 0; round < 2; ++round) {
    CheckReport report;
    std::string error;
    ASSERT_TRUE(checkModule(host, besideTests("component_template"), &report, &error)) << error;
    EXPECT_TRUE(report.allPassed()) << "round " << round;
  }
}

TEST(HostCheck, WrongVersionFailsAndSkipsTheRest) {
  const CheckReport report = checked(besideTests("broken_wrong_version"));
  const CheckResult& version = resultOf(report, ruleInterfaceVersion);
  EXPECT_EQ(version.outcome, CheckOutcome::fail);
  EXPECT_NE(version.detail.find("99"), std::string::npos) << version.detail;
  EXPECT_EQ(report.count(CheckOutcome::fail), 1);
  EXPECT_EQ(report.count(CheckOutcome::skip), static_cast<int>(checkRuleCount) - 1);
}

TEST(HostCheck, ViewWithItsOwnCountIsCaught) {
  expectOnlyBroken(checked(besideTests("broken_own_count_view")), ruleSharedViews,
                   "\"IOrnClcBinary\" has an IOrnUnknown part");
}

TEST(HostCheck, EnumerationThatDisagreesIsCaught) {
  expectOnlyBroken(checked(besideTests("broken_disagreeing_enumeration")), ruleEnumeration,
                   "enumerates \"IPhantom\"");
}

TEST(HostCheck, ClassCreatedWithCountOneIsCaught) {
  const CheckReport report = checked(besideTests("broken_created_at_one"));
  const CheckResult& created = resultOf(report, ruleCreatedAtZero);
  EXPECT_EQ(created.outcome, CheckOutcome::fail);
  EXPECT_NE(created.detail.find("Eager: created with count 1"), std::string::npos)
      << created.detail;
  const CheckResult& release = resultOf(report, ruleLastRelease);
  EXPECT_EQ(release.outcome, CheckOutcome::fail);
  EXPECT_NE(release.detail.find("not destroyed"), std::string::npos) << release.detail;
  EXPECT_EQ(report.count(CheckOutcome::fail), 2);
}

TEST(HostCheck, ObjectHandedOverWithAWrongStatusIsRefusedAndStillReleased) {
  const CheckReport report = checked(besideTests("broken_created_with_status_two"));
  expectOnlyBroken(report, ruleCreatedAtZero, "Offered: createInstance gave status 2");
  bool destroyed = false;
  for (const ErrorReport& r : report.reports)
    destroyed = destroyed || r.message == "Offered destroyed";
  EXPECT_TRUE(destroyed) << "the object the module handed over was never released";
}

TEST(HostCheck, ServiceReferenceNeverReleasedIsCaught) {
  const CheckReport report = checked(besideTests("broken_leaked_service"));
  expectOnlyBroken(report, ruleServicesReleased, "IOrnErrorService: 1 reference never released");
  bool seen = false;
  for (const auto& change : report.serviceChanges) {
    if (change.name == "IOrnErrorService") seen = change.change == 1;
  }
  EXPECT_TRUE(seen);
}

TEST(HostCheck, LoadErrorsAreOneLine) {
  OrnHostApp& host = newHost();
  CheckReport report;
  std::string error;
  EXPECT_FALSE(checkModule(host, besideTests("no_such_module"), &report, &error));
  EXPECT_NE(error.find("no such file"), std::string::npos) << error;
  EXPECT_EQ(error.find('\n'), std::string::npos);
  error.clear();
  EXPECT_FALSE(checkModule(host, besideTests("broken_no_entry_point"), &report, &error));
  EXPECT_NE(error.find("no EntryPoint export"), std::string::npos) << error;
}

TEST(HostInspect, ListsOurComponentAndItsClasses) {
  OrnHostApp& host = newHost();
  LoadedModule module;
  std::string error;
  ASSERT_TRUE(module.load(besideTests("component_template"), &error)) << error;
  EXPECT_EQ(module.version(), 100);
  module.attach(host);
  const ModuleFacts facts = inspectModule(module);
  module.unload();
  EXPECT_EQ(facts.name, "component_template");
  EXPECT_EQ(facts.buildStamp, "2010-12-16 11:42");
  EXPECT_EQ(facts.identifier.size(), 38u);  // {8-4-4-4-12}
  EXPECT_EQ(facts.descriptorVersion, 1);
  EXPECT_EQ(facts.descriptorBytes.size(), 16u);
  ASSERT_EQ(static_cast<int>(facts.classes.size()), facts.classCount);
  for (const ClassFacts& c : facts.classes) {
    EXPECT_TRUE(c.created) << c.name;
    EXPECT_EQ(c.className, c.name);
    ASSERT_FALSE(c.names.names.empty());
    EXPECT_TRUE(c.names.names[0].isClass);
    EXPECT_EQ(c.names.names[0].name, c.name);
    for (size_t i = 1; i < c.names.names.size(); ++i) {
      EXPECT_EQ(c.names.names[i].parent, c.name);  // interfaces follow their class
    }
  }
  // Everything the inspection took has been given back.
  EXPECT_TRUE(host.tracker().heldObjects().empty());
}

TEST(HostInspect, BareFileNameLoadsFromTheCurrentDirectory) {
  std::filesystem::current_path(std::filesystem::u8path(platformExecutableDirectory()));
  LoadedModule module;
  std::string error;
  ASSERT_TRUE(module.load(std::string("component_template") + ORN_MODULE_SUFFIX, &error)) << error;
  EXPECT_EQ(module.version(), 100);
}
