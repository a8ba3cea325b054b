// The component object the host receives from EntryPoint, its factory and customizer, the
// component descriptor and the class-factory interface behind the component's class operations.
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

// The component: stateless; everything it answers comes from module globals.
class OrnBaseComponent : public IOrnComponent, public IOrnCompInternal {
 public:
  static constexpr const char* classNameText = "OrnBaseComponent";

  void initialize(IOrnHost* host) override;
  void terminate() override;
  int createInstance(const OrnID& classId, IOrnUnknown** out) override;
  const char* buildStamp() override;
  IOrnClcBinary* descriptor() override;

  void reserved1() override {}
  void reserved2() override {}
  const OrnID* identifier() override;
  const char* name() override;
  int classCount() override;
  bool firstClass(OrnID& id) override;
  bool nextClass(OrnID& id) override;
  const char* classNameOf(const OrnID& id) override;
  bool probe() override { return true; }
  void runTests(IOrnTestService* testService) override;

  bool queryInterface(const char* name, void** out, int options) override;
  const char* className() override { return classNameText; }
};

// The component descriptor: a version and an owned copy of opaque bytes.
class OrnClcBinary : public IOrnClcBinary {
 public:
  static constexpr const char* classNameText = "OrnClcBinary";

  OrnClcBinary(int32_t version, const uint8_t* bytes, int32_t size);
  ~OrnClcBinary() override;

  int32_t version() override { return version_; }
  const uint8_t* data() override { return data_; }
  int32_t size() override { return size_; }

  bool queryInterface(const char* name, void** out, int options) override;
  const char* className() override { return classNameText; }

 private:
  int32_t version_;
  uint8_t* data_;
  int32_t size_;
};

class IOrnComponentFactory {
 public:
  virtual ~IOrnComponentFactory() = default;
  virtual IOrnComponent* create() = 0;
};

class OrnBaseComponentFact : public IOrnComponentFactory {
 public:
  // A new component (count 0), or null when allocation fails.
  IOrnComponent* create() override;
};

class IOrnComponentCustomizer {
 public:
  virtual ~IOrnComponentCustomizer() = default;
  virtual bool onInitialize() = 0;
  virtual bool onTerminate() = 0;
};

class InternalComponentCustomizer : public IOrnComponentCustomizer {
 public:
  bool onInitialize() override { return true; }
  bool onTerminate() override { return true; }
};

// What a component module defines about itself (see ORN_DEFINE_COMPONENT).
struct OrnComponentDefinition {
  const char* name;
  OrnID id;
  uint8_t descriptorBytes[16];
};

// Module globals. The factory, customizer and class factory are never destroyed while the module
// is loaded; componentDescriptor is destroyed by the exit list.
extern OrnBaseComponentFact* componentFactory;
extern IOrnClassFactory* classFactory;
extern InternalComponentCustomizer* componentCustomizer;
extern OrnID componentId;
extern const char* componentName;

// The build stamp both component interfaces report.
extern const char* const componentBuildStamp;

// Builds the module's start-up objects in their fixed order from the component's definition.
// Runs once, from the component's static initialiser.
void startModule(const OrnComponentDefinition& definition);

// The export's body: version and component out; 1 on success, 0 writing nothing on bad
// arguments or a missing factory, 0 with both cleared when creation throws or yields null.
int ornEntryPoint(int* version, IOrnComponent** component);

#if defined(_WIN32)
#define ORN_EXPORT extern "C" __declspec(dllexport)
#else
#define ORN_EXPORT extern "C" __attribute__((visibility("default")))
#endif

// Defines a component module in one place: its name, identifier and 16 descriptor bytes. Expands
// to the module's start-up object and its one export, EntryPoint. Use once per module.
//   ORN_DEFINE_COMPONENT("my_component",
//                        OrnID(0x12345678, 0x1234, 0x5678, {1, 2, 3, 4, 5, 6, 7, 8}),
//                        {0x01, 0x02, ... 16 bytes ...})
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
