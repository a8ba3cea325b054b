// The host operations a module calls, while every C++ allocation of this process throws: each
// answers, nothing leaves it as an exception, and what the user must see is still shown.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "core/object.h"
#include "core/orn_id.h"
#include "host/failing_allocations_test_support.h"
#include "host/orn_host.h"
#include "host/test_service.h"
#include "host/wide_text.h"
#include "memory/out_of_memory.h"
#include "memory/ubrrealloc.h"
#include "platform/heap.h"
#include "text/orn_string.h"

namespace {
// Hosts outlive every module (a module's exit list releases through them): never destroyed.
OrnHostApp& keptHost() {
  static auto* hosts = new std::vector<OrnHostApp*>();
  hosts->push_back(new OrnHostApp(OrnHostOptions{1 << 16, 2, 'O'}));
  return *hosts->back();
}

// A module-side object counted through the host's hooks.
class Counted : public IOrnUnknown {
 public:
  bool queryInterface(const char*, void**, int) override { return false; }
  const char* className() override { return "Counted"; }
};

// What was written to a stream that a service echoed to.
std::string contentsOf(std::FILE* stream) {
  std::string text;
  std::rewind(stream);
  char buffer[256];
  size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, stream)) > 0) text.append(buffer, n);
  return text;
}

size_t occurrences(const std::string& haystack, const std::string& needle) {
  size_t count = 0;
  for (size_t at = haystack.find(needle); at != std::string::npos;
       at = haystack.find(needle, at + needle.size())) {
    ++count;
  }
  return count;
}

std::string utf8Of(const OrnWString& text) { return toUtf8(text); }

// A runtime heap that has nothing left: every request refused, nothing recorded (a recording heap
// would itself need the memory that is gone).
class ExhaustedHeap : public PlatformHeap {
 public:
  void* allocate(size_t) override { return nullptr; }
  void* reallocate(void*, size_t) override { return nullptr; }
};
}  // namespace

TEST(HostBoundary, GetServiceHandsOutOfferedServicesWithoutMemory) {
  OrnHostApp& host = keptHost();
  IOrnHost& asModule = host;
  void* before = nullptr;
  asModule.getService(OrnString::borrowing("IOrnErrorService"), &before);
  void* errors = nullptr;
  void* store = nullptr;
  void* missing = nullptr;
  int foundErrors = 0, foundStore = 0, foundMissing = -1;
  {
    FailingAllocationsScope noMemory;
    foundErrors = asModule.getService(OrnString::borrowing("IOrnErrorService"), &errors);
    foundStore = asModule.getService(OrnString::borrowing("IDataStore"), &store);
    foundMissing = asModule.getService(OrnString::borrowing("INoSuchService"), &missing);
  }
  EXPECT_GT(refusedAllocations(), 0);  // the first requests of a name wanted memory
  EXPECT_EQ(foundErrors, 1);
  EXPECT_EQ(errors, before);
  EXPECT_EQ(foundStore, 1);
  EXPECT_EQ(store, static_cast<IDataStore*>(&host.settings()));
  EXPECT_EQ(foundMissing, 0);
  EXPECT_EQ(missing, nullptr);
  EXPECT_EQ(host.requestCount("IOrnErrorService"), 2);  // a known name is still counted
}

TEST(HostBoundary, HooksCountAndDecideDestructionWithoutMemory) {
  OrnHostApp& host = keptHost();
  IOrnHost& asModule = host;
  Counted kept;    // counted before memory ran out: its record exists
  Counted unkept;  // first counted afterwards: no record can be made
  asModule.addRefHook(&kept.refCountField);
  bool keptDestroyed = true, unkeptFirst = true, unkeptLast = false;
  {
    FailingAllocationsScope noMemory;
    asModule.addRefHook(&unkept.refCountField);
    asModule.addRefHook(&unkept.refCountField);
    unkeptFirst = asModule.releaseHook(&unkept.refCountField);
    unkeptLast = asModule.releaseHook(&unkept.refCountField);
    keptDestroyed = asModule.releaseHook(&kept.refCountField);
  }
  EXPECT_FALSE(unkeptFirst);
  EXPECT_TRUE(unkeptLast);  // the decrement reached 0: the module destroys the object
  EXPECT_EQ(unkept.refCountField, 0);
  EXPECT_TRUE(keptDestroyed);
  EXPECT_EQ(kept.refCountField, 0);
  EXPECT_EQ(host.tracker().lostRecords(), 4);
  EXPECT_TRUE(host.tracker().destroyedByRelease(static_cast<IOrnUnknown*>(&kept)));
  EXPECT_TRUE(host.tracker().heldObjects().empty());
}

