#include "host/orn_host.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "core/component.h"
#include "host/wide_text.h"
#include "text/orn_string.h"

namespace {
// Hosts outlive every module (a module's exit list releases through them): never destroyed,
// kept reachable.
OrnHostApp& keptHost(const OrnHostOptions& options) {
  static auto* hosts = new std::vector<OrnHostApp*>();
  hosts->push_back(new OrnHostApp(options));
  return *hosts->back();
}
OrnHostApp& newHost() { return keptHost(OrnHostOptions{1 << 16, 2, 'O'}); }

void* service(OrnHostApp& host, const char* name) {
  void* out = nullptr;
  host.getService(OrnString::borrowing(name), &out);
  return out;
}

// A module-side object: counted through the host's hooks, destroyed on their word.
class Counted : public IOrnClcBinary {
 public:
  explicit Counted(bool* destroyed) : destroyed_(destroyed) {}
  ~Counted() override { *destroyed_ = true; }
  int32_t version() override { return 0; }
  const uint8_t* data() override { return nullptr; }
  int32_t size() override { return 0; }
  bool queryInterface(const char*, void**, int) override { return false; }
  const char* className() override { return "Counted"; }
  void hostAddRef(OrnHostApp& host) { host.addRefHook(&refCountField); }
  void hostRelease(OrnHostApp& host) {
    if (host.releaseHook(&refCountField)) delete this;
  }

 private:
  bool* destroyed_;
};
}  // namespace

TEST(HostServices, EveryServiceIsOfferedUnderItsName) {
  OrnHostApp& host = newHost();
  EXPECT_EQ(service(host, "IDataStore"), static_cast<IDataStore*>(&host.settings()));
  EXPECT_EQ(service(host, "IOrnErrorService"), static_cast<IOrnErrorService*>(&host.errors()));
  EXPECT_EQ(service(host, "IOrnAssertHandlerCB"),
            static_cast<IOrnAssertHandlerCB*>(&host.assertions()));
  EXPECT_EQ(service(host, "IOrnMManager"),
            static_cast<OrnMM::IOrnMManager*>(&host.memoryManager()));
  EXPECT_EQ(service(host, "IOrnHeapMemoryUsage"),
            static_cast<IOrnHeapMemoryUsage*>(&host.heapUsage()));
  EXPECT_EQ(service(host, "IMemChecker"), static_cast<IMemChecker*>(&host.memChecker()));
  EXPECT_EQ(service(host, "IOrnDirService"), static_cast<IOrnDirService*>(&host.dirService()));
  EXPECT_EQ(service(host, "IOrnTranslatorService"),
            static_cast<IOrnTranslatorService*>(&host.translatorService()));
  EXPECT_EQ(service(host, "IOrnTranslator"), static_cast<IOrnTranslator*>(&host.translator()));
  EXPECT_EQ(service(host, "IBucketMemoryPool"), static_cast<IBucketMemoryPool*>(&host.pool()));
  EXPECT_EQ(service(host, "idatastore"), nullptr);
  EXPECT_EQ(service(host, "INoSuchService"), nullptr);
  EXPECT_EQ(host.requestCount("IDataStore"), 1);
  EXPECT_EQ(host.requestCount("INoSuchService"), 1);
  // The shared pool answers the module's question for its class.
  void* pool = nullptr;
  EXPECT_TRUE(
      static_cast<IOrnUnknown*>(&host.pool())->queryInterface("BucketMemoryPool", &pool, 0));
  EXPECT_EQ(pool, static_cast<BucketMemoryPool*>(&host.pool()));
}

TEST(HostServices, DirectoryServiceFollowsTheTempSetting) {
  OrnHostApp& host = newHost();
  host.settings().set(HostSettings::tempDirectoryKey, "/srv/tmp");
  EXPECT_EQ(toUtf8(host.dirService().directory("temp")), "/srv/tmp");
  EXPECT_EQ(toUtf8(host.dirService().directory("TEMP")), "/srv/tmp");
  EXPECT_TRUE(host.dirService().directory("home").empty());
  EXPECT_TRUE(host.dirService().directory(nullptr).empty());
}

