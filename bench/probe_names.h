// The names the hash-table benchmarks insert and look up: "Orn.Interface<k>" for the keys, the
// same with "Gone." for misses, in a fixed shuffled order.
#ifndef ORN_BENCH_PROBE_NAMES_H_
#define ORN_BENCH_PROBE_NAMES_H_

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

// Enough distinct probes that a large table is walked well beyond the caches.
constexpr size_t probeCount = 1 << 16;

inline std::string nameOf(int64_t k, bool present) {
  char buffer[48];
  std::snprintf(buffer, sizeof buffer, "%s.Interface%lld", present ? "Orn" : "Gone",
                static_cast<long long>(k));
  return buffer;
}

// Probe names, hits or misses, in a fixed shuffled order.
inline std::vector<std::string> probeNames(int64_t keys, bool hits) {
  std::mt19937 random(42);
  std::vector<std::string> names;
  names.reserve(probeCount);
  for (size_t p = 0; p < probeCount; ++p) names.push_back(nameOf(random() % keys, hits));
  return names;
}

#endif  // ORN_BENCH_PROBE_NAMES_H_
