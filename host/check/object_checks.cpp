#include "host/check/object_checks.h"

#include <algorithm>
#include <cctype>
#include <unordered_set>

#include "core/component.h"
#include "core/host.h"
#include "pool/bucket_pool.h"
#include "translation/translator.h"

namespace {
// Stands for any interface that derives virtually from IOrnUnknown, to find a view's IOrnUnknown
// part when the host does not know the view's type. Never instantiated. Like every interface it
// has a table of its own operations at its head: in the Microsoft layout the pointer to the
// virtual-base offsets follows that table, so the stand-in needs one too.
class OpaqueInterface : public virtual IOrnUnknown {
 public:
  virtual void ownOperation() = 0;
};

// The IOrnUnknown part of a view of a known interface.
template <class I>
IOrnUnknown* unknownOfTyped(void* view) {
  return static_cast<IOrnUnknown*>(static_cast<I*>(view));
}

struct KnownInterface {
  const char* name;
  IOrnUnknown* (*unknownOf)(void* view);
};

const std::vector<KnownInterface>& knownInterfaces() {
  static const std::vector<KnownInterface> known = {
      {IOrnComponent::lookupName, unknownOfTyped<IOrnComponent>},
      {IOrnCompInternal::lookupName, unknownOfTyped<IOrnCompInternal>},
      {IOrnClcBinary::lookupName, unknownOfTyped<IOrnClcBinary>},
      {IOrnTranslator::lookupName, unknownOfTyped<IOrnTranslator>},
      {IBucketMemoryPool::lookupName, unknownOfTyped<IBucketMemoryPool>},
      {IOrnHost::lookupName, unknownOfTyped<IOrnHost>},
      {IDataStore::lookupName, unknownOfTyped<IDataStore>},
      {IOrnDirService::lookupName, unknownOfTyped<IOrnDirService>},
      {IOrnErrorService::lookupName, unknownOfTyped<IOrnErrorService>},
      {IOrnAssertHandlerCB::lookupName, unknownOfTyped<IOrnAssertHandlerCB>},
      {OrnMM::IOrnMManager::lookupName, unknownOfTyped<OrnMM::IOrnMManager>},
      {IOrnHeapMemoryUsage::lookupName, unknownOfTyped<IOrnHeapMemoryUsage>},
      {IMemChecker::lookupName, unknownOfTyped<IMemChecker>},
      {IOrnTranslatorService::lookupName, unknownOfTyped<IOrnTranslatorService>},
  };
  return known;
}

const KnownInterface* findKnown(const std::string& name) {
  for (const KnownInterface& k : knownInterfaces()) {
    if (name == k.name) return &k;
  }
  return nullptr;
}

// The view for name, or null; `answered` receives queryInterface's result.
void* query(IOrnUnknown* object, const std::string& name, bool* answered) {
  void* view = nullptr;
  *answered = object->queryInterface(name.c_str(), &view, 0);
  return view;
}

std::string quoted(const std::string& s) { return "\"" + s + "\""; }

std::vector<std::string> caseVariants(const std::string& name) {
  std::string lower = name, upper = name, flipped = name;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (!flipped.empty()) {
    const unsigned char c = static_cast<unsigned char>(flipped[0]);
    flipped[0] = static_cast<char>(std::islower(c) ? std::toupper(c) : std::tolower(c));
  }
  std::vector<std::string> out;
  for (const std::string& v : {lower, upper, flipped}) {
    if (v != name && std::find(out.begin(), out.end(), v) == out.end()) out.push_back(v);
  }
  return out;
}

// Names no interface has. An object that answers one answers anything: what it answers then
// says nothing about the interfaces it implements.
const char* const impossibleNames[] = {"IOrnNoSuchInterface", "IOrnNoSuchInterface.7f3a9c"};

// The first impossible name the object answers, or null.
const char* answeredImpossibleName(IOrnUnknown* object) {
  for (const char* name : impossibleNames) {
    bool answered = false;
    if (query(object, name, &answered) != nullptr || answered) return name;
  }
  return nullptr;
}

// Every name the object should answer: IOrnUnknown, its class name, the enumerated names and the
// known interfaces it answers (none when it answers anything), each once, in that order.
std::vector<std::string> answeredNames(IOrnUnknown* object, const NameList& names,
                                       bool answersAnything) {
  std::vector<std::string> out = {"IOrnUnknown"};
  std::unordered_set<std::string> listed(out.begin(), out.end());
  const auto add = [&](const std::string& n) {
    if (!n.empty() && listed.insert(n).second) out.push_back(n);
  };
  add(textOf(object->className()));
  for (const ReportedName& n : names.names) add(n.name);
  if (answersAnything) return out;
  for (const KnownInterface& k : knownInterfaces()) {
    bool answered = false;
    if (query(object, k.name, &answered) != nullptr) add(k.name);
  }
  return out;
}
}  // namespace

