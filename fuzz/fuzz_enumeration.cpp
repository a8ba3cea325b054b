// Interface-name enumeration into a collector built the way a host may build it, with hostile
// contents: arrays of odd capacities whose top sits anywhere up to past their end, slots already
// holding owned or borrowed names, a stop-name table with many entries (names with high bytes, a
// null key, any chain count), a collector that arrives already stopped, tops below zero. Reports
// of raw names and enumerations of real framework objects are checked against a model after every
// step.
// Input: [flags] [classNames capacity, top] [records capacity, top] slot pieces...
//        [stop chains] [stop count] stop pieces... then ops: [op] name piece ...
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "core/interface_names.h"
#include "core/module_globals.h"
#include "fuzz/fuzz_input.h"
#include "translation/translator.h"

namespace {

// A piece of the input as 8-bit text (the input reader widens bytes; this narrows them back).
std::string narrowPiece(FuzzInput& in) {
  std::string out;
  for (char16_t unit : in.piece()) out += static_cast<char>(unit);
  return out;
}

std::string textOf(const OrnString& s) { return s.text ? s.text : ""; }

struct ModelRecord {
  bool known = false;  // slots the host never filled and the module never wrote are not compared
  std::string name;
  int32_t isClass = 0;
  std::string parent;
};

struct Model {
  std::vector<ModelRecord> records;  // by index
  std::vector<std::string> classNames;
  std::vector<bool> classKnown;
  int32_t recordsTop = 0;
  int32_t classTop = 0;
  bool stopped = false;
  bool brokenTops = false;  // a top started below zero: the slots are not modelled

  ModelRecord& record(int32_t i) {
    if (records.size() <= static_cast<size_t>(i)) records.resize(static_cast<size_t>(i) + 1);
    return records[static_cast<size_t>(i)];
  }
  // A slot past the host's storage reads as a default (empty) string once the array grows.
  std::string className(int32_t i) {
    if (classNames.size() <= static_cast<size_t>(i)) {
      classNames.resize(static_cast<size_t>(i) + 1);
      classKnown.resize(static_cast<size_t>(i) + 1, true);
    }
    return classNames[static_cast<size_t>(i)];
  }
  void setClassName(int32_t i, const std::string& name) {
    className(i);
    classNames[static_cast<size_t>(i)] = name;
    classKnown[static_cast<size_t>(i)] = true;
  }

