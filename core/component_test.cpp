// The export, the component's views and operations, and the descriptor.
#include "core/component.h"

#include <gtest/gtest.h>

#include <cstring>

#include "core/class_factory.h"
#include "core/interface_names.h"
#include "core/module_globals.h"
#include "testhost/test_host.h"

namespace {

const OrnComponentDefinition testDefinition{
    "unit_component",
    OrnID(0x01020304, 0x0506, 0x0708, {9, 10, 11, 12, 13, 14, 15, 16}),
    {0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7, 0xA8, 0xA9, 0xAA, 0xAB, 0xAC, 0xAD, 0xAE,
     0xAF}};

class ComponentTest : public testing::Test {
 protected:
  void SetUp() override { startModule(testDefinition); }
  IOrnComponent* newComponent() {
    int version = 0;
    IOrnComponent* component = nullptr;
    EXPECT_EQ(ornEntryPoint(&version, &component), 1);
    EXPECT_EQ(version, 100);
    return component;
  }
  static IOrnCompInternal* internalOf(IOrnComponent* component) {
    void* view = nullptr;
    EXPECT_TRUE(component->queryInterface("IOrnCompInternal", &view, 0));
    return static_cast<IOrnCompInternal*>(view);
  }
};

TEST_F(ComponentTest, EntryPointRejectsNullArgumentsWritingNothing) {
  int version = 7;
  EXPECT_EQ(ornEntryPoint(&version, nullptr), 0);
  EXPECT_EQ(version, 7);
  IOrnComponent* component = reinterpret_cast<IOrnComponent*>(0x1);
  EXPECT_EQ(ornEntryPoint(nullptr, &component), 0);
  EXPECT_EQ(component, reinterpret_cast<IOrnComponent*>(0x1));
}

TEST(ComponentWithoutStartUp, EntryPointWithoutFactoryReturnsZero) {
  int version = 7;
  IOrnComponent* component = nullptr;
  EXPECT_EQ(ornEntryPoint(&version, &component), 0);
  EXPECT_EQ(version, 7);
  EXPECT_EQ(component, nullptr);
}

// A factory that cannot make the component: EntryPoint fails and clears both outputs, whether
// creation yields null or throws.
struct NullFactory : public OrnBaseComponentFact {
  IOrnComponent* create() override { return nullptr; }
};
struct ThrowingFactory : public OrnBaseComponentFact {
  IOrnComponent* create() override { throw 42; }
};

TEST_F(ComponentTest, EntryPointFailsAndClearsBothWhenCreationFails) {
  OrnBaseComponentFact* saved = componentFactory;
  NullFactory nullFactory;
  ThrowingFactory throwingFactory;
  for (OrnBaseComponentFact* factory : {static_cast<OrnBaseComponentFact*>(&nullFactory),
                                        static_cast<OrnBaseComponentFact*>(&throwingFactory)}) {
    componentFactory = factory;
    int version = 7;
    IOrnComponent* component = reinterpret_cast<IOrnComponent*>(0x1);
    EXPECT_EQ(ornEntryPoint(&version, &component), 0);
    EXPECT_EQ(version, 0);
    EXPECT_EQ(component, nullptr);
  }
  componentFactory = saved;
}

TEST_F(ComponentTest, EachEntryPointCallMakesANewComponentAtCountZero) {
  IOrnComponent* a = newComponent();
  IOrnComponent* b = newComponent();
  ASSERT_NE(a, nullptr);
  EXPECT_NE(a, b);
  EXPECT_EQ(a->refCount(), 0);
  EXPECT_EQ(b->refCount(), 0);
  delete a;
  delete b;
}

TEST_F(ComponentTest, ViewsDifferButShareOneCount) {
  IOrnComponent* component = newComponent();
  IOrnCompInternal* internal = internalOf(component);
  EXPECT_NE(static_cast<void*>(internal), static_cast<void*>(component));
  void* asClass = nullptr;
  EXPECT_TRUE(component->queryInterface("OrnBaseComponent", &asClass, 0));
  EXPECT_EQ(asClass, static_cast<void*>(component));
  void* unknownA = nullptr;
  void* unknownB = nullptr;
  EXPECT_TRUE(component->queryInterface("IOrnUnknown", &unknownA, 0));
  EXPECT_TRUE(internal->queryInterface("IOrnUnknown", &unknownB, 0));
  EXPECT_EQ(unknownA, unknownB);
  component->addRef();
  internal->addRef();
  EXPECT_EQ(component->refCount(), 2);
  EXPECT_EQ(internal->refCount(), 2);
  internal->release();
  component->release();  // the last release destroys it
}

TEST_F(ComponentTest, ComponentIsNotListedInEnumeration) {
  IOrnComponent* component = newComponent();
  OrnArray<OrnString> classNames;
  OrnArray<InterfaceNameRecord> records;
  InterfaceNameCollector collector(&classNames, &records);
  EXPECT_TRUE(component->queryInterface(nullptr, reinterpret_cast<void**>(&collector), 0));
  EXPECT_EQ(records.top, 0);
  EXPECT_EQ(classNames.top, 0);
  EXPECT_FALSE(collector.stopped);
  delete component;
}

TEST_F(ComponentTest, NamesStampsAndIdentifier) {
  IOrnComponent* component = newComponent();
  IOrnCompInternal* internal = internalOf(component);
  EXPECT_STREQ(internal->name(), "unit_component");
  EXPECT_TRUE(internal->identifier()->equals(testDefinition.id));
  EXPECT_EQ(internal->identifier()->toString(), "{01020304-0506-0708-090A-0B0C0D0E0F10}");
  EXPECT_TRUE(internal->probe());
  EXPECT_STREQ(component->className(), "OrnBaseComponent");
  delete component;
}

// The stamp the definition names wins; without one the module's build time, which its
// generated source may set after start-up; a module without either says so.
TEST_F(ComponentTest, BuildStampIsTheDefinitionsElseTheBuildTimeElseUnknown) {
  IOrnComponent* component = newComponent();
  IOrnCompInternal* internal = internalOf(component);
  const char* const savedBuildTime = moduleBuildTime;
  moduleBuildTime = nullptr;
  EXPECT_STREQ(component->buildStamp(), "unknown");
  moduleBuildTime = "2031-04-05 06:07";
  EXPECT_STREQ(component->buildStamp(), "2031-04-05 06:07");
  EXPECT_STREQ(internal->buildStamp(), "2031-04-05 06:07");

  componentBuildStamp = "2010-12-16 11:42";  // as a definition that names it leaves it
  EXPECT_STREQ(component->buildStamp(), "2010-12-16 11:42");
  EXPECT_STREQ(internal->buildStamp(), "2010-12-16 11:42");
  componentBuildStamp = nullptr;
  moduleBuildTime = savedBuildTime;
  delete component;
}

TEST_F(ComponentTest, InitializeStoresTheHostAndTerminateKeepsIt) {
  TestHost host;
  IOrnComponent* component = newComponent();
  component->initialize(&host);
  EXPECT_EQ(moduleHost, &host);
  component->terminate();
  EXPECT_EQ(moduleHost, &host);
  moduleHost = nullptr;
  delete component;
}

TEST_F(ComponentTest, DescriptorIsBuiltOnceWithVersionOneAndSixteenBytes) {
  IOrnComponent* component = newComponent();
  IOrnClcBinary* first = component->descriptor();
  IOrnClcBinary* second = component->descriptor();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first, second);
  EXPECT_EQ(first->version(), 1);
  ASSERT_EQ(first->size(), 16);
  EXPECT_EQ(std::memcmp(first->data(), testDefinition.descriptorBytes, 16), 0);
  EXPECT_NE(first->data(), testDefinition.descriptorBytes) << "the descriptor owns a copy";
  delete component;
}

