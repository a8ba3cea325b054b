// The framework's side of a component module: the generic component, its descriptor object, the
// component factory and customizer, and the module globals that start-up fills in. Component
// authors use core/component.h; this header is for the framework and for tests that reach the
// module's class factory directly.
#ifndef ORN_CORE_MODULE_GLOBALS_H_
#define ORN_CORE_MODULE_GLOBALS_H_

#include <cstdint>

#include "core/component.h"
#include "core/host.h"
#include "core/object.h"
#include "core/orn_id.h"

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

// Module globals. The factory, customizer and class factory are never destroyed while the module
// is loaded; componentDescriptor is destroyed by the exit list.
extern OrnBaseComponentFact* componentFactory;
extern IOrnClassFactory* classFactory;
extern InternalComponentCustomizer* componentCustomizer;
extern OrnID componentId;
extern const char* componentName;

// The build stamp the component's definition names; null when it names none.
extern const char* componentBuildStamp;
// The build stamp both component interfaces report: componentBuildStamp, else moduleBuildTime,
// else "unknown".
const char* moduleBuildStamp();

#endif  // ORN_CORE_MODULE_GLOBALS_H_
