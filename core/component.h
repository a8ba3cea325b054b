// What a component author and a host use: the component interfaces the host receives from
// EntryPoint, the descriptor and class-factory interfaces, and ORN_DEFINE_COMPONENT, which defines
// a module's start-up and its one export. The framework's own component, descriptor, factory,
// customizer and module globals are in core/module_globals.h.
#ifndef ORN_CORE_COMPONENT_H_
#define ORN_CORE_COMPONENT_H_

#include <cstdint>

#include "core/host.h"
#include "core/object.h"
#include "core/orn_id.h"

// The interface version EntryPoint reports.
constexpr int ornInterfaceVersion = 100;

// Component descriptor interface.
class IOrnClcBinary : public virtual IOrnUnknown {
 public:
  static constexpr const char* lookupName = "IOrnClcBinary";
  virtual int32_t version() = 0;
  virtual const uint8_t* data() = 0;
  virtual int32_t size() = 0;
};

// The class factory behind the component (a plain interface).
class IOrnClassFactory {
 public:
  virtual ~IOrnClassFactory() = default;
  // Creates an instance (count 0) of a registered class; 0 and *out unchanged when unknown or
  // when out is null; 0 and *out null when the instance could not be made.
  virtual int createInstance(const OrnID& classId, IOrnUnknown** out) = 0;
  virtual int classCount() = 0;
  virtual bool firstClass(OrnID& id) = 0;
  virtual bool nextClass(OrnID& id) = 0;
  // Null for an unregistered identifier.
  virtual const char* classNameOf(const OrnID& id) = 0;
};

class IOrnComponent : public virtual IOrnUnknown {
 public:
  static constexpr const char* lookupName = "IOrnComponent";
  // Stores host in moduleHost (no reference taken) and notifies the customizer.
  virtual void initialize(IOrnHost* host) = 0;
  virtual void terminate() = 0;
  virtual int createInstance(const OrnID& classId, IOrnUnknown** out) = 0;
  virtual const char* buildStamp() = 0;
  // The module's descriptor; no reference is taken for the caller.
  virtual IOrnClcBinary* descriptor() = 0;
};

class IOrnCompInternal : public virtual IOrnUnknown {
 public:
  static constexpr const char* lookupName = "IOrnCompInternal";
  virtual void reserved1() = 0;
  virtual void reserved2() = 0;
  virtual const OrnID* identifier() = 0;
  virtual const char* name() = 0;
  virtual const char* buildStamp() = 0;
  virtual int classCount() = 0;
  virtual bool firstClass(OrnID& id) = 0;
  virtual bool nextClass(OrnID& id) = 0;
  virtual const char* classNameOf(const OrnID& id) = 0;
  virtual bool probe() = 0;
  // Hands the registered tests to testService, or reports that there is none (testService null).
  virtual void runTests(IOrnTestService* testService) = 0;
};

// What a component module defines about itself (see ORN_DEFINE_COMPONENT).
struct OrnComponentDefinition {
  const char* name;
  OrnID id;
  uint8_t descriptorBytes[16];
  // The build stamp both component interfaces report; null: the module's build time.
  const char* buildStamp = nullptr;
};

// When the module was built, "YYYY-MM-DD HH:MM" (UTC): the build stamp of a component that names
// none. Set during start-up by a source that orn_add_component generates into the module; null
// in a module built without it, whose stamp then reads "unknown". Not synchronised.
extern const char* moduleBuildTime;

// Builds the module's start-up objects in their fixed order from the component's definition.
// Runs once, from the component's static initialiser that ORN_DEFINE_COMPONENT defines.
void startModule(const OrnComponentDefinition& definition);

// The export's body: version and component out; 1 on success, 0 writing nothing on bad
// arguments or a missing factory, 0 with both cleared when creation throws or yields null.
int ornEntryPoint(int* version, IOrnComponent** component);

#if defined(_WIN32)
#define ORN_EXPORT extern "C" __declspec(dllexport)
#else
#define ORN_EXPORT extern "C" __attribute__((visibility("default")))
#endif

// Defines a component module in one place: its name, identifier, 16 descriptor bytes and,
// optionally, its build stamp; without one the module reports when it was built
// (moduleBuildTime). Expands to the module's start-up object and its one export, EntryPoint. Use
// once per module.
//   ORN_DEFINE_COMPONENT("my_component",
//                        OrnID(0x12345678, 0x1234, 0x5678, {1, 2, 3, 4, 5, 6, 7, 8}),
//                        {0x01, 0x02, ... 16 bytes ...})
//   ORN_DEFINE_COMPONENT("my_component", OrnID(...), {... 16 bytes ...}, "2010-12-16 11:42")
#define ORN_DEFINE_COMPONENT(NAME, ID, ...)                                  \
  namespace {                                                                \
  struct OrnComponentStartup {                                               \
    OrnComponentStartup() {                                                  \
      static const OrnComponentDefinition definition{NAME, ID, __VA_ARGS__}; \
      startModule(definition);                                               \
    }                                                                        \
  } ornComponentStartup;                                                     \
  }                                                                          \
  ORN_EXPORT int EntryPoint(int* version, IOrnComponent** component) {       \
    return ornEntryPoint(version, component);                                \
  }

#endif  // ORN_CORE_COMPONENT_H_