  void report(const std::string& name, int isClass, bool isStopName) {
    if (stopped || isStopName) {
      stopped = true;
      recordsTop = 0;
      classTop = 0;
      return;
    }
    ++recordsTop;
    if (brokenTops) {
      if (isClass != 0) ++classTop;
      return;
    }
    ModelRecord& r = record(recordsTop);
    r.known = true;
    r.name = name;
    r.isClass = isClass;
    r.parent = classTop != 0 ? className(classTop) : "";
    if (isClass != 0) setClassName(++classTop, name);
  }
};

// A host whose only service is an assertion handler that counts: a collector with a negative
// top is a failed check, which without a handler would end the process.
class CountingAssertHandler : public IOrnAssertHandlerCB {
 public:
  void reportAssertion(const char*, const char*, int) override { ++failedChecks; }
  bool queryInterface(const char* name, void** out, int) override {
    return queryClass(name, out, this, "CountingAssertHandler", false) ||
           queryInterfaceName(name, out, static_cast<IOrnAssertHandlerCB*>(this),
                              IOrnAssertHandlerCB::lookupName);
  }
  const char* className() override { return "CountingAssertHandler"; }
  int failedChecks = 0;
};

class FuzzHost : public IOrnHost {
 public:
  int getService(const OrnString& name, void** out) override {
    if (name.text != nullptr && std::strcmp(name.text, IOrnAssertHandlerCB::lookupName) == 0) {
      *out = static_cast<IOrnAssertHandlerCB*>(&handler);
    }
    return 1;
  }
  int hostCode() override { return 'F'; }
  void addRefHook(int* count) override { ++*count; }
  bool releaseHook(int* count) override {  // never destroys: every object here is the run's own
    --*count;
    return false;
  }
  bool queryInterface(const char*, void**, int) override { return false; }
  const char* className() override { return "FuzzHost"; }
  CountingAssertHandler handler;
};

void fail(const char* what) {
  std::fprintf(stderr, "enumeration: %s differs from the model\n", what);
  std::abort();
}

void compare(const InterfaceNameCollector& c, Model& model) {
  if (c.stopped != model.stopped) fail("stopped");
  if (c.records->top != model.recordsTop) fail("records top");
  if (c.classNames->top != model.classTop) fail("classNames top");
  if (model.brokenTops) return;
  for (int32_t i = 1; i <= c.records->top && i < c.records->capacity; ++i) {
    const ModelRecord& want = model.record(i);
    if (!want.known) continue;
    const InterfaceNameRecord& got = c.records->data[i];
    if (textOf(got.name) != want.name) fail("record name");
    if (got.isClass != want.isClass) fail("record isClass");
    if (textOf(got.parent) != want.parent) fail("record parent");
  }
  for (int32_t i = 1; i <= c.classNames->top && i < c.classNames->capacity; ++i) {
    const std::string want = model.className(i);
    if (model.classKnown[static_cast<size_t>(i)] && textOf(c.classNames->data[i]) != want) {
      fail("class name");
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static FuzzHost* host = new FuzzHost();
  moduleHost = host;
  FuzzInput in(data, size);
  // Every name the arrays may borrow lives until the collector is gone.
  std::vector<std::unique_ptr<std::string>> texts;
  const auto keep = [&texts](std::string s) -> const char* {
    texts.push_back(std::make_unique<std::string>(std::move(s)));
    return texts.back()->c_str();
  };

  const uint8_t flags = in.byte();
  Model model;
  model.stopped = (flags & 1) != 0;

  OrnArray<OrnString> classNames;
  OrnArray<InterfaceNameRecord> records;
  // Bit 2: tops below zero, a broken record; the module reports it and writes nothing before the
  // arrays, and only the tops are compared then.
  const bool negativeTops = (flags & 4) != 0;
  const int32_t classCapacity = in.byte() % 24;
  int32_t classTop = in.byte() % (classCapacity + 4);
  const int32_t recordCapacity = in.byte() % 24;
  int32_t recordTop = in.byte() % (recordCapacity + 4);
  if (negativeTops) {
    classTop = -classTop;
    recordTop = -recordTop - 1;
  }
  if (classCapacity > 0) classNames.grow(classCapacity - 1);
  if (recordCapacity > 0) records.grow(recordCapacity - 1);
  for (int32_t i = 0; i < classNames.capacity; ++i) {
    const std::string name = narrowPiece(in);
    if (in.byte() & 1) {
      classNames.data[i] = OrnString(name.c_str());
    } else {
      classNames.data[i].borrow(keep(name));
    }
    model.setClassName(i, name);
  }
  for (int32_t i = 0; i < records.capacity; ++i) {
    InterfaceNameRecord& r = records.data[i];
    const std::string name = narrowPiece(in);
    const std::string parent = narrowPiece(in);
    r.name.borrow(keep(name));
    r.isClass = in.byte() & 1;
    r.parent = OrnString(parent.c_str());
    ModelRecord& m = model.record(i);
    m = ModelRecord{true, name, r.isClass, parent};
  }
  classNames.top = classTop;
  records.top = recordTop;
  model.classTop = classTop;
  model.recordsTop = recordTop;
  model.brokenTops = negativeTops;

  InterfaceNameCollector collector(&classNames, &records);
  collector.stopped = model.stopped;
  // Any chain count, and up to 510 stop names; the host's table, built by the table's own rules.
  collector.stopNames.~OrnHashTable();
  new (&collector.stopNames) OrnHashTable<OrnString, int32_t>(1u + in.byte() * 7u);
  std::vector<std::string> stopNames;
  const int stopCount = in.byte() * 2;
  for (int i = 0; i < stopCount && !in.done(); ++i) {
    stopNames.push_back(narrowPiece(in));
    collector.stopNames.findOrInsert(OrnString(stopNames.back().c_str())) = i;
  }
  if (flags & 2) collector.stopNames.findOrInsert(OrnString());  // a null key stops nothing here
  const auto isStopName = [&stopNames](const std::string& name) {
    for (const std::string& s : stopNames) {
      if (s == name) return true;
    }
    return false;
  };
  compare(collector, model);

  OrnTrivialTranslator translator;
  static const uint8_t bytes[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
  OrnClcBinary descriptor(1, bytes, 16);
  void* const out = &collector;
  for (int op = 0; op < 64 && !in.done(); ++op) {
    const uint8_t code = in.byte();
    switch (code % 4) {
      case 0:
      case 1: {  // a raw report of a name of the input
        const char* name = keep(narrowPiece(in));
        reportName(name, code & 4 ? 1 : 0, &collector);
        model.report(name, code & 4 ? 1 : 0, isStopName(name));
        break;
      }
      case 2: {  // a real object: its class, then its interface
        const bool declined = translator.queryInterface(nullptr, static_cast<void**>(out), 0);
        if (declined) fail("translator enumeration result");
        model.report(OrnTrivialTranslator::classNameText, 1,
                     isStopName(OrnTrivialTranslator::classNameText));
        model.report(IOrnTranslator::lookupName, 0, isStopName(IOrnTranslator::lookupName));
        break;
      }
      default: {
        if (descriptor.queryInterface(nullptr, static_cast<void**>(out), 0)) {
          fail("descriptor enumeration result");
        }
        model.report(OrnClcBinary::classNameText, 1, isStopName(OrnClcBinary::classNameText));
        model.report(IOrnClcBinary::lookupName, 0, isStopName(IOrnClcBinary::lookupName));
        break;
      }
    }
    compare(collector, model);
  }
  return 0;
}