TEST(HostBoundary, ErrorServiceShowsAReportItCannotKeep) {
  OrnHostApp& host = keptHost();
  std::FILE* echo = std::tmpfile();
  ASSERT_NE(echo, nullptr);
  host.errors().setEcho(echo);
  OrnWString message;
  const char16_t text[] = u"Speicher voll \u00fc \U0001F600";
  message.assignText(text, static_cast<int32_t>(sizeof text / sizeof text[0]) - 1);
  const OrnString extra("detail");
  const int severity = 2;
  int answer = -1;
  {
    FailingAllocationsScope noMemory;
    answer = static_cast<IOrnErrorService&>(host.errors()).reportError(message, severity, extra);
  }
  EXPECT_EQ(answer, 0);  // not kept
  EXPECT_EQ(host.errors().reportCount(), 0u);
  EXPECT_EQ(contentsOf(echo), "module warning: Speicher voll \xC3\xBC \xF0\x9F\x98\x80 detail\n");
  host.errors().setEcho(nullptr);
  std::fclose(echo);
}

TEST(HostBoundary, QuietErrorServiceShowsAReportItCannotKeepOnStderr) {
  OrnHostApp& host = keptHost();
  host.errors().setEcho(nullptr);
  const OrnWString message("disk full");
  const OrnString extra;
  EXPECT_EXIT(
      {
        FailingAllocationsScope noMemory;
        static_cast<IOrnErrorService&>(host.errors()).reportError(message, 7, extra);
        std::exit(0);
      },
      testing::ExitedWithCode(0), testing::HasSubstr("module severity 7: disk full\n"));
}

TEST(HostBoundary, AssertionHandlerPrintsAnAssertionItCannotKeep) {
  OrnHostApp& host = keptHost();
  std::FILE* echo = std::tmpfile();
  ASSERT_NE(echo, nullptr);
  host.assertions().setEcho(echo);
  {
    FailingAllocationsScope noMemory;
    static_cast<IOrnAssertHandlerCB&>(host.assertions())
        .reportAssertion("top <= capacity", "pool/bucket_pool.cpp", 120);
    static_cast<IOrnAssertHandlerCB&>(host.assertions()).reportAssertion(nullptr, nullptr, 0);
  }
  EXPECT_EQ(host.assertions().assertionCount(), 0u);
  EXPECT_EQ(contentsOf(echo),
            "module assertion failed: top <= capacity (pool/bucket_pool.cpp:120)\n"
            "module assertion failed: ? (?:0)\n");
  host.assertions().setEcho(nullptr);
  std::fclose(echo);
}

TEST(HostBoundary, SettingsAndDirectoriesAnswerWithoutMemory) {
  OrnHostApp& host = keptHost();
  host.settings().set(HostSettings::tempDirectoryKey, "/srv/tmp");
  IDataStore& store = host.settings();
  IOrnDirService& dirs = host.dirService();
  const OrnWString* temp = nullptr;
  const OrnWString* missing = nullptr;
  const OrnWString* tempDir = nullptr;
  const OrnWString* home = nullptr;
  {
    FailingAllocationsScope noMemory;
    temp = &store.stringValue(HostSettings::tempDirectoryKey, 0);
    missing = &store.stringValue("Directories/Nowhere", 0);
    tempDir = &dirs.directory("TEMP");
    home = &dirs.directory("home");
  }
  EXPECT_EQ(utf8Of(*temp), "/srv/tmp");
  EXPECT_EQ(tempDir, temp);
  EXPECT_NE(missing->text, nullptr);
  EXPECT_TRUE(missing->empty());
  EXPECT_NE(home->text, nullptr);
  EXPECT_TRUE(home->empty());
}