const std::vector<std::string>& knownInterfaceNames() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> out;
    for (const KnownInterface& k : knownInterfaces()) out.push_back(k.name);
    return out;
  }();
  return names;
}

void checkViews(const std::string& label, IOrnUnknown* object, const NameList& names,
                Faults* faults) {
  if (const char* impossible = answeredImpossibleName(object)) {
    // Its "views" of interfaces it does not have would be called through tables they lack.
    faults->push_back(label + ": answers even " + quoted(impossible) +
                      ", so none of its views can be trusted; none was called");
    return;
  }
  for (const std::string& name : answeredNames(object, names, false)) {
    bool answered = false;
    void* view = query(object, name, &answered);
    if (view == nullptr) continue;  // checkEnumeration reports names that are not answered
    if (view == static_cast<void*>(object)) continue;  // the IOrnUnknown part itself
    const KnownInterface* known = findKnown(name);
    IOrnUnknown* unknown = known ? known->unknownOf(view)
                                 : static_cast<IOrnUnknown*>(static_cast<OpaqueInterface*>(view));
    if (unknown != object) {
      faults->push_back(label + ": view " + quoted(name) +
                        " has an IOrnUnknown part (and a count) of its own");
      continue;
    }
    if (known == nullptr) continue;
    // A typed view: ask it for IOrnUnknown, and see a reference through its count.
    void* back = nullptr;
    unknown->queryInterface("IOrnUnknown", &back, 0);
    if (back != static_cast<void*>(object)) {
      faults->push_back(label + ": view " + quoted(name) +
                        " answers \"IOrnUnknown\" with a different view");
      continue;
    }
    const int64_t before = unknown->refCount();  // 64 bits: the module may say INT_MAX
    object->addRef();
    const int64_t after = unknown->refCount();
    object->release();
    if (after != before + 1) {
      faults->push_back(label + ": a reference taken through IOrnUnknown does not show in view " +
                        quoted(name) + "'s count");
    }
  }
}

void checkEnumeration(const std::string& label, IOrnUnknown* object, const NameList& names,
                      Faults* faults) {
  const std::string className = textOf(object->className());
  bool answered = false;
  if (className.empty()) {
    faults->push_back(label + ": className() gives no name");
  } else if (query(object, className, &answered) == nullptr || !answered) {
    faults->push_back(label + ": its class name " + quoted(className) + " is not answered");
  }
  if (names.declined) return;  // a class that is not listed reports nothing
  const bool answersAnything = answeredImpossibleName(object) != nullptr;
  bool classListed = false;
  std::unordered_set<std::string> enumerated;
  for (const ReportedName& n : names.names) {
    if (n.isClass && n.name == className) classListed = true;
    enumerated.insert(n.name);
    void* view = query(object, n.name, &answered);
    if (view == nullptr || !answered) {
      faults->push_back(label + ": enumerates " + quoted(n.name) +
                        " but queryInterface refuses it");
    }
  }
  if (!className.empty() && !classListed) {
    faults->push_back(label + ": the enumeration does not list its class name " +
                      quoted(className));
  }
  if (answersAnything) return;  // checkRefusedNames says so; its answers prove nothing
  for (const KnownInterface& k : knownInterfaces()) {
    if (query(object, k.name, &answered) != nullptr && enumerated.count(k.name) == 0) {
      faults->push_back(label + ": answers " + quoted(k.name) +
                        " but the enumeration does not list it");
    }
  }
}

void checkRefusedNames(const std::string& label, IOrnUnknown* object, const NameList& names,
                       Faults* faults) {
  const bool answersAnything = answeredImpossibleName(object) != nullptr;
  const std::vector<std::string> answered = answeredNames(object, names, answersAnything);
  const std::unordered_set<std::string> answeredSet(answered.begin(), answered.end());
  std::vector<std::string> probes = {"IOrnNoSuchInterface", ""};
  // An object that answers anything answers every variant too: two probes say it.
  for (const std::string& name : answersAnything ? std::vector<std::string>() : answered) {
    for (const std::string& v : caseVariants(name)) {
      if (!answeredSet.count(v)) probes.push_back(v);
    }
  }
  for (const std::string& probe : probes) {
    int sentinel = 0;
    void* view = &sentinel;  // must come back null
    const bool result = object->queryInterface(probe.c_str(), &view, 0);
    if (result || view != nullptr) {
      faults->push_back(label + ": " + (probe.empty() ? "the empty name" : quoted(probe)) +
                        (result ? " is answered" : " leaves the view pointer set"));
    }
  }
}
