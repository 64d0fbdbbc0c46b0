// A patch keeps its populations in one ordered block and finds a year by offset when
// its years have no gaps. These tests replay random SetYear calls on a patch and on a
// std::map and require the same answers.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <random>
#include <vector>

#include "model/TPatch.hpp"

namespace {

void ExpectSame(TPatch& patch, const std::map<long, double>& reference, long low, long high) {
  std::vector<long> years;
  for (const auto& [year, population] : reference)
    years.push_back(year);
  ASSERT_EQ(patch.GetYearList(), years);
  long minYear = 99999999, maxYear = 0;
  for (long year : years) {
    minYear = std::min(minYear, year);
    maxYear = std::max(maxYear, year);
  }
  ASSERT_EQ(patch.GetMinYear(), minYear);
  ASSERT_EQ(patch.GetMaxYear(), maxYear);
  for (long year = low; year <= high; ++year) {
    auto found = reference.find(year);
    bool held = found != reference.end();
    ASSERT_EQ(patch.HasYear(year), held) << year;
    ASSERT_EQ(patch.FindYear(year) != nullptr, held) << year;
    if (held) {
      ASSERT_EQ(patch.GetYear(year), found->second) << year;
      ASSERT_EQ(*patch.FindYear(year), found->second) << year;
    } else {
      ASSERT_THROW(patch.GetYear(year), const char*);
    }
  }
}

}  // namespace

TEST(TPatchStorage, RandomYearsMatchAnOrderedMap) {
  std::mt19937_64 random(5);
  for (int round = 0; round < 300; ++round) {
    TPatch patch("A", "", 0, 0);
    std::map<long, double> reference;
    long base = static_cast<long>(random() % 40) - 20;
    int mode = static_cast<int>(random() % 3);  // in order, in order with gaps, any order
    int count = static_cast<int>(random() % 30);
    for (int i = 0; i < count; ++i) {
      long year = mode == 0   ? base + i
                  : mode == 1 ? base + i * 2 + static_cast<long>(random() % 2)
                              : base + static_cast<long>(random() % 40);
      double population = static_cast<double>(random() % 100);
      patch.SetYear(year, population);
      reference[year] = population;
    }
    ExpectSame(patch, reference, base - 3, base + 80);
    std::unique_ptr<TPatch> clone(patch.Clone());
    ExpectSame(*clone, reference, base - 3, base + 80);

    // DeepClone into a patch that holds some years of its own.
    TPatch target("B", "", 0, 0);
    std::map<long, double> merged;
    for (int i = 0; i < 5; ++i) {
      long year = base + static_cast<long>(random() % 60) - 10;
      target.SetYear(year, -1);
      merged[year] = -1;
    }
    patch.DeepClone(&target);
    for (const auto& [year, population] : reference)
      merged[year] = population;
    ExpectSame(target, merged, base - 15, base + 80);
  }
}
