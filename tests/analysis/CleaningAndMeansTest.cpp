#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <vector>

#include "AnalysisFixtures.hpp"
#include "analysis/TCentroidTools.hpp"

using namespace TCentroidTools;

namespace {
const double kNaN = std::numeric_limits<double>::quiet_NaN();

std::map<long, double> Consecutive(long first, std::vector<double> populations) {
  std::map<long, double> years;
  for (double population : populations)
    years[first++] = population;
  return years;
}
}  // namespace

TEST(CleanPatches, KeepsPatchesWithARunOfOccupiedEntries) {
  struct Case {
    long threshold;
    std::map<long, double> populations;
    bool passes;
  } cases[] = {
      {3, Consecutive(1, {5, 0, 7, 8, 9, 0}), true},
      {3, Consecutive(1, {5, 0, 7, 8, 0, 9}), false},
      {4, Consecutive(1, {5, 6, 7}), false},
      {2, {{2000, 1}, {2005, 1}, {2010, 1}}, true},
      {3, Consecutive(1, {1, kNaN, -2}), true},
      {2, Consecutive(1, {1, -0.0, 1}), false},
      {1, {}, false},
      {0, {}, true},
      {-1, Consecutive(1, {1, 1}), false},
  };
  for (const Case& c : cases) {
    auto patches = MakePatches({{"A", 1, 2, c.populations}});
    patches->SetResolution(2.5);
    std::unique_ptr<TPatches> cleaned(CleanPatches(patches.get(), c.threshold));
    EXPECT_EQ(cleaned->GetNumPatches(), c.passes ? 1 : 0) << c.threshold;
    EXPECT_EQ(cleaned->GetResolution(), 2.5);
  }
}

TEST(CleanPatches, ResultHoldsIndependentFullCopies) {
  auto patches = MakePatches({{"A", 1, 2, Consecutive(1, {5, 0, 7, 8, 9, 0})},
                              {"B", 3, 4, Consecutive(1, {0, 0, 0, 0, 0, 0})}});
  std::unique_ptr<TPatches> cleaned(CleanPatches(patches.get(), 3));
  patches.reset();
  ASSERT_EQ(cleaned->GetNames(), std::vector<std::string>{"A"});
  TPatch* copy = cleaned->GetPatch("A");
  EXPECT_EQ(copy->GetYearList(), (std::vector<long>{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(copy->GetYear(6), 0);
  EXPECT_EQ(copy->GetX(), 1);
}

TEST(MakeYearList, SpansAllPatchesWithoutGaps) {
  auto overlapping = MakePatches({{"A", 0, 0, Consecutive(2000, std::vector<double>(11, 1))},
                                  {"B", 0, 0, Consecutive(1995, std::vector<double>(21, 1))}});
  std::vector<long> years = MakeYearList(overlapping.get());
  ASSERT_EQ(years.size(), 21u);
  EXPECT_EQ(years.front(), 1995);
  EXPECT_EQ(years.back(), 2015);

  auto gaps = MakePatches({{"A", 0, 0, {{1, 1}, {2, 1}, {5, 1}}}, {"B", 0, 0, {}}});
  EXPECT_EQ(MakeYearList(gaps.get()), (std::vector<long>{1, 2, 3, 4, 5}));

  EXPECT_EQ(GetYearSpan(gaps.get()).first, 1);
  EXPECT_EQ(GetYearSpan(gaps.get()).Count(), 5);

  // Years beyond the start bounds stretch the span without building it.
  auto late = MakePatches({{"A", 0, 0, {{2147483647, 1}}}});
  EXPECT_EQ(GetYearSpan(late.get()).first, 99999999);
  EXPECT_EQ(GetYearSpan(late.get()).Count(), 2147483647 - 99999999 + 1);

  TPatches empty;
  EXPECT_EQ(GetYearSpan(&empty).Count(), 0);
  EXPECT_TRUE(MakeYearList(&empty).empty());
  auto noYears = MakePatches({{"A", 0, 0, {}}});
  EXPECT_TRUE(MakeYearList(noYears.get()).empty());
}

TEST(SumsAndMeans, WeightedAndPlainCentroids) {
  auto patches = MakePatches({{"A", 0, 0, {{1, 1}}},
                              {"B", 10, 0, {{1, 3}}},
                              {"C", 100, 100, {{1, 0}}},
                              {"D", -50, 7, {{2, 5}}}});
  EXPECT_EQ(SumPopulations(patches.get(), 1), 4);
  std::unique_ptr<TPoint> weighted(WeightedMeans(patches.get(), 1));
  EXPECT_EQ(weighted->X(), 7.5);
  EXPECT_EQ(weighted->Y(), 0);
  std::unique_ptr<TPoint> plain(Means(patches.get(), 1));
  EXPECT_EQ(plain->X(), 5);
  EXPECT_EQ(plain->Y(), 0);
  std::vector<TPoint*> occupied = GetNonzeroPoints(patches.get(), 1);
  ASSERT_EQ(occupied.size(), 2u);
  EXPECT_EQ(occupied[0]->X(), 0);
  EXPECT_EQ(occupied[1]->X(), 10);
  for (TPoint* point : occupied)
    delete point;
}

TEST(SumsAndMeans, NegativePopulationsWeighButAreNotOccupied) {
  auto patches = MakePatches({{"A", 0, 0, {{1, 4}}}, {"B", 10, 0, {{1, -2}}}});
  EXPECT_EQ(SumPopulations(patches.get(), 1), 2);
  std::unique_ptr<TPoint> weighted(WeightedMeans(patches.get(), 1));
  EXPECT_EQ(weighted->X(), -10);
  std::unique_ptr<TPoint> plain(Means(patches.get(), 1));
  EXPECT_EQ(plain->X(), 0);
}

TEST(SumsAndMeans, EmptyYearsGiveNaNCentroids) {
  auto zeros = MakePatches({{"A", 0, 0, {{1, 0}}}, {"B", 5, 5, {{1, 0}}}});
  TPatches empty;
  for (TPatches* patches : {zeros.get(), &empty}) {
    EXPECT_EQ(SumPopulations(patches, 1), 0);
    std::unique_ptr<TPoint> weighted(WeightedMeans(patches, 1));
    std::unique_ptr<TPoint> plain(Means(patches, 1));
    EXPECT_TRUE(IsNaNPoint(weighted.get()));
    EXPECT_TRUE(IsNaNPoint(plain.get()));
    EXPECT_TRUE(GetNonzeroPoints(patches, 1).empty());
  }
}

TEST(SumsAndMeans, WholeSeriesHasAnEntryForEveryYearOfTheList) {
  auto patches = MakePatches({{"A", 2, 4, {{1, 1}, {2, 1}, {3, 1}, {5, 1}}}});
  for (TCentroids* series : {WeightedMeans(patches.get()), Means(patches.get())}) {
    std::unique_ptr<TCentroids> owned(series);
    EXPECT_EQ(series->GetYearList(), (std::vector<long>{1, 2, 3, 4, 5}));
    EXPECT_EQ(series->GetName(), "");
    std::unique_ptr<TPoint> missing(series->GetCoords(4));
    EXPECT_TRUE(IsNaNPoint(missing.get()));
    std::unique_ptr<TPoint> held(series->GetCoords(5));
    EXPECT_EQ(held->X(), 2);
    EXPECT_EQ(held->Y(), 4);
  }
}
