// The built module, loaded as a host loads it.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <set>
#include <string>

#include "component/example_counter.h"
#include "core/interface_names.h"
#include "testhost/recording_services.h"
#include "testhost/test_host.h"
#include "tests/module_host_fixture.h"

namespace {

using ModuleLoad = LoadedModule;

TEST_F(ModuleLoad, EntryPointGivesComponentsAtCountZeroWithVersion100) {
  int version = 0;
  EXPECT_EQ(entryPoint_(&version, nullptr), 0);
  EXPECT_EQ(version, 0) << "nothing written";
  IOrnComponent* a = newComponent();
  IOrnComponent* b = newComponent();
  ASSERT_NE(a, nullptr);
  EXPECT_NE(a, b);
  EXPECT_EQ(a->refCount(), 0);
  a->addRef();
  a->release();  // no host yet: the module counts and destroys
  b->addRef();
  b->release();
}

TEST_F(ModuleLoad, AttachedHostCountsTheComponentThroughItsHooks) {
  TestHost& host = attachTestHost();  // this binary's own host pointer is unrelated to the module's
  IOrnComponent* component = newComponent();
  component->addRef();  // before the host attached: counted by the module
  component->initialize(&host);
  IOrnCompInternal* internal = view<IOrnCompInternal>(component);
  ASSERT_NE(internal, nullptr);
  EXPECT_NE(static_cast<void*>(internal), static_cast<void*>(component));
  internal->addRef();
  EXPECT_EQ(host.addRefHookCalls, 1);
  EXPECT_EQ(component->refCount(), 2);
  internal->release();
  component->release();
  EXPECT_EQ(host.releaseHookCalls, 2);
}

TEST_F(ModuleLoad, ComponentFacts) {
  IOrnComponent* component = newComponent();
  IOrnCompInternal* internal = view<IOrnCompInternal>(component);
  ASSERT_NE(internal, nullptr);
  EXPECT_STREQ(internal->name(), "component_template");
  EXPECT_STREQ(component->buildStamp(), "2010-12-16 11:42");
  EXPECT_STREQ(internal->buildStamp(), "2010-12-16 11:42");
  IOrnClcBinary* descriptor = component->descriptor();
  ASSERT_NE(descriptor, nullptr);
  EXPECT_EQ(descriptor, component->descriptor());
  EXPECT_EQ(descriptor->version(), 1);
  EXPECT_EQ(descriptor->size(), 16);
  descriptor->addRef();
  descriptor->release();
  EXPECT_EQ(descriptor->size(), 16) << "a balanced pair leaves the descriptor alive";
  void* unknownA = nullptr;
  void* unknownB = nullptr;
  EXPECT_TRUE(component->queryInterface("IOrnUnknown", &unknownA, 0));
  EXPECT_TRUE(internal->queryInterface("IOrnUnknown", &unknownB, 0));
  EXPECT_EQ(unknownA, unknownB);
  void* miss = nullptr;
  EXPECT_FALSE(component->queryInterface("iornComponent", &miss, 0));
  EXPECT_EQ(miss, nullptr);
  delete component;
}

TEST_F(ModuleLoad, ExampleClassIsListedCreatedAndEnumerated) {
  TestHost& host = attachTestHost();
  IOrnComponent* component = newComponent();
  component->initialize(&host);
  IOrnCompInternal* internal = view<IOrnCompInternal>(component);
  ASSERT_EQ(internal->classCount(), 1);
  OrnID id;
  ASSERT_TRUE(internal->firstClass(id));
  EXPECT_TRUE(id.equals(exampleCounterId));
  EXPECT_STREQ(internal->classNameOf(id), "ExampleCounter");
  OrnID after = id;
  EXPECT_FALSE(internal->nextClass(after));

  IOrnUnknown* object = nullptr;
  ASSERT_EQ(component->createInstance(id, &object), 1);
  ASSERT_NE(object, nullptr);
  EXPECT_EQ(object->refCount(), 0);
  object->addRef();
  IExampleCounter* counter = view<IExampleCounter>(object);
  ASSERT_NE(counter, nullptr);
  EXPECT_EQ(counter->increment(2), 2);
  EXPECT_EQ(counter->increment(3), 5);
  EXPECT_EQ(counter->increment(INT32_MAX - 5), INT32_MAX);
  EXPECT_EQ(counter->increment(1), INT32_MIN) << "wraps around";
  EXPECT_EQ(counter->increment(-1), INT32_MAX) << "and back";

  OrnArray<OrnString> classNames;
  OrnArray<InterfaceNameRecord> records;
  InterfaceNameCollector collector(&classNames, &records);
  EXPECT_FALSE(object->queryInterface(nullptr, reinterpret_cast<void**>(&collector), 0));
  ASSERT_EQ(records.top, 2);
  EXPECT_STREQ(records.at(1).name.text, "ExampleCounter");
  EXPECT_STREQ(records.at(2).name.text, "IExampleCounter");
  EXPECT_STREQ(records.at(2).parent.text, "ExampleCounter");
  object->release();  // the host's hook says the last reference went: the module destroys it
  EXPECT_EQ(host.releaseHookCalls, 1);
  // Strings the module copied into our records were made by the module's pool; releasing them
  // here sends them back to the allocator named in their headers, while the module is loaded.
  records.at(2).parent.clear();
  classNames.at(1).clear();
  component->release();
}

TEST_F(ModuleLoad, RunTestsReportsThroughTheHostErrorService) {
  TestHost& host = attachTestHost();
  host.releaseDestroys = false;
  RecordingErrorService errors;
  host.offer(&errors);
  IOrnComponent* component = newComponent();
  component->initialize(&host);
  view<IOrnCompInternal>(component)->runTests(nullptr);
  ASSERT_EQ(errors.reports.size(), 2u);
  EXPECT_EQ(errors.reports[0].message, "Unable to get test service");
  EXPECT_EQ(errors.reports[1].message, "H");
  EXPECT_EQ(errors.refCount(), 0);
  delete component;
}

TEST_F(ModuleLoad, UnloadWithoutHostCallsNothing) {
  IOrnComponent* component = newComponent();
  component->descriptor();  // registers its teardown
  delete component;
  TestHost& host = attachTestHost();
  unload();
  EXPECT_EQ(host.addRefHookCalls + host.releaseHookCalls, 0);
  EXPECT_TRUE(host.requests.empty());
}

TEST_F(ModuleLoad, UnloadWithoutEverCallingEntryPoint) {
  unload();
  load();
  unload();
}

TEST(ModuleLoadErrors, MissingAndInvalidFilesAreRefusedWithAMessage) {
  std::string error;
  EXPECT_EQ(platformLoadModule(platformExecutableDirectory() + "no-such-module.bin", &error),
            nullptr);
  EXPECT_FALSE(error.empty());
}

}  // namespace
