#include "core/component.h"

#include <cstring>
#include <exception>
#include <new>

#include "core/class_factory.h"
#include "core/interface_map.h"
#include "core/module_globals.h"
#include "core/teardown.h"
#include "core/test_operation.h"
#include "memory/out_of_memory.h"

IOrnHost* moduleHost = nullptr;
OrnBaseComponentFact* componentFactory = nullptr;
IOrnClassFactory* classFactory = nullptr;
InternalComponentCustomizer* componentCustomizer = nullptr;
OrnID componentId;
const char* componentName = nullptr;
const char* componentBuildStamp = nullptr;
const char* moduleBuildTime = nullptr;

namespace {
// The descriptor's 16 build-time bytes, copied from the component's definition at start-up.
uint8_t descriptorBytes[16];

// Built on the first descriptor() call; not synchronised.
bool descriptorBuilt = false;
OrnClcBinary* componentDescriptor = nullptr;

// The module keeps one reference of its own on the descriptor, written straight into the count
// so that no host ever sees it: balanced addRef/release pairs by the host never bring the count
// to 0, and the exit list destroys the descriptor directly.
void destroyDescriptor() {
  OrnClcBinary* descriptor = componentDescriptor;
  componentDescriptor = nullptr;
  descriptorBuilt = false;
  delete descriptor;
}

IOrnClcBinary* buildDescriptor() {
  if (descriptorBuilt) return componentDescriptor;
  descriptorBuilt = true;
  try {
    componentDescriptor = new OrnClcBinary(1, descriptorBytes, 16);
  } catch (const std::bad_alloc&) {
    // Called by the host: no exception leaves the module. Out of memory ends as every exhausted
    // allocation does.
    descriptorBuilt = false;
    ubrReportOrExit(ubrOutOfMemory);
    return nullptr;
  }
  componentDescriptor->refCountField = 1;
  registerTeardown(destroyDescriptor);
  return componentDescriptor;
}

void releaseEmptyExtra() { emptyExtra.clear(); }
}  // namespace

void startModule(const OrnComponentDefinition& definition) {
  componentId = definition.id;  // 1
  componentName = definition.name;
  componentBuildStamp = definition.buildStamp;
  std::memcpy(descriptorBytes, definition.descriptorBytes, sizeof descriptorBytes);
  componentFactory = new (std::nothrow) OrnBaseComponentFact();            // 2
  classFactory = defaultClassFactory();                                    // 3
  componentCustomizer = new (std::nothrow) InternalComponentCustomizer();  // 4
  // 5: item factories register themselves (first use builds the class factory).
  registerTeardown(releaseEmptyExtra);  // 6
}

int ornEntryPoint(int* version, IOrnComponent** component) {
  if (component == nullptr || version == nullptr) return 0;
  if (componentFactory == nullptr) return 0;
  try {
    IOrnComponent* created = componentFactory->create();
    // A factory that could not allocate the component is a failed creation, not a success with
    // nothing in it.
    if (created == nullptr) {
      *version = 0;
      *component = nullptr;
      return 0;
    }
    *component = created;
    *version = ornInterfaceVersion;
    return 1;
  } catch (...) {
    *version = 0;
    *component = nullptr;
    return 0;
  }
}

IOrnComponent* OrnBaseComponentFact::create() {
  OrnBaseComponent* component = new (std::nothrow) OrnBaseComponent();
  return component ? static_cast<IOrnComponent*>(component) : nullptr;
}

// ---- OrnBaseComponent ----

void OrnBaseComponent::initialize(IOrnHost* host) {
  moduleHost = host;
  if (componentCustomizer != nullptr) componentCustomizer->onInitialize();
}

void OrnBaseComponent::terminate() {
  if (componentCustomizer != nullptr) componentCustomizer->onTerminate();
}

int OrnBaseComponent::createInstance(const OrnID& classId, IOrnUnknown** out) {
  if (out == nullptr) return 0;
  if (classFactory != nullptr) return classFactory->createInstance(classId, out);
  *out = nullptr;
  return 0;
}

const char* moduleBuildStamp() {
  // Read on each call: the generated source that sets moduleBuildTime may start after the
  // component's definition does.
  if (componentBuildStamp != nullptr) return componentBuildStamp;
  if (moduleBuildTime != nullptr) return moduleBuildTime;
  return "unknown";
}

const char* OrnBaseComponent::buildStamp() { return moduleBuildStamp(); }

IOrnClcBinary* OrnBaseComponent::descriptor() { return buildDescriptor(); }

const OrnID* OrnBaseComponent::identifier() { return &componentId; }

const char* OrnBaseComponent::name() { return componentName; }

int OrnBaseComponent::classCount() { return classFactory ? classFactory->classCount() : 0; }

bool OrnBaseComponent::firstClass(OrnID& id) {
  return classFactory ? classFactory->firstClass(id) : false;
}

bool OrnBaseComponent::nextClass(OrnID& id) {
  return classFactory ? classFactory->nextClass(id) : false;
}

const char* OrnBaseComponent::classNameOf(const OrnID& id) {
  return classFactory ? classFactory->classNameOf(id) : nullptr;
}

void OrnBaseComponent::runTests(IOrnTestService* testService) { ::runTests(testService); }

bool OrnBaseComponent::queryInterface(const char* name, void** out, int /*options*/) {
  IOrnComponent* component = this;
  return queryClass(name, out, component, classNameText, true) ||
         queryInterfaceName(name, out, component, IOrnComponent::lookupName) ||
         queryInterfaceName(name, out, static_cast<IOrnCompInternal*>(this),
                            IOrnCompInternal::lookupName);
}

// ---- OrnClcBinary ----

OrnClcBinary::OrnClcBinary(int32_t version, const uint8_t* bytes, int32_t size)
    : version_(version), data_(new uint8_t[static_cast<size_t>(size)]), size_(size) {
  std::memcpy(data_, bytes, static_cast<size_t>(size));
}

OrnClcBinary::~OrnClcBinary() { delete[] data_; }

bool OrnClcBinary::queryInterface(const char* name, void** out, int /*options*/) {
  return OrnInterfaceMap<OrnClcBinary, IOrnClcBinary>::query(this, name, out);
}
