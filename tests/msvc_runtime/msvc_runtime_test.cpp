// The Microsoft-ABI build's own run-time, seen from a host that loads a module built with it.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <thread>
#include <vector>

namespace {

class ProbeModule {
 public:
  ProbeModule() : module_(LoadLibraryW(L"msvc_runtime_probe.dll")) {}
  ~ProbeModule() { unload(); }
  bool loaded() const { return module_ != nullptr; }
  bool unload() {
    bool freed = module_ == nullptr || FreeLibrary(module_) != 0;
    module_ = nullptr;
    return freed;
  }
  template <class F>
  F get(const char* name) const {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
  }

 private:
  HMODULE module_;
};

using TextFn = const char* (*)();
using IntFn = int (*)();
using WatchFn = void (*)(char*);
using CatchFn = int (*)(int);
using StaticFn = const int* (*)();

}  // namespace

TEST(MsvcRuntime, StaticInitialisersRunAtLoadInTheirOrderAndTheExitListAtFreeLibrary) {
  for (int round = 0; round < 3; ++round) {
    ProbeModule probe;
    ASSERT_TRUE(probe.loaded());
    std::string steps = probe.get<TextFn>("probeSteps")();
    const size_t inlineStep = steps.find('i');
    ASSERT_NE(inlineStep, std::string::npos) << steps;
    steps.erase(inlineStep, 1);
    EXPECT_EQ(steps, "ABC") << "round " << round;
    EXPECT_EQ(probe.get<IntFn>("probeConstantValue")(), 42);
    char atUnload[64] = "";
    probe.get<WatchFn>("probeWatchUnload")(atUnload);
    EXPECT_STREQ(atUnload, "");
    ASSERT_TRUE(probe.unload());
    // c, b, a: the statics made last are destroyed first, all before FreeLibrary returns.
    std::string unloaded = atUnload;
    unloaded.erase(unloaded.find('i'), 1);
    EXPECT_EQ(unloaded, "ABCcba") << "round " << round;
  }
}

TEST(MsvcRuntime, ExceptionsAreThrownRethrownAndCaughtInsideTheModule) {
  ProbeModule probe;
  ASSERT_TRUE(probe.loaded());
  auto caught = probe.get<CatchFn>("probeCatch");
  EXPECT_EQ(caught(0), 0) << "a class caught by its standard base";
  EXPECT_EQ(caught(1), 1) << "a std::string";
  EXPECT_EQ(caught(2), 2) << "an int";
  EXPECT_EQ(caught(3), 3) << "std::bad_alloc from operator new";
  EXPECT_EQ(caught(4), -1) << "nothing thrown";
}

TEST(MsvcRuntime, ALocalStaticIsMadeOnceWhenThreadsArriveTogether) {
  ProbeModule probe;
  ASSERT_TRUE(probe.loaded());
  auto shared = probe.get<StaticFn>("probeSharedStatic");
  std::vector<const int*> seen(8, nullptr);
  std::vector<int> values(8, 0);
  std::vector<std::thread> threads;
  for (int i = 0; i < 8; ++i) {
    threads.emplace_back([&, i] {
      seen[i] = shared();
      values[i] = *seen[i];
    });
  }
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(probe.get<IntFn>("probeConstructions")(), 1);
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(seen[i], seen[0]);
    EXPECT_EQ(values[i], 1234) << "thread " << i << " saw the static before it was made";
  }
}

TEST(MsvcRuntime, TheExecutablesOwnExceptionsAndStringsWork) {
  std::string text;
  try {
    throw std::runtime_error("from the executable");
  } catch (const std::exception& error) {
    text = error.what();
  }
  EXPECT_EQ(text, "from the executable");
  EXPECT_EQ(std::to_string(12345), "12345");
}
