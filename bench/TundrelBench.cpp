// Micro-benchmarks of the library on synthetic MP files held in memory.
#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <utility>

#include "MPGenerator.hpp"
#include "model/TPatches.hpp"
#include "mpfile/TMPParser.hpp"

namespace {

constexpr long kStartYear = 2000;

// Generated once per shape and kept for the whole run.
const std::string& MPText(long patches, long years) {
  static std::map<std::pair<long, long>, std::string> texts;
  auto [slot, inserted] = texts.try_emplace({patches, years});
  if (inserted) {
    MPGenerator::Options options;
    options.patches = patches;
    options.years = years;
    slot->second = MPGenerator::MakeText(options);
  }
  return slot->second;
}

std::unique_ptr<TPatches> Load(const std::string& text) {
  std::istringstream in(text);
  return std::unique_ptr<TPatches>(TMPParser::LoadMP(in, kStartYear));
}

void SetValuesProcessed(benchmark::State& state) {
  state.SetItemsProcessed(state.iterations() * state.range(0) * state.range(1));
}

void BM_LoadFromMemory(benchmark::State& state) {
  const std::string& text = MPText(state.range(0), state.range(1));
  for (auto _ : state) {
    std::unique_ptr<TPatches> patches = Load(text);
    benchmark::DoNotOptimize(patches.get());
  }
  SetValuesProcessed(state);
  state.SetBytesProcessed(state.iterations() * static_cast<long>(text.size()));
}

}  // namespace

// Arguments: patches, years.
BENCHMARK(BM_LoadFromMemory)->Args({500, 200})->Args({100, 1000})->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
