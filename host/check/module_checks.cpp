#include "host/check/module_checks.h"

#include <map>
#include <set>

#include "host/check/module_facts.h"
#include "host/check/object_checks.h"
#include "host/loaded_module.h"
#include "host/module_lifetime.h"
#include "host/module_phase.h"
#include "host/test_service.h"

namespace {
// Faults collected per rule while the checks run; turned into results at the end.
struct RuleLog {
  std::map<std::string, Faults> faults;
  std::map<std::string, std::string> notes;  // detail shown when the rule passes
  std::map<std::string, std::string> skipped;

  void fail(const char* rule, const std::string& fault) { faults[rule].push_back(fault); }
  void note(const char* rule, const std::string& text) { notes[rule] = text; }
  void skip(const char* rule, const std::string& why) {
    if (!skipped.count(rule)) skipped[rule] = why;
  }
};

// The faults shown of one rule; a module that breaks it thousands of times gets a count of the
// rest.
constexpr size_t faultsShown = 32;

std::string joined(const Faults& faults) {
  std::string out;
  for (size_t i = 0; i < faults.size() && i < faultsShown; ++i) {
    out += (out.empty() ? "" : "; ") + faults[i];
  }
  if (faults.size() > faultsShown) {
    out += "; and " + std::to_string(faults.size() - faultsShown) + " more";
  }
  return out;
}

// Every check of one object the host holds a reference on.
void checkObject(RuleLog& log, const std::string& label, IOrnUnknown* object) {
  const NameList names = enumerateNames(object);
  if (names.overwroteCollector) {
    log.fail(ruleEnumeration, label + ": the enumeration wrote over the host's name collector " +
                                  "(it answered the request as if it were a name)");
  } else if (names.reported > interfaceNameLimit) {
    log.fail(ruleEnumeration, label + ": enumerates " + std::to_string(names.reported) +
                                  " names, more than the " + std::to_string(interfaceNameLimit) +
                                  " the host reads; only those are checked");
  } else if (names.cutShort()) {
    log.fail(ruleEnumeration, label + ": its enumeration left the host's list inconsistent (" +
                                  std::to_string(names.reported) + " names reported, " +
                                  std::to_string(names.names.size()) + " stored)");
  }
  checkViews(label, object, names, &log.faults[ruleSharedViews]);
  checkEnumeration(label, object, names, &log.faults[ruleEnumeration]);
  checkRefusedNames(label, object, names, &log.faults[ruleRefusedNames]);
}

// An identifier that is not among ids.
// An identifier that is not among the identifiers (in toString form) in ids.
OrnID unregisteredId(const std::set<std::string>& ids) {
  OrnID id(0xFFFFFFFFu, 0xFFFF, 0xFFFF, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
  while (ids.count(id.toString()) != 0) --id.data1;
  return id;
}

void checkClasses(RuleLog& log, OrnHostApp& host, LoadedModule& module) {
  IOrnComponent* component = module.component();
  IOrnCompInternal* internal = module.internal();
  enterModulePhase(modulePhaseClassWalk);
  // In 64 bits: the module's count may be anything an int holds.
  const int64_t classCount = internal->classCount();
  if (classCount < 0) {
    log.fail(ruleClassWalk, "classCount() is negative (" + std::to_string(classCount) + ")");
  } else if (classCount > classWalkLimit) {
    log.fail(ruleClassWalk, "classCount() is " + std::to_string(classCount) + ", more than the " +
                                std::to_string(classWalkLimit) + " classes the host walks");
  }
  bool endless = false;
  const std::vector<OrnID> ids =
      walkClasses(internal, classWalkSteps(static_cast<int>(classCount)), &endless);
  if (endless) {
    log.fail(ruleClassWalk, "the walk does not end after " + std::to_string(ids.size()) +
                                " classes (classCount() is " + std::to_string(classCount) + ")");
  } else if (static_cast<int64_t>(ids.size()) != classCount) {
    log.fail(ruleClassWalk, "the walk lists " + std::to_string(ids.size()) +
                                " classes, classCount() says " + std::to_string(classCount));
  }
  std::set<std::string> seen;
  for (const OrnID& id : ids) {
    const std::string text = id.toString();
    if (!seen.insert(text).second) log.fail(ruleClassWalk, text + " is listed twice");
  }
  log.note(ruleClassWalk, std::to_string(ids.size()) + (ids.size() == 1 ? " class" : " classes"));

  // A walk that does not end lists identifiers the module made up: a few are enough to see
  // what createInstance makes of them.
  const size_t created = endless && ids.size() > 16 ? 16 : ids.size();
  for (size_t i = 0; i < created; ++i) {
    const OrnID& id = ids[i];
    const std::string registered = textOf(internal->classNameOf(id));
    const std::string label = (registered.empty() ? id.toString() : registered);
    IOrnUnknown* object = nullptr;
    const int status = component->createInstance(id, &object);
    if (status != 1 || object == nullptr) {
      log.fail(ruleCreatedAtZero, label + ": createInstance gave status " + std::to_string(status) +
                                      (object ? "" : " and no object"));
      if (object != nullptr) {
        // Handed over all the same: the host's to release, like any object it was given.
        object->addRef();
        object->release();
      }
      continue;
    }
    const int count = object->refCount();
    if (count != 0) {
      log.fail(ruleCreatedAtZero, label + ": created with count " + std::to_string(count));
    }
    const std::string className = textOf(object->className());
    if (className != registered) {
      log.fail(ruleCreatedAtZero, label + ": registered as " + "\"" + registered +
                                      "\" but its className() is \"" + className + "\"");
    }
    object->addRef();
    checkObject(log, label, object);
    const int64_t held = object->refCount();  // 64 bits: the module may say INT_MIN
    object->release();
    if (!host.tracker().destroyedByRelease(object)) {
      log.fail(ruleLastRelease, label + ": not destroyed by its last release (count " +
                                    std::to_string(held - 1) + " afterwards)");
    }
  }

  const OrnID unknownId = unregisteredId(seen);
  IOrnUnknown* stray = nullptr;
  const int status = component->createInstance(unknownId, &stray);
  if (status != 0 || stray != nullptr) {
    log.fail(ruleUnknownClass, "createInstance(" + unknownId.toString() + ") gave status " +
                                   std::to_string(status) + (stray ? " and an object" : ""));
    if (stray != nullptr) {
      stray->addRef();
      stray->release();
    }
  }
  if (internal->classNameOf(unknownId) != nullptr) {
    log.fail(ruleUnknownClass, "classNameOf(" + unknownId.toString() + ") gave a name");
  }
}

void checkDescriptorObject(RuleLog& log, OrnHostApp& host, IOrnComponent* component) {
  IOrnClcBinary* first = component->descriptor();
  IOrnClcBinary* second = component->descriptor();
  if (first == nullptr) {
    log.fail(ruleDescriptor, "descriptor() gave null");
    return;
  }
  if (first != second) log.fail(ruleDescriptor, "descriptor() gave a new object on each call");
  IOrnUnknown* unknown = first;
  const int before = unknown->refCount();
  unknown->addRef();
  checkObject(log, "OrnClcBinary (descriptor)", unknown);
  unknown->release();
  if (host.tracker().destroyedByRelease(unknown)) {
    log.fail(ruleDescriptor, "a balanced addRef/release destroyed it");
    return;
  }
  if (unknown->refCount() != before) {
    log.fail(ruleDescriptor, "its count went from " + std::to_string(before) + " to " +
                                 std::to_string(unknown->refCount()));
  }
  const DescriptorBytes read = readDescriptor(first);
  if (!read.problem.empty()) {
    log.fail(ruleDescriptor, read.problem);
    return;
  }
  log.note(ruleDescriptor, "version " + std::to_string(read.version) + ", " +
                               std::to_string(read.claimedSize) + " bytes");
}

void checkTestOperation(RuleLog& log, OrnHostApp& host, IOrnCompInternal* internal) {
  enterModulePhase(modulePhaseRunTests);
  HostTestService tests;
  ModuleLifetimeScope lifetime;  // the module's test list
  const size_t before = host.errors().reportCount();
  internal->runTests(&tests);
  const size_t withService = host.errors().reportCount();
  internal->runTests(nullptr);
  const size_t after = host.errors().reportCount();
  if (after == withService) {
    log.fail(ruleRunTests, "runTests without a test service reported nothing");
    return;
  }
  log.note(ruleRunTests, std::to_string(tests.testsRun()) + " tests run, " +
                             std::to_string(withService - before) + " reports; without a test " +
                             "service " + std::to_string(after - withService) + " reports");
}

void checkLeftovers(RuleLog& log, OrnHostApp& host, CheckReport* report) {
  report->serviceChanges = host.serviceChanges();
  for (const auto& change : report->serviceChanges) {
    int32_t taken = change.change;
    if (change.name == IBucketMemoryPool::lookupName && taken > 0) {
      // A module keeps its one reference on the shared pool until the process ends.
      log.note(ruleServicesReleased, "the module keeps its pool reference, as it should");
      --taken;
    }
    if (taken > 0) {
      log.fail(ruleServicesReleased, change.name + ": " + std::to_string(taken) +
                                         (taken == 1 ? " reference" : " references") +
                                         " never released");
    } else if (taken < 0) {
      log.fail(ruleServicesReleased, change.name + ": released " + std::to_string(-taken) +
                                         " more " + (taken == -1 ? "time" : "times") +
                                         " than taken");
    }
  }
  report->heldObjects = host.tracker().heldObjects();
  for (const HeldObject& held : report->heldObjects) {
    log.fail(ruleNoHeldObjects, held.className + " still holds " + std::to_string(held.balance) +
                                    (held.balance == 1 ? " reference" : " references"));
  }
  if (const int64_t lost = host.tracker().lostRecords()) {
    log.note(ruleNoHeldObjects, std::to_string(lost) + " hook calls went unrecorded (out of " +
                                    "memory): the list of held objects may be incomplete");
  }
}
}  // namespace

int CheckReport::count(CheckOutcome outcome) const {
  int n = 0;
  for (const CheckResult& c : checks) n += c.outcome == outcome ? 1 : 0;
  return n;
}

bool CheckReport::allPassed() const {
  return count(CheckOutcome::fail) == 0 && count(CheckOutcome::skip) == 0;
}

bool checkModule(OrnHostApp& host, const std::string& path, CheckReport* report,
                 std::string* error) {
  *report = CheckReport();
  report->path = path;
  RuleLog log;
  host.tracker().clear();
  host.noteServiceCounts();
  const size_t reportsBefore = host.errors().reportCount();
  host.errors().setEcho(nullptr);

  LoadedModule module;
  if (!module.load(path, error)) {
    host.errors().setEcho(stderr);
    return false;
  }
  IOrnUnknown* componentUnknown = nullptr;
  if (module.version() != ornInterfaceVersion) {
    log.fail(ruleInterfaceVersion, "the module reports " + std::to_string(module.version()));
    for (const char* rule : checkRules) log.skip(rule, "the interface version is wrong");
  } else {
    const int64_t hookCallsBefore = host.tracker().addRefCalls();
    module.attach(host);
    enterModulePhase(modulePhaseChecks);
    IOrnComponent* component = module.component();
    componentUnknown = component;
    if (host.tracker().addRefCalls() == hookCallsBefore) {
      log.fail(ruleHooks, "the host's addRef on the component did not reach addRefHook");
    }
    void* view = nullptr;
    if (!component->queryInterface(IOrnComponent::lookupName, &view, 0) || view == nullptr) {
      log.fail(ruleComponentViews, "the component refuses \"IOrnComponent\"");
    }
    if (module.internal() == nullptr) {
      log.fail(ruleComponentViews, "the component refuses \"IOrnCompInternal\"");
    }
    checkObject(log, "component", componentUnknown);
    checkDescriptorObject(log, host, component);
    if (module.internal() != nullptr) {
      // A broken module may leak what it creates; the rules below report it, so it is the
      // module's leak, not the host's.
      ModuleLifetimeScope lifetime;
      checkClasses(log, host, module);
      checkTestOperation(log, host, module.internal());
    } else {
      for (const char* rule : {ruleClassWalk, ruleCreatedAtZero, ruleUnknownClass, ruleRunTests}) {
        log.skip(rule, "the component has no IOrnCompInternal view");
      }
    }
  }
  module.unload();
  if (componentUnknown != nullptr && !host.tracker().destroyedByRelease(componentUnknown)) {
    log.fail(ruleLastRelease, "component: not destroyed by the host's last release");
  }
  checkLeftovers(log, host, report);
  host.tracker().clear();
  report->foreignPoolBlocks = host.pool().dropForeignBlocks();
  host.errors().setEcho(stderr);
  const std::vector<ErrorReport> all = host.errors().reports();
  report->reports.assign(all.begin() + static_cast<std::ptrdiff_t>(reportsBefore), all.end());

  for (const char* rule : checkRules) {
    CheckResult result{rule, CheckOutcome::pass, ""};
    const Faults& faults = log.faults[rule];
    if (!faults.empty()) {
      result.outcome = CheckOutcome::fail;
      result.detail = joined(faults);
    } else if (log.skipped.count(rule)) {
      result.outcome = CheckOutcome::skip;
      result.detail = log.skipped[rule];
    } else if (log.notes.count(rule)) {
      result.detail = log.notes[rule];
    }
    report->checks.push_back(std::move(result));
  }
  return true;
}
