// OrnHashTable find by name, hit and miss, against std::unordered_map<std::string, int>, at 100,
// 10k and 1M keys. Both look up the same probe names in the same shuffled order.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

#include "bench/probe_names.h"
#include "text/orn_hash_table.h"
#include "text/orn_string.h"

namespace {

void BM_OrnHashTableFind(benchmark::State& state, bool hits) {
  const int64_t keys = state.range(0);
  OrnHashTable<OrnString, int32_t> table;
  for (int64_t k = 0; k < keys; ++k) {
    table.findOrInsert(OrnString(nameOf(k, true).c_str())) = static_cast<int32_t>(k);
  }
  const std::vector<std::string> names = probeNames(keys, hits);
  std::vector<OrnString> probes;
  probes.reserve(names.size());
  for (const std::string& n : names) probes.push_back(OrnString::borrowing(n.c_str()));
  size_t p = 0;
  int64_t found = 0;
  for (auto _ : state) {
    uint32_t index = 0;
    found += table.findByName(probes[p], &index) != nullptr;
    p = (p + 1) % probeCount;
  }
  benchmark::DoNotOptimize(found);
  if (hits && found != state.iterations()) state.SkipWithError("a hit was missed");
}

void BM_UnorderedMapFind(benchmark::State& state, bool hits) {
  const int64_t keys = state.range(0);
  std::unordered_map<std::string, int> map;
  for (int64_t k = 0; k < keys; ++k) map.emplace(nameOf(k, true), static_cast<int>(k));
  const std::vector<std::string> probes = probeNames(keys, hits);
  size_t p = 0;
  int64_t found = 0;
  for (auto _ : state) {
    found += map.find(probes[p]) != map.end();
    p = (p + 1) % probeCount;
  }
  benchmark::DoNotOptimize(found);
  if (hits && found != state.iterations()) state.SkipWithError("a hit was missed");
}

void keyCounts(benchmark::internal::Benchmark* b) {
  for (int64_t keys : {100, 10000, 1000000}) b->Arg(keys);
}

BENCHMARK_CAPTURE(BM_OrnHashTableFind, hit, true)->Apply(keyCounts);
BENCHMARK_CAPTURE(BM_UnorderedMapFind, hit, true)->Apply(keyCounts);
BENCHMARK_CAPTURE(BM_OrnHashTableFind, miss, false)->Apply(keyCounts);
BENCHMARK_CAPTURE(BM_UnorderedMapFind, miss, false)->Apply(keyCounts);

}  // namespace

BENCHMARK_MAIN();