TEST(HostServices, ErrorServiceKeepsReportsAndShowsThemTranslated) {
  OrnHostApp& host = newHost();
  host.errors().setEcho(nullptr);
  host.errors().setDisplayTranslation([](const std::string& s) { return "[" + s + "]"; });
  const OrnWString message("disk full");
  const OrnString extra("detail");
  EXPECT_EQ(host.errors().reportError(message, 2, extra), 1);
  const std::vector<ErrorReport> reports = host.errors().reports();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].message, "disk full");
  EXPECT_EQ(reports[0].shown, "[disk full]");
  EXPECT_EQ(reports[0].severity, 2);
  EXPECT_EQ(reports[0].extra, "detail");
  EXPECT_EQ(severityName(1), "error");
  EXPECT_EQ(severityName(7), "severity 7");
}

TEST(HostServices, EchoesRenderTheModulesTextsAsTheHostAsks) {
  OrnHostApp& host = newHost();
  const auto bracketed = [](const std::string& s) { return "<" + s + ">"; };
  host.errors().setEchoText(bracketed);
  host.assertions().setEchoText(bracketed);
  std::FILE* echo = std::tmpfile();
  ASSERT_NE(echo, nullptr);
  host.errors().setEcho(echo);
  host.assertions().setEcho(echo);
  host.errors().reportError(OrnWString("message"), 2, OrnString(""));
  host.assertions().reportAssertion("x > 0", "file.cpp", 7);
  host.errors().setEcho(nullptr);
  host.assertions().setEcho(nullptr);
  std::rewind(echo);
  char text[256] = {};
  const size_t got = std::fread(text, 1, sizeof text - 1, echo);
  std::fclose(echo);
  EXPECT_EQ(std::string(text, got),
            "module warning: <message>\nmodule assertion failed: <x > 0> (<file.cpp>:7)\n");
  EXPECT_EQ(host.errors().reports().at(0).shown, "message");  // kept as sent
}

// Regression: a module that gave up while the service was quiet (under check and test) ended the
// process before the kept report was shown, so the user saw nothing at all.
TEST(HostServices, QuietReportsAreWrittenToStderrWhenTheProcessEndsBeforeTheyAreHandedOver) {
  EXPECT_EXIT(
      {
        OrnHostApp& host = newHost();
        host.errors().setEcho(nullptr);
        host.errors().setEchoText([](const std::string& s) { return "<" + s + ">"; });
        host.errors().reportError(OrnWString("memory has run out"), 1, OrnString("x"));
        std::exit(4);
      },
      testing::ExitedWithCode(4), "module error: <memory has run out> <x>");
}

TEST(HostServices, ReportsHandedOverOrEchoedAreNotWrittenAgainAtExit) {
  EXPECT_EXIT(
      {
        OrnHostApp& host = newHost();
        host.errors().setEcho(nullptr);
        host.errors().reportError(OrnWString("handed over"), 1, OrnString(""));
        host.errors().setEcho(stderr);  // the caller takes the quiet ones
        host.errors().reportError(OrnWString("echoed"), 2, OrnString(""));
        host.errors().setEcho(nullptr);
        host.errors().reportError(OrnWString("still quiet"), 3, OrnString(""));
        std::fprintf(stderr, "exiting\n");
        std::exit(3);
      },
      testing::ExitedWithCode(3),
      testing::ContainsRegex("^module warning: echoed\nexiting\nmodule note: still quiet\n$"));
}

TEST(HostServices, AssertionHandlerCountsAndKeepsWhere) {
  OrnHostApp& host = newHost();
  host.assertions().setEcho(nullptr);
  host.assertions().reportAssertion("top <= capacity", "pool/bucket_pool.cpp", 120);
  host.assertions().reportAssertion(nullptr, nullptr, 0);
  ASSERT_EQ(host.assertions().assertionCount(), 2u);
  const AssertionReport first = host.assertions().assertions()[0];
  EXPECT_EQ(first.expression, "top <= capacity");
  EXPECT_EQ(first.file, "pool/bucket_pool.cpp");
  EXPECT_EQ(first.line, 120);
  EXPECT_EQ(host.assertions().assertions()[1].expression, "?");
}

