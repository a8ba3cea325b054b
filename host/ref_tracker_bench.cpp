// The host's counting hooks with the per-object leak records against a bare atomic count (the
// obvious host without a leak report), one addRef/release pair at a time, on one and on two
// threads, on one object and spread over 64 objects.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "core/object.h"
#include "host/ref_tracker.h"

namespace {
class Counted : public IOrnUnknown {
 public:
  bool queryInterface(const char*, void**, int) override { return false; }
  const char* className() override { return "Counted"; }
};

constexpr int objectCount = 64;

std::vector<Counted>& objects() {
  static auto* all = [] {
    auto* made = new std::vector<Counted>(objectCount);
    for (Counted& c : *made) c.refCountField = 1;  // never reaches 0 in the loops below
    return made;
  }();
  return *all;
}

RefTracker& tracker() {
  static auto* t = new RefTracker();
  return *t;
}

void BM_TrackedHooks(benchmark::State& state) {
  std::vector<Counted>& all = objects();
  const int spread = static_cast<int>(state.range(0));
  int i = 0;
  for (auto _ : state) {
    int32_t* count = &all[static_cast<size_t>(i)].refCountField;
    tracker().addRef(count);
    benchmark::DoNotOptimize(tracker().release(count));
    i = (i + 1) % spread;
  }
}

void BM_BareAtomicCount(benchmark::State& state) {
  std::vector<Counted>& all = objects();
  const int spread = static_cast<int>(state.range(0));
  int i = 0;
  for (auto _ : state) {
    int32_t* count = &all[static_cast<size_t>(i)].refCountField;
    __atomic_add_fetch(count, 1, __ATOMIC_ACQ_REL);
    benchmark::DoNotOptimize(__atomic_sub_fetch(count, 1, __ATOMIC_ACQ_REL) == 0);
    i = (i + 1) % spread;
  }
}
}  // namespace

BENCHMARK(BM_TrackedHooks)->Arg(1)->Arg(objectCount)->Threads(1)->Threads(2);
BENCHMARK(BM_BareAtomicCount)->Arg(1)->Arg(objectCount)->Threads(1)->Threads(2);
BENCHMARK_MAIN();
