// The host's counting hooks used from several threads at once: objects of this binary counted
// through them, and the objects of a loaded module whose every addRef and release runs through
// them while other threads create, enumerate and drop the module's classes. Run under
// ThreadSanitizer by the test command's thread leg.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "component/example_counter.h"
#include "host/check/module_facts.h"
#include "host/loaded_module.h"
#include "host/module_lifetime.h"
#include "host/orn_host.h"

namespace {

constexpr int threadCount = 4;

// Hosts outlive every module they served: never destroyed.
OrnHostApp& keptHost() {
  static auto* hosts = new std::vector<OrnHostApp*>();
  hosts->push_back(new OrnHostApp(OrnHostOptions{1 << 16, 2, 'O'}));
  hosts->back()->errors().setEcho(nullptr);
  return *hosts->back();
}

// An object counted through the host's hooks, as a module object is; counts its destructions.
class HookCounted : public IOrnClcBinary {
 public:
  explicit HookCounted(std::atomic<int>* destroyed) : destroyed_(destroyed) {}
  ~HookCounted() override { destroyed_->fetch_add(1); }
  int32_t version() override { return 1; }
  const uint8_t* data() override { return nullptr; }
  int32_t size() override { return 0; }
  bool queryInterface(const char*, void**, int) override { return false; }
  const char* className() override { return "HookCounted"; }
  void hostAddRef(OrnHostApp& host) { host.addRefHook(&refCountField); }
  void hostRelease(OrnHostApp& host) {
    if (host.releaseHook(&refCountField)) delete this;
  }

 private:
  std::atomic<int>* destroyed_;
};

TEST(HardeningHooksThreaded, SharedObjectsBalanceOutAndEachIsDestroyedOnce) {
  OrnHostApp& host = keptHost();
  constexpr int objectCount = 16, rounds = 200;
  std::atomic<int> destroyed{0};
  std::vector<HookCounted*> objects;
  for (int i = 0; i < objectCount; ++i) {
    objects.push_back(new HookCounted(&destroyed));
    objects.back()->hostAddRef(host);  // the main thread's reference keeps each alive
  }
  std::vector<std::thread> workers;
  for (int t = 0; t < threadCount; ++t) {
    workers.emplace_back([&host, &objects, t] {
      for (int round = 0; round < rounds; ++round) {
        for (int i = 0; i < objectCount; ++i) {
          HookCounted* object = objects[static_cast<size_t>((i + t) % objectCount)];
          object->hostAddRef(host);
          object->hostAddRef(host);
          object->hostRelease(host);
          object->hostRelease(host);
        }
        if (round % 50 == 0) (void)host.tracker().heldObjects();  // readers among writers
      }
    });
  }
  for (std::thread& w : workers) w.join();
  EXPECT_EQ(destroyed.load(), 0) << "the main thread's reference never went";
  const std::vector<HeldObject> held = host.tracker().heldObjects();
  ASSERT_EQ(held.size(), static_cast<size_t>(objectCount));
  for (const HeldObject& h : held) EXPECT_EQ(h.balance, 1) << h.className;
  for (HookCounted* object : objects) object->hostRelease(host);
  EXPECT_EQ(destroyed.load(), objectCount);
  EXPECT_TRUE(host.tracker().heldObjects().empty());
  const int64_t perThread = int64_t{rounds} * objectCount * 2;
  EXPECT_EQ(host.tracker().addRefCalls(), objectCount + threadCount * perThread);
  EXPECT_EQ(host.tracker().releaseCalls(), objectCount + threadCount * perThread);
}

TEST(HardeningHooksThreaded, LastReleaseRacingFromEveryThreadDestroysOnce) {
  OrnHostApp& host = keptHost();
  for (int round = 0; round < 50; ++round) {
    std::atomic<int> destroyed{0};
    HookCounted* object = new HookCounted(&destroyed);
    for (int i = 0; i < threadCount; ++i) object->hostAddRef(host);
    std::atomic<int> ready{0};
    std::vector<std::thread> workers;
    for (int t = 0; t < threadCount; ++t) {
      workers.emplace_back([&] {
        ready.fetch_add(1);
        while (ready.load() < threadCount) {
        }
        object->hostRelease(host);
      });
    }
    for (std::thread& w : workers) w.join();
    ASSERT_EQ(destroyed.load(), 1) << "round " << round;
  }
  EXPECT_TRUE(host.tracker().heldObjects().empty());
}

// The module's objects count through the host from every thread, while the threads also create
// and enumerate its classes (the module's strings come from the host's shared pool).
TEST(HardeningHooksThreaded, LoadedModuleObjectsCountedFromSeveralThreads) {
  OrnHostApp& host = keptHost();
  LoadedModule module;
  std::string error;
  ASSERT_TRUE(module.load(defaultModulePath(), &error)) << error;
  module.attach(host);
  IOrnComponent* component = module.component();
  IOrnCompInternal* internal = module.internal();
  ASSERT_NE(internal, nullptr);
  OrnID classId;
  {
    ModuleLifetimeScope lifetime;  // the module's class cursor
    ASSERT_TRUE(internal->firstClass(classId));
  }
  std::atomic<int> wrong{0};
  std::vector<std::thread> workers;
  for (int t = 0; t < threadCount; ++t) {
    workers.emplace_back([&, t] {
      for (int round = 0; round < 100; ++round) {
        component->addRef();
        IOrnUnknown* object = nullptr;
        if (component->createInstance(classId, &object) != 1 || object == nullptr) {
          ++wrong;
          component->release();
          continue;
        }
        object->addRef();
        void* view = nullptr;
        if (!object->queryInterface(IExampleCounter::lookupName, &view, 0)) ++wrong;
        IExampleCounter* counter = static_cast<IExampleCounter*>(view);
        if (counter != nullptr && counter->increment(t + 1) != t + 1) ++wrong;
        if (round % 10 == 0) {
          const NameList names = enumerateNames(object);
          if (names.names.size() != 2 || names.names[1].parent != "ExampleCounter") ++wrong;
        }
        object->release();
        component->release();
      }
    });
  }
  for (std::thread& w : workers) w.join();
  EXPECT_EQ(wrong.load(), 0);
  const std::vector<HeldObject> held = host.tracker().heldObjects();
  ASSERT_EQ(held.size(), 1u) << "only the host's own reference on the component";
  EXPECT_EQ(held[0].balance, 1);
  module.unload();
  host.pool().dropForeignBlocks();
  EXPECT_TRUE(host.tracker().heldObjects().empty());
}

}  // namespace
