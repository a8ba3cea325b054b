// Unit tests of HelloGreeter under the recording test host (Orn::testhost): the class is made
// through the module's class factory, as the host makes it.
#include "hello_greeter.h"

#include <gtest/gtest.h>
#include <orn/testhost.h>

namespace {

// A greeter made by the class factory, with the test's reference on it.
IHelloGreeter* makeGreeter(IOrnUnknown** object) {
  *object = nullptr;
  if (!classFactory->createInstance(helloGreeterId, object) || *object == nullptr) return nullptr;
  (*object)->addRef();
  void* view = nullptr;
  (*object)->queryInterface(IHelloGreeter::lookupName, &view, 0);
  return static_cast<IHelloGreeter*>(view);
}

TEST(HelloGreeter, GreetsByNameWithoutATranslatorService) {
  TestHost& host = attachTestHost();
  IOrnUnknown* object = nullptr;
  IHelloGreeter* greeter = makeGreeter(&object);
  ASSERT_NE(greeter, nullptr);
  EXPECT_EQ(object->refCount(), 1);
  EXPECT_EQ(narrowForTest(greeter->greet("Ada").text), "Hello, Ada!");
  EXPECT_GE(host.requestCount("IOrnTranslatorService"), 1);
  object->release();
}

TEST(HelloGreeter, GreetingGoesThroughTheHostsTranslator) {
  TestHost& host = attachTestHost();
  PrefixTranslator* translator = new PrefixTranslator("de:");
  ScriptableTranslatorService* service = new ScriptableTranslatorService(translator);
  static_cast<IOrnUnknown*>(service)->addRef();
  host.offer<IOrnTranslatorService>(service);

  IOrnUnknown* object = nullptr;
  IHelloGreeter* greeter = makeGreeter(&object);
  ASSERT_NE(greeter, nullptr);
  EXPECT_EQ(narrowForTest(greeter->greet("Ada").text), "de:Hello, Ada!");
  EXPECT_EQ(translator->lookups, 1);
  object->release();
}

TEST(HelloGreeter, AnswersItsNamesExactlyAndSharesOneCount) {
  attachTestHost();
  IOrnUnknown* object = nullptr;
  IHelloGreeter* greeter = makeGreeter(&object);
  ASSERT_NE(greeter, nullptr);
  void* view = nullptr;
  EXPECT_TRUE(object->queryInterface("IOrnUnknown", &view, 0));
  EXPECT_EQ(view, static_cast<void*>(object));
  EXPECT_TRUE(object->queryInterface("HelloGreeter", &view, 0));
  view = nullptr;
  EXPECT_FALSE(object->queryInterface("ihellogreeter", &view, 0));
  EXPECT_EQ(view, nullptr);
  static_cast<IOrnUnknown*>(greeter)->addRef();
  EXPECT_EQ(object->refCount(), 2);
  static_cast<IOrnUnknown*>(greeter)->release();
  object->release();
}

}  // namespace
