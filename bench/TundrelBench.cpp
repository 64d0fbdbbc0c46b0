// Micro-benchmarks of the library on synthetic MP files held in memory.
#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <utility>

#include "MPGenerator.hpp"
#include "analysis/TCentroidTools.hpp"
#include "model/TCentroids.hpp"
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

// The loaded collection of a shape, kept for the whole run.
TPatches* Patches(long patches, long years) {
  static std::map<std::pair<long, long>, std::unique_ptr<TPatches>> loaded;
  auto [slot, inserted] = loaded.try_emplace({patches, years});
  if (inserted)
    slot->second = Load(MPText(patches, years));
  return slot->second.get();
}

// The northern edge centroid series of a shape, for the benchmarks of what follows it.
TCentroids* NorthernCentroids(long patches, long years) {
  static std::map<std::pair<long, long>, std::unique_ptr<TCentroids>> series;
  auto [slot, inserted] = series.try_emplace({patches, years});
  if (inserted) {
    slot->second.reset(
        TCentroidTools::GetSubpopulationWeightedMeans(Patches(patches, years), 0.1, 'Y', true));
  }
  return slot->second.get();
}

void BM_EdgeCentroids(benchmark::State& state) {
  TPatches* patches = Patches(state.range(0), state.range(1));
  bool direction = state.range(2) != 0;
  for (auto _ : state) {
    std::unique_ptr<TCentroids> series(
        TCentroidTools::GetSubpopulationWeightedMeans(patches, 0.1, 'Y', direction));
    benchmark::DoNotOptimize(series.get());
  }
  SetValuesProcessed(state);
}

void BM_Shifts(benchmark::State& state) {
  TCentroids* centroids = NorthernCentroids(state.range(0), state.range(1));
  for (auto _ : state) {
    std::unique_ptr<TCentroids> shifts(TCentroidTools::GetRangeCoordShifts(centroids, 10));
    benchmark::DoNotOptimize(shifts.get());
  }
}

// The driver's three smoothings of a shift series: 0 "sma", 1 "exp", 2 "smm".
void BM_Smoothing(benchmark::State& state) {
  TCentroids* centroids = NorthernCentroids(state.range(0), state.range(1));
  std::unique_ptr<TCentroids> shifts(TCentroidTools::GetRangeCoordShifts(centroids, 10));
  long window = 5;
  for (auto _ : state) {
    std::unique_ptr<TCentroids> smoothed;
    switch (state.range(2)) {
      case 0:
        smoothed.reset(TCentroidTools::MovingAverage(shifts.get(), window));
        break;
      case 1:
        smoothed.reset(TCentroidTools::ExponentialSmoothing(shifts.get(), 2.0 / (window + 1.0)));
        break;
      default:
        smoothed.reset(TCentroidTools::MedianSmoothing(shifts.get(), window));
        break;
    }
    benchmark::DoNotOptimize(smoothed.get());
  }
}

}  // namespace

// Arguments: patches, years (and the direction flag of the edge).
BENCHMARK(BM_LoadFromMemory)->Args({500, 200})->Args({100, 1000})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EdgeCentroids)
    ->Args({500, 200, 0})
    ->Args({500, 200, 1})
    ->Args({2000, 200, 1})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Shifts)->Args({500, 200})->Args({100, 1000});
BENCHMARK(BM_Smoothing)
    ->ArgNames({"patches", "years", "type"})
    ->ArgsProduct({{100}, {1000}, {0, 1, 2}});

BENCHMARK_MAIN();