// A host following the convention takes a reference on the descriptor and later drops it; the
// module-global descriptor must survive that, with or without a host.
TEST_F(ComponentTest, DescriptorSurvivesBalancedReferencesWithoutHost) {
  IOrnComponent* component = newComponent();
  IOrnClcBinary* descriptor = component->descriptor();
  for (int round = 0; round < 3; ++round) {
    descriptor->addRef();
    descriptor->release();
  }
  EXPECT_EQ(component->descriptor(), descriptor);
  EXPECT_EQ(descriptor->version(), 1);
  EXPECT_GT(descriptor->refCount(), 0);
  delete component;
}

TEST_F(ComponentTest, DescriptorSurvivesBalancedReferencesWithHost) {
  TestHost& host = attachTestHost();
  IOrnComponent* component = newComponent();
  component->initialize(&host);
  IOrnClcBinary* descriptor = component->descriptor();
  descriptor->addRef();
  descriptor->release();
  EXPECT_EQ(descriptor->size(), 16);
  EXPECT_EQ(component->descriptor(), descriptor);
  delete component;
}

TEST_F(ComponentTest, DescriptorEnumeratesClassThenInterface) {
  IOrnComponent* component = newComponent();
  IOrnClcBinary* descriptor = component->descriptor();
  OrnArray<OrnString> classNames;
  OrnArray<InterfaceNameRecord> records;
  InterfaceNameCollector collector(&classNames, &records);
  EXPECT_FALSE(descriptor->queryInterface(nullptr, reinterpret_cast<void**>(&collector), 0));
  ASSERT_EQ(records.top, 2);
  EXPECT_STREQ(records.at(1).name.text, "OrnClcBinary");
  EXPECT_EQ(records.at(1).isClass, 1);
  EXPECT_EQ(records.at(1).parent.text, nullptr);
  EXPECT_STREQ(records.at(2).name.text, "IOrnClcBinary");
  EXPECT_EQ(records.at(2).isClass, 0);
  EXPECT_STREQ(records.at(2).parent.text, "OrnClcBinary");
  ASSERT_EQ(classNames.top, 1);
  EXPECT_STREQ(classNames.at(1).text, "OrnClcBinary");
  delete component;
}

