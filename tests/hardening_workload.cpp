#include "tests/hardening_workload.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "component/example_counter.h"
#include "core/interface_names.h"
#include "host/module_lifetime.h"
#include "memory/ubrrealloc.h"
#include "platform/heap.h"
#include "pool/pool_binding.h"
#include "text/orn_array.h"
#include "text/orn_hash_table.h"
#include "text/orn_string.h"
#include "text/orn_wstring.h"
#include "translation/translator.h"

bool WorkloadCheck::expect(bool ok, const std::string& what) {
  if (!ok && firstFailure_.empty()) firstFailure_ = what;
  return ok;
}

namespace {

const char* const buildStamp = "2010-12-16 11:42";

std::string textOf(const char* text) { return text ? text : ""; }

template <class I>
I* viewOf(IOrnUnknown* object) {
  void* out = nullptr;
  return object->queryInterface(I::lookupName, &out, 0) ? static_cast<I*>(out) : nullptr;
}

// A test service that keeps what it is handed; the component's list is empty, so it stays empty.
class KeepingTestService : public IOrnTestService {
 public:
  virtual ~KeepingTestService() = default;
  void runTest(void* record) override { records.push_back(record); }
  std::vector<void*> records;
};

// ---- the host's side

struct Names {
  bool declined = false;
  std::vector<std::string> names;  // "C:name" for a class, "I:name/parent" for an interface
};

// Enumerates object into a collector this host builds; stopNames go into its stop set first.
Names enumerate(IOrnUnknown* object, const std::vector<const char*>& stopNames, bool* stopped) {
  OrnArray<OrnString> classNames;
  OrnArray<InterfaceNameRecord> records;
  InterfaceNameCollector collector(&classNames, &records);
  for (const char* stop : stopNames) collector.stopNames.findOrInsert(OrnString(stop)) = 1;
  Names out;
  out.declined = object->queryInterface(nullptr, reinterpret_cast<void**>(&collector), 0);
  for (int32_t i = 1; i <= records.top && i < records.capacity; ++i) {
    const InterfaceNameRecord& r = records.data[i];
    out.names.push_back(r.isClass ? "C:" + textOf(r.name.text)
                                  : "I:" + textOf(r.name.text) + "/" + textOf(r.parent.text));
  }
  if (stopped != nullptr) *stopped = collector.stopped;
  return out;
}

void readFacts(IOrnComponent* component, IOrnCompInternal* internal,
               const ExpectedComponent& expected, WorkloadCheck& check) {
  check.expect(textOf(internal->name()) == expected.name, "component name");
  check.expect(textOf(component->buildStamp()) == buildStamp, "build stamp (IOrnComponent)");
  check.expect(textOf(internal->buildStamp()) == buildStamp, "build stamp (IOrnCompInternal)");
  const OrnID* id = internal->identifier();
  check.expect(id != nullptr && id->equals(expected.id), "component identifier");
  check.expect(internal->probe(), "probe");
  IOrnClcBinary* descriptor = component->descriptor();
  if (!check.expect(descriptor != nullptr, "descriptor")) return;
  check.expect(descriptor == component->descriptor(), "one descriptor object");
  check.expect(descriptor->version() == 1 && descriptor->size() == 16, "descriptor version, size");
  check.expect(descriptor->data() != nullptr &&
                   std::memcmp(descriptor->data(), expected.descriptorBytes, 16) == 0,
               "descriptor bytes");

  Names names = enumerate(component, {}, nullptr);
  check.expect(names.declined && names.names.empty(), "component declines enumeration");
  names = enumerate(descriptor, {}, nullptr);
  check.expect(
      !names.declined &&
          names.names == std::vector<std::string>{"C:OrnClcBinary", "I:IOrnClcBinary/OrnClcBinary"},
      "descriptor names");
  // A stop set with many names, one of them the descriptor's interface: both arrays end empty.
  std::vector<std::string> many;
  for (int i = 0; i < 40; ++i) many.push_back("IStop" + std::to_string(i) + "\xE9");
  std::vector<const char*> stops;
  for (const std::string& s : many) stops.push_back(s.c_str());
  stops.push_back("IOrnClcBinary");
  bool stopped = false;
  names = enumerate(descriptor, stops, &stopped);
  check.expect(stopped && names.names.empty(), "stop name ends the enumeration");
  stops.pop_back();
  names = enumerate(descriptor, stops, &stopped);
  check.expect(!stopped && names.names.size() == 2, "names that are not reported never stop");
}

void createEveryClass(IOrnComponent* component, IOrnCompInternal* internal, WorkloadCheck& check) {
  const int count = internal->classCount();
  std::vector<OrnID> ids;
  OrnID id;
  ModuleLifetimeScope lifetime;  // the module's class cursor and what it keeps of the walk
  if (internal->firstClass(id)) {
    ids.push_back(id);
    while (internal->nextClass(id) && ids.size() < 1000) ids.push_back(id);
  }
  check.expect(count >= 1 && static_cast<int>(ids.size()) == count, "class walk covers classCount");
  for (const OrnID& classId : ids) {
    const std::string name = textOf(internal->classNameOf(classId));
    IOrnUnknown* object = nullptr;
    if (!check.expect(component->createInstance(classId, &object) == 1 && object != nullptr,
                      "createInstance of " + name)) {
      continue;
    }
    check.expect(object->refCount() == 0, name + " starts at count 0");
    object->addRef();
    check.expect(object->refCount() == 1, name + " counted once");
    check.expect(textOf(object->className()) == name, name + " className");
    const Names names = enumerate(object, {}, nullptr);
    check.expect(!names.declined && !names.names.empty() && names.names[0] == "C:" + name,
                 name + " enumerates its class first");
    for (size_t i = 1; i < names.names.size(); ++i) {
      check.expect(names.names[i].rfind("I:", 0) == 0 && names.names[i].size() > name.size() + 1 &&
                       names.names[i].compare(names.names[i].size() - name.size() - 1,
                                              std::string::npos, "/" + name) == 0,
                   name + " interface names carry their class");
    }
    if (IExampleCounter* counter = viewOf<IExampleCounter>(object)) {
      check.expect(
          counter->increment(2) == 2 && counter->increment(3) == 5 && counter->value() == 5,
          name + " counts");
    }
    object->release();
  }
  IOrnUnknown* none = nullptr;
  const OrnID unknown(0xDEADBEEF, 1, 2, {3, 4, 5, 6, 7, 8, 9, 10});
  check.expect(component->createInstance(unknown, &none) == 0, "unknown class is refused");
  check.expect(internal->classNameOf(unknown) == nullptr, "unknown class has no name");
}

void runTests(IOrnCompInternal* internal, const WorkloadHost& host, WorkloadCheck& check) {
  KeepingTestService service;
  {
    ModuleLifetimeScope lifetime;  // the module's test list
    internal->runTests(&service);
  }
  check.expect(service.records.empty(), "empty test list calls nothing");
  const size_t before = host.reportedMessages().size();
  internal->runTests(nullptr);
  const std::vector<std::string> reports = host.reportedMessages();
  const std::string code(1, static_cast<char>(host.host->hostCode() & 0xFF));
  check.expect(reports.size() == before + 2 && reports[before] == "Unable to get test service" &&
                   reports[before + 1] == code,
               "runTests without a test service reports twice");
}

}  // namespace

