// Instructions per find by name, OrnHashTable against std::unordered_map<std::string, int>, hit
// and miss, for callgrind (bench/callgrind-counts runs it). Same keys, same probes in the same
// order as bench_hash_table; each measured loop is bracketed by callgrind client requests.
#include <valgrind/callgrind.h>

#include <cstdio>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

#include "bench/probe_names.h"
#include "text/orn_hash_table.h"
#include "text/orn_string.h"

namespace {

constexpr int findsPerRow = 100000;

__attribute__((noinline)) int64_t ornFinds(const OrnHashTable<OrnString, int32_t>& table,
                                           const std::vector<OrnString>& probes, int n) {
  int64_t found = 0;
  size_t p = 0;
  for (int k = 0; k < n; ++k) {
    uint32_t index = 0;
    found += table.findByName(probes[p], &index) != nullptr;
    p = (p + 1) % probeCount;
  }
  return found;
}

__attribute__((noinline)) int64_t mapFinds(const std::unordered_map<std::string, int>& map,
                                           const std::vector<std::string>& probes, int n) {
  int64_t found = 0;
  size_t p = 0;
  for (int k = 0; k < n; ++k) {
    found += map.find(probes[p]) != map.end();
    p = (p + 1) % probeCount;
  }
  return found;
}

void row(int64_t keys, bool hits) {
  const char* kind = hits ? "hit" : "miss";
  OrnHashTable<OrnString, int32_t> table;
  std::unordered_map<std::string, int> map;
  for (int64_t k = 0; k < keys; ++k) {
    table.findOrInsert(OrnString(nameOf(k, true).c_str())) = static_cast<int32_t>(k);
    map.emplace(nameOf(k, true), static_cast<int>(k));
  }
  const std::vector<std::string> names = probeNames(keys, hits);
  std::vector<OrnString> probes;
  probes.reserve(names.size());
  for (const std::string& n : names) probes.push_back(OrnString::borrowing(n.c_str()));
  char label[64];

  ornFinds(table, probes, 1000);
  std::snprintf(label, sizeof label, "OrnHashTable/%s/%lld", kind, static_cast<long long>(keys));
  CALLGRIND_ZERO_STATS;
  const int64_t ornFound = ornFinds(table, probes, findsPerRow);
  CALLGRIND_DUMP_STATS_AT(label);

  mapFinds(map, names, 1000);
  std::snprintf(label, sizeof label, "unordered_map/%s/%lld", kind, static_cast<long long>(keys));
  CALLGRIND_ZERO_STATS;
  const int64_t mapFound = mapFinds(map, names, findsPerRow);
  CALLGRIND_DUMP_STATS_AT(label);
  if (ornFound != mapFound) std::fprintf(stderr, "%s: the two found different counts\n", label);
}

}  // namespace

int main() {
  if (!RUNNING_ON_VALGRIND) {
    std::fprintf(stderr, "run under callgrind: bench/callgrind-counts\n");
    return 2;
  }
  std::printf("finds per row: %d\n", findsPerRow);
  for (bool hits : {true, false}) {
    for (int64_t keys : {100, 10000}) row(keys, hits);
  }
  return 0;
}