TEST_F(ComponentTest, StopNameEndsTheEnumerationWithBothArraysEmpty) {
  IOrnComponent* component = newComponent();
  IOrnClcBinary* descriptor = component->descriptor();
  OrnArray<OrnString> classNames;
  OrnArray<InterfaceNameRecord> records;
  InterfaceNameCollector collector(&classNames, &records);
  collector.stopNames.findOrInsert(OrnString("IOrnClcBinary")) = 1;
  descriptor->queryInterface(nullptr, reinterpret_cast<void**>(&collector), 0);
  EXPECT_TRUE(collector.stopped);
  EXPECT_EQ(records.top, 0);
  EXPECT_EQ(classNames.top, 0);
  delete component;
}

TEST_F(ComponentTest, UnknownClassIdentifiersAreRefused) {
  IOrnComponent* component = newComponent();
  IOrnCompInternal* internal = internalOf(component);
  const OrnID unknown(0xDEADBEEF, 1, 2, {1, 2, 3, 4, 5, 6, 7, 8});
  IOrnUnknown* out = reinterpret_cast<IOrnUnknown*>(0x1);
  EXPECT_EQ(component->createInstance(unknown, &out), 0);
  EXPECT_EQ(out, reinterpret_cast<IOrnUnknown*>(0x1)) << "left unchanged";
  EXPECT_EQ(internal->classNameOf(unknown), nullptr);
  delete component;
}

TEST_F(ComponentTest, ClassOperationsAnswerAsEmptyWithoutClassFactory) {
  IOrnComponent* component = newComponent();
  IOrnCompInternal* internal = internalOf(component);
  IOrnClassFactory* saved = classFactory;
  classFactory = nullptr;
  OrnID id;
  IOrnUnknown* out = reinterpret_cast<IOrnUnknown*>(0x1);
  EXPECT_EQ(component->createInstance(id, &out), 0);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(component->createInstance(id, nullptr), 0);
  EXPECT_EQ(internal->classCount(), 0);
  EXPECT_FALSE(internal->firstClass(id));
  EXPECT_FALSE(internal->nextClass(id));
  EXPECT_EQ(internal->classNameOf(id), nullptr);
  classFactory = saved;
  delete component;
}

}  // namespace