TEST(HostServices, ServicesAreNeverDestroyedAndOverReleasesAreSeen) {
  OrnHostApp& host = newHost();
  IOrnUnknown* errors = &host.errors();
  host.noteServiceCounts();
  errors->addRef();
  errors->addRef();
  errors->release();
  std::vector<OrnHostApp::ServiceChange> changes = host.serviceChanges();
  ASSERT_EQ(changes.size(), 1u);
  EXPECT_EQ(changes[0].name, "IOrnErrorService");
  EXPECT_EQ(changes[0].change, 1);
  errors->release();
  errors->release();  // one more than taken: the host's own reference goes, the service stays
  errors->release();
  changes = host.serviceChanges();
  ASSERT_EQ(changes.size(), 1u);
  EXPECT_EQ(changes[0].change, -2);
  EXPECT_EQ(host.errors().reportCount(), 0u);  // still a live object
}

TEST(HostHooks, DestroyIsDecidedByTheDecrementAndHeldObjectsAreNamed) {
  OrnHostApp& host = newHost();
  bool destroyed = false;
  Counted* object = new Counted(&destroyed);
  object->hostAddRef(host);
  object->hostAddRef(host);
  std::vector<HeldObject> held = host.tracker().heldObjects();
  ASSERT_EQ(held.size(), 1u);
  EXPECT_EQ(held[0].className, "Counted");
  EXPECT_EQ(held[0].balance, 2);
  EXPECT_EQ(held[0].address, static_cast<IOrnUnknown*>(object));
  object->hostRelease(host);
  EXPECT_FALSE(destroyed);
  object->hostRelease(host);
  EXPECT_TRUE(destroyed);
  EXPECT_TRUE(host.tracker().heldObjects().empty());
  EXPECT_EQ(host.tracker().addRefCalls(), 2);
  EXPECT_EQ(host.tracker().releaseCalls(), 2);
}

TEST(HostHooks, CountGoingNegativeDestroysNothing) {
  OrnHostApp& host = newHost();
  bool destroyed = false;
  Counted* object = new Counted(&destroyed);
  object->hostRelease(host);
  EXPECT_FALSE(destroyed);
  EXPECT_EQ(object->refCount(), -1);
  EXPECT_TRUE(host.tracker().heldObjects().empty());
  object->hostAddRef(host);
  object->hostAddRef(host);
  object->hostRelease(host);
  EXPECT_TRUE(destroyed);  // the decrement returned 0
}

TEST(HostHooksThreaded, ExactlyOneReleaseDestroys) {
  OrnHostApp& host = newHost();
  for (int round = 0; round < 20; ++round) {
    bool destroyed = false;
    Counted* object = new Counted(&destroyed);
    constexpr int threads = 4, perThread = 250;
    for (int i = 0; i < threads * perThread; ++i) object->hostAddRef(host);
    std::vector<std::thread> workers;
    std::vector<int> destroyCalls(threads, 0);
    for (int t = 0; t < threads; ++t) {
      workers.emplace_back([&host, object, &destroyCalls, t] {
        for (int i = 0; i < perThread; ++i) {
          if (host.releaseHook(&object->refCountField)) ++destroyCalls[t];
        }
      });
    }
    for (std::thread& w : workers) w.join();
    int total = 0;
    for (int n : destroyCalls) total += n;
    ASSERT_EQ(total, 1) << "round " << round;
    delete object;
    EXPECT_TRUE(destroyed);
  }
}

TEST(HostPool, FiguresAndForeignBlocks) {
  OrnHostApp& host = newHost();
  HostSharedPool& pool = host.pool();
  int capacity = 0;
  void* a = pool.allocate(10, &capacity);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(capacity, 12);
  // A block whose header names another binary's allocator, as a module's blocks do.
  static BucketMemoryAllocator otherModule;
  void* raw = std::malloc(16 + poolHeaderSize);
  *static_cast<BucketMemoryAllocator**>(raw) = &otherModule;
  void* foreign = static_cast<char*>(raw) + poolHeaderSize;
  ASSERT_TRUE(pool.deallocate(capacity, &a));
  ASSERT_TRUE(pool.deallocate(16, &foreign));
  HostSharedPool::Figures figures = pool.figures();
  EXPECT_GE(figures.freeBlocks, 2);
  EXPECT_EQ(figures.foreignBlocks, 1);
  EXPECT_EQ(pool.dropForeignBlocks(), 1);
  EXPECT_EQ(pool.figures().foreignBlocks, 0);
  EXPECT_EQ(pool.figures().freeBlocks, figures.freeBlocks - 1);
  std::free(raw);  // the pool forgot it; whoever made it frees it
}
