// checkModule: checks any module against the framework's rules, one result per rule.
#ifndef ORN_HOST_CHECK_MODULE_CHECKS_H_
#define ORN_HOST_CHECK_MODULE_CHECKS_H_

#include <string>
#include <vector>

#include "host/check/check_rules.h"
#include "host/error_service.h"
#include "host/orn_host.h"
#include "host/ref_tracker.h"

enum class CheckOutcome { pass, fail, skip };

struct CheckResult {
  std::string name;
  CheckOutcome outcome;
  std::string detail;  // what went wrong, or what was seen; may be empty
};

struct CheckReport {
  std::string path;
  std::vector<CheckResult> checks;                        // one per rule, in checkRules order
  std::vector<HeldObject> heldObjects;                    // module objects still held after unload
  std::vector<OrnHostApp::ServiceChange> serviceChanges;  // after unload
  std::vector<ErrorReport> reports;                       // what came through the error service
  int64_t foreignPoolBlocks = 0;  // dropped from the shared pool after unload

  int count(CheckOutcome outcome) const;
  // True when no check failed and none was skipped.
  bool allPassed() const;
};

// Loads the module at path, attaches host, runs every check, unloads and checks what the module
// left behind. The host's error service is kept quiet while the checks run (the reports are in
// the result). False with a one-line *error when the module cannot be loaded at all.
bool checkModule(OrnHostApp& host, const std::string& path, CheckReport* report,
                 std::string* error);

#endif  // ORN_HOST_CHECK_MODULE_CHECKS_H_
