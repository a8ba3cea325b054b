// The module's translator: its states against the host's services, the pass-through translator's
// object model and its nine operations.
#include "translation/translator.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/interface_names.h"
#include "core/module_globals.h"
#include "testhost/recording_services.h"
#include "testhost/test_host.h"
#include "testhost/translator_services.h"

namespace {

std::string narrow(const OrnWString& s) { return narrowForTest(s.text); }

std::string render(IOrnTranslator* translator, const char* text) {
  return narrow(translator->translate(text));
}

// A service object made with new, kept alive by the test's own reference until release().
template <class T>
T* held(T* object) {
  static_cast<IOrnUnknown*>(object)->addRef();
  return object;
}

TEST(TranslatorStates, WithoutHostThePassThroughServesAndIsKept) {
  IOrnTranslator* first = currentTranslator();
  ASSERT_NE(first, nullptr);
  EXPECT_STREQ(first->className(), "OrnTrivialTranslator");
  EXPECT_EQ(first->refCount(), 1);  // the module's holder
  EXPECT_EQ(render(first, "abc"), "abc");
  EXPECT_FALSE(translatorServiceConsulted);
  EXPECT_EQ(currentTranslator(), first);
}

TEST(TranslatorStates, WithoutServiceTheHostIsAskedAgainEachTime) {
  TestHost& host = attachTestHost();
  IOrnTranslator* first = currentTranslator();
  EXPECT_STREQ(first->className(), "OrnTrivialTranslator");
  EXPECT_EQ(host.requestCount("IOrnTranslatorService"), 1);
  EXPECT_EQ(currentTranslator(), first);
  EXPECT_EQ(host.requestCount("IOrnTranslatorService"), 2);
  EXPECT_EQ(host.requestCount("IOrnTranslator"), 0);
  EXPECT_FALSE(translatorServiceConsulted);
}

TEST(TranslatorStates, ServiceFoundLaterReplacesThePassThroughForGood) {
  TestHost& host = attachTestHost();
  IOrnTranslator* passThrough = currentTranslator();
  EXPECT_STREQ(passThrough->className(), "OrnTrivialTranslator");
  const int releasesBefore = host.releaseHookCalls;

  PrefixTranslator* hostTranslator = held(new PrefixTranslator("host:"));
  ScriptableTranslatorService* service = held(new ScriptableTranslatorService(hostTranslator));
  host.offer<IOrnTranslatorService>(service);

  IOrnTranslator* found = currentTranslator();
  EXPECT_EQ(found, static_cast<IOrnTranslator*>(hostTranslator));
  EXPECT_TRUE(translatorServiceConsulted);
  EXPECT_EQ(service->calls, 1);
  EXPECT_EQ(hostTranslator->refCount(), 2);  // the test's and the module's
  // The pass-through's only reference went: one release for it, one for the local service pointer.
  EXPECT_EQ(host.releaseHookCalls - releasesBefore, 2);
  EXPECT_EQ(render(found, "abc"), "host:abc");

  const int asked = host.requestCount("IOrnTranslatorService");
  EXPECT_EQ(currentTranslator(), found);
  EXPECT_EQ(currentTranslator(), found);
  EXPECT_EQ(host.requestCount("IOrnTranslatorService"), asked);
  EXPECT_EQ(service->calls, 1);

  host.offer("IOrnTranslatorService", nullptr);
  static_cast<IOrnUnknown*>(service)->release();
  static_cast<IOrnUnknown*>(hostTranslator)->release();
}

TEST(TranslatorStates, ServiceIsAskedForTheComponentIdentifier) {
  TestHost& host = attachTestHost();
  componentId = OrnID(0xCAFEF00D, 0x1234, 0x5678, {1, 2, 3, 4, 5, 6, 7, 8});
  ScriptableTranslatorService* service = new ScriptableTranslatorService(nullptr);
  host.offer<IOrnTranslatorService>(held(service));
  currentTranslator();
  EXPECT_EQ(service->calls, 1);
  EXPECT_TRUE(service->lastId.equals(componentId));
  EXPECT_EQ(service->refCount(), 1);  // the local service pointer let go of it
  host.offer("IOrnTranslatorService", nullptr);
  static_cast<IOrnUnknown*>(service)->release();
}

TEST(TranslatorStates, NullAnswerFallsBackToThePlainService) {
  TestHost& host = attachTestHost();
  ScriptableTranslatorService* service = held(new ScriptableTranslatorService(nullptr));
  PrefixTranslator* plain = held(new PrefixTranslator("plain:"));
  host.offer<IOrnTranslatorService>(service);
  host.offer<IOrnTranslator>(plain);

  IOrnTranslator* found = currentTranslator();
  EXPECT_EQ(found, static_cast<IOrnTranslator*>(plain));
  EXPECT_EQ(plain->refCount(), 2);
  EXPECT_TRUE(translatorServiceConsulted);
  EXPECT_EQ(host.requestCount("IOrnTranslator"), 1);
  EXPECT_EQ(render(found, "x"), "plain:x");

  EXPECT_EQ(currentTranslator(), found);
  EXPECT_EQ(service->calls, 1);
  EXPECT_EQ(host.requestCount("IOrnTranslator"), 1);

  host.offer("IOrnTranslatorService", nullptr);
  host.offer("IOrnTranslator", nullptr);
  static_cast<IOrnUnknown*>(service)->release();
  static_cast<IOrnUnknown*>(plain)->release();
}

TEST(TranslatorStates, NullAnswerWithoutPlainServiceMakesAPassThroughOnce) {
  TestHost& host = attachTestHost();
  ScriptableTranslatorService* service = held(new ScriptableTranslatorService(nullptr));
  host.offer<IOrnTranslatorService>(service);

  IOrnTranslator* found = currentTranslator();
  EXPECT_STREQ(found->className(), "OrnTrivialTranslator");
  EXPECT_TRUE(translatorServiceConsulted);
  EXPECT_EQ(currentTranslator(), found);
  EXPECT_EQ(service->calls, 1);
  EXPECT_EQ(host.requestCount("IOrnTranslatorService"), 1);

  host.offer("IOrnTranslatorService", nullptr);
  static_cast<IOrnUnknown*>(service)->release();
}

TEST(TranslatorStates, NullAnswerDropsAnEarlierPassThrough) {
  TestHost& host = attachTestHost();
  IOrnTranslator* early = currentTranslator();
  EXPECT_STREQ(early->className(), "OrnTrivialTranslator");
  int releasesBefore = host.releaseHookCalls;
  ScriptableTranslatorService* service = held(new ScriptableTranslatorService(nullptr));
  host.offer<IOrnTranslatorService>(service);
  IOrnTranslator* later = currentTranslator();
  EXPECT_STREQ(later->className(), "OrnTrivialTranslator");
  EXPECT_EQ(later->refCount(), 1);
  // The early pass-through and the local service pointer were each released once.
  EXPECT_EQ(host.releaseHookCalls - releasesBefore, 2);
  host.offer("IOrnTranslatorService", nullptr);
  static_cast<IOrnUnknown*>(service)->release();
}

TEST(TranslatorStates, ReleaseDropsTheModulesReference) {
  TestHost& host = attachTestHost();
  PrefixTranslator* plain = held(new PrefixTranslator("p:"));
  ScriptableTranslatorService* service = held(new ScriptableTranslatorService(plain));
  host.offer<IOrnTranslatorService>(service);
  currentTranslator();
  EXPECT_EQ(plain->refCount(), 2);
  releaseCurrentTranslator();
  EXPECT_EQ(plain->refCount(), 1);
  releaseCurrentTranslator();  // an empty holder releases nothing
  EXPECT_EQ(plain->refCount(), 1);
  host.offer("IOrnTranslatorService", nullptr);
  static_cast<IOrnUnknown*>(service)->release();
  static_cast<IOrnUnknown*>(plain)->release();
}

// Announces its destruction, so that a death test sees the exit list at work.
class AnnouncingTranslator : public PrefixTranslator {
 public:
  AnnouncingTranslator() : PrefixTranslator("") {}
  ~AnnouncingTranslator() override { std::fputs("translator released at exit\n", stderr); }
};

TEST(TranslatorStatesDeathTest, ExitListReleasesTheCurrentTranslator) {
  EXPECT_EXIT(
      {
        TestHost& host = attachTestHost();
        host.offer<IOrnTranslatorService>(
            new ScriptableTranslatorService(new AnnouncingTranslator()));
        currentTranslator();
        std::exit(0);
      },
      testing::ExitedWithCode(0), "translator released at exit");
}

class TrivialTranslatorTest : public testing::Test {
 protected:
  void SetUp() override { translator = held(new OrnTrivialTranslator()); }
  void TearDown() override { translator->release(); }
  OrnTrivialTranslator* translator = nullptr;
};

TEST_F(TrivialTranslatorTest, AnswersItsNamesWithoutTakingAReference) {
  void* view = nullptr;
  EXPECT_TRUE(translator->queryInterface("OrnTrivialTranslator", &view, 0));
  EXPECT_EQ(view, static_cast<void*>(translator));
  EXPECT_TRUE(translator->queryInterface("IOrnTranslator", &view, 0));
  EXPECT_EQ(view, static_cast<void*>(static_cast<IOrnTranslator*>(translator)));
  EXPECT_TRUE(translator->queryInterface("IOrnUnknown", &view, 0));
  EXPECT_EQ(view, static_cast<void*>(static_cast<IOrnUnknown*>(translator)));
  EXPECT_FALSE(translator->queryInterface("iornTranslator", &view, 0));
  EXPECT_EQ(view, nullptr);
  EXPECT_FALSE(translator->queryInterface("IOrnTranslatorService", &view, 0));
  EXPECT_EQ(view, nullptr);
  EXPECT_EQ(translator->refCount(), 1);
  EXPECT_STREQ(translator->className(), "OrnTrivialTranslator");
}

TEST_F(TrivialTranslatorTest, EnumeratesClassThenInterface) {
  OrnArray<OrnString> classNames;
  OrnArray<InterfaceNameRecord> records;
  InterfaceNameCollector collector{&classNames, &records};
  EXPECT_FALSE(translator->queryInterface(nullptr, reinterpret_cast<void**>(&collector), 0));
  ASSERT_EQ(records.top, 2);
  EXPECT_STREQ(records.at(1).name.text, "OrnTrivialTranslator");
  EXPECT_EQ(records.at(1).isClass, 1);
  EXPECT_EQ(records.at(1).parent.text, nullptr);
  EXPECT_STREQ(records.at(2).name.text, "IOrnTranslator");
  EXPECT_EQ(records.at(2).isClass, 0);
  EXPECT_STREQ(records.at(2).parent.text, "OrnTrivialTranslator");
  ASSERT_EQ(classNames.top, 1);
  EXPECT_STREQ(classNames.at(1).text, "OrnTrivialTranslator");
}

TEST_F(TrivialTranslatorTest, PassesTextThroughWidened) {
  EXPECT_EQ(render(translator, "abc"), "abc");
  OrnWString none = translator->translate(nullptr);
  EXPECT_EQ(none.text, nullptr);
  OrnWString accented = translator->translate("\xE9t\xE9");
  ASSERT_EQ(accented.length(), 3);
  EXPECT_EQ(accented.text[0], 0x00E9);
  EXPECT_EQ(accented.text[2], 0x00E9);
  OrnWString out;
  EXPECT_TRUE(translator->lookup("q", out));
  EXPECT_EQ(narrow(out), "q");
  EXPECT_FALSE(translator->probe(0));
  EXPECT_FALSE(translator->probe(-1));
  EXPECT_FALSE(translator->probe(12345));
}

TEST_F(TrivialTranslatorTest, ResultsAreOwnedByTheCaller) {
  OrnWString a = translator->translate("same");
  OrnWString b = translator->translate("same");
  EXPECT_GT(a.capacity, 0);
  EXPECT_NE(a.text, b.text);
}

TEST(TranslatorDerived, ReplacingOnlyLookupServesEveryOperation) {
  PrefixTranslator* translator = held(new PrefixTranslator("T:"));
  IOrnTranslator* asInterface = translator;
  const OrnWString a("A"), b("B");
  EXPECT_EQ(narrow(asInterface->translate("x")), "T:x");
  EXPECT_EQ(narrow(asInterface->translate("%1", &a)), "T:A");
  EXPECT_EQ(narrow(asInterface->translate("%2%1", &a, &b)), "T:BA");
  EXPECT_EQ(narrow(asInterface->translate("%3", &a, &b, &a)), "T:A");
  EXPECT_EQ(narrow(asInterface->translate("%4", &a, &b, &a, &b)), "T:B");
  EXPECT_EQ(narrow(asInterface->translate("%5", &a, &b, &a, &b, &a)), "T:A");
  EXPECT_EQ(narrow(asInterface->translate("%6", &a, &b, &a, &b, &a, &b)), "T:B");
  const OrnWString args[] = {OrnWString("A"), OrnWString("B")};
  EXPECT_EQ(narrow(asInterface->translate("%2%1", 2, args)), "T:BA");
  EXPECT_EQ(translator->lookups, 8);
  translator->release();
}

}  // namespace