TEST(HostBoundary, TranslatorPassesTextThroughWhenItsTranslationCannotBeBuilt) {
  OrnHostApp& host = keptHost();
  auto catalogue = std::make_shared<PoCatalogue>();
  std::vector<CatalogueProblem> problems;
  ASSERT_TRUE(catalogue->loadText("msgid \"Hello %1\"\nmsgstr \"Hallo %1\"\n", "de.po", &problems));
  host.translator().setCatalogue(catalogue);
  IOrnTranslator* translator =
      static_cast<IOrnTranslatorService&>(host.translatorService()).translatorFor(OrnID());
  ASSERT_NE(translator, nullptr);
  const OrnWString name("Welt");
  EXPECT_EQ(utf8Of(translator->translate("Hello %1", &name)), "Hallo Welt");
  OrnWString known, unknown;
  const int64_t refusedBefore = refusedAllocations();
  {
    FailingAllocationsScope noMemory;
    known = translator->translate("Hello %1", &name);
    unknown = translator->translate("Goodbye");
  }
  EXPECT_GT(refusedAllocations(), refusedBefore);
  EXPECT_EQ(utf8Of(known), "Hello Welt");  // as the text stands, placeholders filled
  EXPECT_EQ(utf8Of(unknown), "Goodbye");
}

TEST(HostBoundary, TestServiceCountsTestsWhosePayloadItCannotKeep) {
  HostTestService tests;
  IOrnTestService& asModule = tests;
  int records[3] = {};
  asModule.runTest(&records[0]);
  {
    FailingAllocationsScope noMemory;
    asModule.runTest(&records[1]);  // the payload list must grow: refused
    asModule.runTest(&records[2]);
  }
  EXPECT_EQ(tests.payloads(), std::vector<void*>{&records[0]});
  EXPECT_EQ(tests.lostPayloads(), 2);
  EXPECT_EQ(tests.testsRun(), 3);
}

TEST(HostBoundary, SharedPoolHandsBackABlockItCannotFile) {
  OrnHostApp& host = keptHost();
  HostSharedPool& pool = host.pool();
  int32_t capacity = 0;
  void* block = pool.allocate(100000, &capacity);  // a size class no bucket holds yet
  ASSERT_NE(block, nullptr);
  const int64_t freeBefore = pool.figures().freeBlocks;
  bool taken = false;
  {
    FailingAllocationsScope noMemory;
    taken = static_cast<BucketPoolOperations&>(pool).deallocate(capacity, &block);
  }
  EXPECT_TRUE(taken);
  EXPECT_EQ(block, nullptr);
  EXPECT_EQ(pool.figures().freeBlocks, freeBefore);  // not filed: given back to its allocator
}

// The framework of this binary stands for a module attached to the real host: its last road
// when memory has run out reaches the user although the host can allocate nothing either.
TEST(HostBoundary, OutOfMemoryRoadShowsTheMessageWhenTheHostCannotAllocate) {
  OrnHostApp& host = keptHost();
  host.errors().setEcho(stderr);
  const std::string shown = std::string("module error: ") + ubrOutOfMemoryText + "\n";
  EXPECT_EXIT(
      {
        moduleHost = &host;
        static ExhaustedHeap exhausted;
        installPlatformHeap(&exhausted);
        FailingAllocationsScope noMemory;
        void* block = nullptr;
        ubrMalloc(&block, 4, 10);
      },
#ifdef _WIN32
      testing::ExitedWithCode(-1),
#else
      testing::ExitedWithCode(255),
#endif
      testing::Truly([&](const std::string& err) { return occurrences(err, shown) == 1; }))
      << shown;
}
