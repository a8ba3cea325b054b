// OrnString construct + copy + destroy against std::string, for 8- and 40-character texts.
#include <benchmark/benchmark.h>

#include <string>

#include "pool/pool_binding.h"
#include "text/orn_string.h"

namespace {

const char* textOf(int64_t length) {
  return length == 8 ? "abcdefgh" : "abcdefghijklmnopqrstuvwxyz0123456789ABCD";
}

void BM_OrnString(benchmark::State& state) {
  const char* text = textOf(state.range(0));
  for (auto _ : state) {
    OrnString original(text);
    OrnString copy(original);
    benchmark::DoNotOptimize(copy.text);
  }
}

void BM_StdString(benchmark::State& state) {
  const char* text = textOf(state.range(0));
  for (auto _ : state) {
    std::string original(text);
    std::string copy(original);
    benchmark::DoNotOptimize(copy.data());
  }
}

// The copy alone, of a text made once.
void BM_OrnStringCopy(benchmark::State& state) {
  const OrnString original(textOf(state.range(0)));
  for (auto _ : state) {
    OrnString copy(original);
    benchmark::DoNotOptimize(copy.text);
  }
}

void BM_StdStringCopy(benchmark::State& state) {
  const std::string original(textOf(state.range(0)));
  for (auto _ : state) {
    std::string copy(original);
    benchmark::DoNotOptimize(copy.data());
  }
}

BENCHMARK(BM_OrnString)->Arg(8)->Arg(40);
BENCHMARK(BM_StdString)->Arg(8)->Arg(40);
BENCHMARK(BM_OrnStringCopy)->Arg(8)->Arg(40);
BENCHMARK(BM_StdStringCopy)->Arg(8)->Arg(40);

}  // namespace

BENCHMARK_MAIN();
