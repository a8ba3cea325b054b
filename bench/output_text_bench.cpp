// What orn-host's output safety costs: jsonOutput (the scan for bad UTF-8, the replacing dump)
// against the plain dump of the same document, and safeText against copying the text as it is.
#include <benchmark/benchmark.h>

#include <string>

#include "orn-host/safe_text.h"

namespace {

// A report shaped like inspect's: count classes, each with a name and three interface names.
nlohmann::json classReport(int64_t count, bool oneBadByte) {
  nlohmann::json classes = nlohmann::json::array();
  for (int64_t i = 0; i < count; ++i) {
    const std::string name = "ExampleClass" + std::to_string(i);
    classes.push_back({{"name", name},
                       {"className", name},
                       {"interfaces", {"IExample" + std::to_string(i), "IOrnUnknown", "IThird"}}});
  }
  if (oneBadByte) classes.back()["name"] = "Bad\xff";
  return {{"module", "/tmp/module.so"}, {"classes", classes}};
}

void BM_JsonOutput(benchmark::State& state) {
  const nlohmann::json document = classReport(state.range(0), state.range(1) != 0);
  for (auto _ : state) benchmark::DoNotOptimize(jsonOutput(document));
}

void BM_PlainDump(benchmark::State& state) {
  const nlohmann::json document = classReport(state.range(0), state.range(1) != 0);
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        document.dump(2, ' ', false, nlohmann::json::error_handler_t::replace));
  }
}

std::string textOf(int64_t length) {
  std::string text;
  while (static_cast<int64_t>(text.size()) < length) text += u8"name \u00e9\u20ac ";
  text.resize(static_cast<size_t>(length));
  return text;
}

void BM_SafeText(benchmark::State& state) {
  const std::string text = textOf(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(safeText(text));
}

void BM_CopyText(benchmark::State& state) {
  const std::string text = textOf(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(std::string(text));
}

}  // namespace

BENCHMARK(BM_JsonOutput)->Args({10, 0})->Args({1000, 0})->Args({1000, 1});
BENCHMARK(BM_PlainDump)->Args({10, 0})->Args({1000, 0})->Args({1000, 1});
BENCHMARK(BM_SafeText)->Arg(40)->Arg(4096);
BENCHMARK(BM_CopyText)->Arg(40)->Arg(4096);
BENCHMARK_MAIN();
