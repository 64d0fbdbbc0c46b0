#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "AnalysisFixtures.hpp"
#include "analysis/TCentroidTools.hpp"

using namespace TCentroidTools;

TEST(SortOnOrdinate, SelectionSortTieOrder) {
  struct Case {
    std::vector<double> coordinates;  // of patches A, B, C, ...
    char axis;
    std::vector<std::string> order;
  } cases[] = {
      {{2, 2, 1}, 'Y', {"C", "B", "A"}},
      {{3, 1, 3, 1}, 'Y', {"B", "D", "C", "A"}},
      {{3, 1, 3, 1}, 'x', {"B", "D", "C", "A"}},
      {{5}, 'Y', {"A"}},
  };
  for (const Case& c : cases) {
    TPatches patches;
    for (std::size_t i = 0; i < c.coordinates.size(); ++i)
      patches.AddPatch(new TPatch(std::string(1, 'A' + i), "", 100 - i, c.coordinates[i]));
    EXPECT_EQ(SortOnOrdinate(&patches, c.axis), c.order);
  }
  // Only an upper-case X orders by x (here the reverse of the name order).
  auto byX = MakePatches({{"A", 3, 0, {}}, {"B", 2, 1, {}}, {"C", 1, 2, {}}});
  EXPECT_EQ(SortOnOrdinate(byX.get(), 'X'), (std::vector<std::string>{"C", "B", "A"}));
  TPatches empty;
  EXPECT_TRUE(SortOnOrdinate(&empty, 'X').empty());
}

namespace {

// Four patches at x = 0 ordered by y: P1 (0, 10), P2 (5, 20), P3 (10, 30), P4 (20, 40).
std::unique_ptr<TPatches> FourPatches() {
  return MakePatches({{"P1", 0, 0, {{1, 10}}},
                      {"P2", 0, 5, {{1, 20}}},
                      {"P3", 0, 10, {{1, 30}}},
                      {"P4", 0, 20, {{1, 40}}}});
}

std::vector<std::vector<double>> Members(TPatches* edge) {
  std::vector<std::vector<double>> members;
  for (const std::string& name : edge->GetNames()) {
    TPatch* member = edge->GetPatch(name);
    EXPECT_EQ(member->GetYearList().size(), 1u);
    members.push_back({member->GetY(), member->GetYear(1)});
  }
  return members;
}

}  // namespace

TEST(GetSubpopulation, GathersFromEitherEndAndCutsTheBoundaryPatch) {
  struct Case {
    double threshold;
    bool direction;
    std::vector<std::vector<double>> members;  // (y, contribution) in name order
    double weightedY, plainY;
  } cases[] = {
      {0.25, true, {{0, 10}, {5, 15}}, 3, 2.5},
      {0.25, false, {{20, 25}}, 20, 20},
      {0.3, true, {{0, 10}, {5, 20}}, 100.0 / 30, 2.5},
      // The list runs out first: every patch with its whole population.
      {5, true, {{0, 10}, {5, 20}, {10, 30}, {20, 40}}, 1200.0 / 100, 8.75},
      {5, false, {{0, 10}, {5, 20}, {10, 30}, {20, 40}}, 1200.0 / 100, 8.75},
  };
  auto patches = FourPatches();
  std::vector<std::string> ordered = SortOnOrdinate(patches.get(), 'Y');
  for (const Case& c : cases) {
    std::unique_ptr<TPatches> edge(
        GetSubpopulation(patches.get(), ordered, c.threshold, 1, c.direction));
    EXPECT_EQ(Members(edge.get()), c.members) << c.threshold << " " << c.direction;
    std::unique_ptr<TCentroids> weighted(
        GetSubpopulationWeightedMeans(patches.get(), c.threshold, 'Y', c.direction));
    std::unique_ptr<TCentroids> plain(
        GetSubpopulationMeans(patches.get(), c.threshold, 'Y', c.direction));
    EXPECT_EQ(Rows(weighted.get()), (std::vector<std::vector<double>>{{1, 0, c.weightedY}}));
    EXPECT_EQ(Rows(plain.get()), (std::vector<std::vector<double>>{{1, 0, c.plainY}}));
  }
  EXPECT_EQ(patches->GetPatch("P2")->GetYear(1), 20);
}

TEST(GetSubpopulation, TieAtTheBoundaryFollowsTheSortOrder) {
  auto patches =
      MakePatches({{"A", 0, 2, {{1, 10}}}, {"B", 9, 2, {{1, 10}}}, {"C", 0, 1, {{1, 10}}}});
  std::unique_ptr<TCentroids> north(GetSubpopulationWeightedMeans(patches.get(), 0.5, 'Y', true));
  std::unique_ptr<TPoint> centre(north->GetCoords(1));
  // C is taken whole and B cut to 5; sums run in name order (B, C).
  EXPECT_EQ(centre->X(), (9 * 5.0 + 0 * 10.0) / 15);
  EXPECT_EQ(centre->Y(), (2 * 5.0 + 1 * 10.0) / 15);
  EXPECT_DOUBLE_EQ(centre->X(), 3);
  EXPECT_DOUBLE_EQ(centre->Y(), 4.0 / 3);
}

TEST(GetSubpopulation, MissingYearsZerosAndEmptyTargets) {
  // C lacks year 1 although it is first in the order; B holds 0 and stays a member.
  auto patches = MakePatches({{"A", 4, 3, {{1, 10}, {2, 0}}},
                              {"B", 0, 2, {{1, 0}, {2, 0}}},
                              {"C", 9, 1, {{2, 0}, {3, 7}}}});
  std::vector<std::string> ordered = SortOnOrdinate(patches.get(), 'Y');
  std::unique_ptr<TPatches> edge(GetSubpopulation(patches.get(), ordered, 0.5, 1, true));
  EXPECT_EQ(edge->GetNames(), (std::vector<std::string>{"A", "B"}));
  EXPECT_EQ(edge->GetPatch("B")->GetYear(1), 0);

  std::unique_ptr<TCentroids> north(GetSubpopulationWeightedMeans(patches.get(), 0.5, 'Y', true));
  std::unique_ptr<TCentroids> plain(GetSubpopulationMeans(patches.get(), 0.5, 'Y', true));
  std::unique_ptr<TPoint> year1(north->GetCoords(1)), plain1(plain->GetCoords(1));
  EXPECT_EQ(year1->X(), 4);
  EXPECT_EQ(plain1->X(), 4);
  std::unique_ptr<TPoint> year2(north->GetCoords(2)), year3(north->GetCoords(3));
  EXPECT_TRUE(IsNaNPoint(year2.get()));  // total population 0
  EXPECT_EQ(year3->X(), 9);              // a single occupied patch is both edges' centre

  for (double threshold : {0.0, -1.0}) {
    std::unique_ptr<TCentroids> none(
        GetSubpopulationWeightedMeans(patches.get(), threshold, 'Y', false));
    for (long year : {1, 2, 3}) {
      std::unique_ptr<TPoint> point(none->GetCoords(year));
      EXPECT_TRUE(IsNaNPoint(point.get()));
    }
  }
}

TEST(GetSubpopulation, UnknownNameInTheListFails) {
  auto patches = FourPatches();
  try {
    delete GetSubpopulation(patches.get(), {"P1", "nobody"}, 1, 1, true);
    FAIL() << "no exception";
  } catch (const char* message) {
    EXPECT_STREQ(message, "Patch does not exist");
  }
}