void runComponentWorkload(IOrnComponent* component, const WorkloadHost& host,
                          const ExpectedComponent& expected, WorkloadCheck& check) {
  if (!check.expect(component != nullptr, "a component")) return;
  component->initialize(host.host);
  component->addRef();
  check.expect(component->refCount() == 1, "host's reference on the component");
  IOrnCompInternal* internal = viewOf<IOrnCompInternal>(component);
  if (check.expect(internal != nullptr, "IOrnCompInternal view")) {
    readFacts(component, internal, expected, check);
    createEveryClass(component, internal, check);
    runTests(internal, host, check);
  }
  component->terminate();
  component->release();
}

// ---- the framework's side

namespace {

// n printable bytes that differ with seed, never a NUL.
std::string pattern(size_t n, unsigned seed) {
  std::string s(n, ' ');
  for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>('!' + (i * 7 + seed) % 90);
  return s;
}

std::u16string widened(const std::string& s) {
  std::u16string out;
  for (char c : s) out += static_cast<char16_t>(static_cast<unsigned char>(c));
  return out;
}

std::u16string textOf(const OrnWString& s) { return s.text ? std::u16string(s.text) : u""; }

// Every size class boundary of the pool, and blocks that bypass it.
void strings(WorkloadCheck& check) {
  static const size_t sizes[] = {0,    1,    3,    4,     10,     100,   1000,
                                 8191, 8192, 8193, 40000, 262143, 300000};
  unsigned seed = 0;
  for (size_t n : sizes) {
    const std::string model = pattern(n, ++seed);
    const std::string what = "string of " + std::to_string(n) + " bytes";
    OrnString owned(model.c_str());
    check.expect(owned.isOwned() && static_cast<size_t>(owned.capacity) > n &&
                     model == owned.text && stringIsSound(owned),
                 what);
    OrnString copy;
    copy.assign(owned);
    check.expect(copy.text != owned.text && model == copy.text && stringIsSound(copy),
                 "owned copy of a " + what);
    OrnString borrowed = OrnString::borrowing(model.c_str());
    OrnString shared(borrowed);
    check.expect(shared.text == model.c_str() && shared.capacity == 0,
                 "borrowed copy of a " + what);
    owned.clear();
    check.expect(model == copy.text, "copy outlives its source, " + what);
  }
}

void wideTextAndTranslation(WorkloadCheck& check) {
  OrnWString wide("start");
  std::u16string model = u"start";
  for (int i = 0; i < 12; ++i) {
    const std::string piece = pattern(static_cast<size_t>(i * 9 % 37), static_cast<unsigned>(i));
    wide.append(OrnWString(piece.c_str()));
    model += widened(piece);
  }
  check.expect(textOf(wide) == model && wideStringIsSound(wide), "appended wide text");
  const OrnWString replaced = wide.replaceRange(5, 100, OrnWString("<>"));
  check.expect(textOf(replaced) == model.substr(0, 5) + u"<>" + model.substr(100), "replaceRange");
  OrnWString copy(wide);
  copy.append(copy);
  check.expect(textOf(copy) == model + model, "self-append of a copy");

  IOrnTranslator* translator = currentTranslator();
  if (!check.expect(translator != nullptr, "a translator")) return;
  const OrnWString a("a"), b("b"), ab("AB");
  check.expect(textOf(translator->translate("%2 of %1", &a, &b)) == u"b of a", "placeholders");
  check.expect(textOf(translator->translate("x%1y", 1, &ab)) == u"xABy", "counted placeholder");
  check.expect(textOf(translator->translate("100%")) == u"100%", "plain text");
}

void arrays(WorkloadCheck& check) {
  OrnArray<intptr_t> plain;
  for (intptr_t i = 1; i <= 1000; ++i) plain.push(i * 3);
  bool intact = plain.top == 1000 && plain.capacity >= 1001;
  for (int32_t i = 1; intact && i <= 1000; ++i) intact = plain.data[i] == i * 3;
  check.expect(intact, "plain array of 1000 pushes");

  OrnArray<OrnString> texts;
  for (int i = 1; i <= 16; ++i) texts.push(OrnString(pattern(static_cast<size_t>(i), 5).c_str()));
  intact = texts.top == 16;
  for (int32_t i = 1; intact && i <= 16; ++i) {
    intact = texts.data[i].isOwned() && pattern(static_cast<size_t>(i), 5) == texts.data[i].text;
  }
  check.expect(intact, "array of 16 owned strings");
}

// The bucket table grows at the first class above 32768 bytes; a bucket's stack grows past its
// first nine slots. The stack hands the blocks back last in, first out.
void poolTables(WorkloadCheck& check) {
  int capacity = 0;
  void* big = poolAlloc(40000, &capacity);
  check.expect(big != nullptr && capacity == 65536, "pooled block of 40000 bytes");
  if (big != nullptr) std::memset(big, 0x5A, 40000);
  check.expect(modulePool != nullptr && modulePool->bucketCount > 2050, "bucket table grown");
  poolFree(capacity, &big);

  constexpr int count = 24;
  void* blocks[count];
  int capacities[count];
  for (int i = 0; i < count; ++i) {
    blocks[i] = poolAlloc(20, &capacities[i]);
    std::memset(blocks[i], i + 1, 20);
  }
  bool intact = true;
  for (int i = 0; i < count; ++i) {
    for (int j = 0; j < 20; ++j) intact = intact && static_cast<char*>(blocks[i])[j] == i + 1;
  }
  check.expect(intact, "24 pooled blocks of 20 bytes keep their contents");
  void* released[count];
  for (int i = 0; i < count; ++i) {
    released[i] = blocks[i];
    poolFree(capacities[i], &blocks[i]);
  }
  bool lifo = true;
  for (int i = count - 1; i >= 0; --i) {
    int c = 0;
    void* again = poolAlloc(20, &c);
    lifo = lifo && again == released[i] && c == 20;
    blocks[i] = again;
    capacities[i] = c;
  }
  check.expect(lifo, "a grown bucket hands its blocks back last in, first out");
  for (int i = 0; i < count; ++i) poolFree(capacities[i], &blocks[i]);
}

void guardedGrowth(WorkloadCheck& check) {
  void* block = nullptr;
  const int old = ubrMalloc(&block, 4, 4096);
  check.expect(old == 4096 && block != nullptr, "guarded allocation");
  for (int i = 0; i < 4096; ++i) static_cast<int32_t*>(block)[i] = i * 7 + 1;
  const int grown = ubrRealloc(&block, 4, 4096, 8192, 65536);
  bool intact = grown >= 8192 && grown <= 65536;
  for (int i = 0; intact && i < 4096; ++i) intact = static_cast<int32_t*>(block)[i] == i * 7 + 1;
  for (int i = 4096; intact && i < grown; ++i) intact = static_cast<int32_t*>(block)[i] == 0;
  check.expect(intact, "guarded growth keeps the contents and zeroes the rest");
  const int shrunk = ubrRealloc(&block, 4, grown, 100, 100);
  intact = shrunk == 100;
  for (int i = 0; intact && i < 100; ++i) intact = static_cast<int32_t*>(block)[i] == i * 7 + 1;
  check.expect(intact, "guarded shrink keeps the first elements");
  platformFree(block);
}

}  // namespace

void runFrameworkWorkload(WorkloadCheck& check) {
  strings(check);
  wideTextAndTranslation(check);
  arrays(check);
  poolTables(check);
  guardedGrowth(check);
}
