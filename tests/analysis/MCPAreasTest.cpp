#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "AnalysisFixtures.hpp"
#include "analysis/TCentroidTools.hpp"

namespace {

// A 10 by 10 square with a patch at its centre and one far outside it. Year 1: all of
// the square occupied; year 2: the centre empty; year 3: the far patch has a negative
// population; year 4: one corner only; year 5: two corners only; year 7: no patch.
std::unique_ptr<TPatches> MakeSquare() {
  return MakePatches({
      {"SW", 0, 0, {{1, 5}, {2, 5}, {3, 5}, {4, 5}, {5, 5}}},
      {"SE", 10, 0, {{1, 5}, {2, 5}, {3, 5}, {4, 0}, {5, 5}}},
      {"NE", 10, 10, {{1, 5}, {2, 5}, {3, 5}, {4, 0}, {5, 0}}},
      {"NW", 0, 10, {{1, 5}, {2, 5}, {3, 5}, {4, 0}, {5, 0}}},
      {"Centre", 5, 5, {{1, 2}, {2, 0}, {3, 2}}},
      {"Far", 50, 50, {{1, 0}, {2, 0}, {3, -4}}},
  });
}

TEST(MCPAreas, AreaOfOneYear) {
  auto patches = MakeSquare();
  struct Case {
    long year;
    double area;
  };
  for (Case c : {Case{1, 100}, Case{2, 100}, Case{3, 100}, Case{4, 0}, Case{5, 0}, Case{7, 0}}) {
    double area = TCentroidTools::GetMCPArea(patches.get(), c.year);
    EXPECT_NEAR(area, c.area, 1e-12 * c.area) << "year " << c.year;
  }
}

TEST(MCPAreas, OneAreaPerYearOfTheYearList) {
  // Nothing is occupied in year 3: B holds it with population 0, the others not at all.
  auto patches = MakePatches({
      {"A", 0, 0, {{1, 1}, {2, 1}, {4, 1}, {5, 1}}},
      {"B", 6, 0, {{1, 1}, {2, 1}, {3, 0}, {4, 1}, {5, 1}}},
      {"C", 0, 6, {{1, 1}, {2, 0}, {5, 1}}},
      {"D", 6, 6, {{1, 1}, {2, 1}, {5, 1}}},
  });
  std::vector<double> areas = TCentroidTools::GetMCPAreas(patches.get());
  std::vector<double> expected = {36, 18, 0, 0, 36};
  ASSERT_EQ(areas.size(), expected.size());
  for (std::size_t i = 0; i < areas.size(); ++i)
    EXPECT_NEAR(areas[i], expected[i], 1e-12 * expected[i]) << "year " << i + 1;
}

TEST(MCPAreas, CollinearPatchesHaveNoArea) {
  // On a slanted line the fan of flat triangles rounds to a tiny positive value; the
  // area of a segment is exactly 0.
  auto patches = MakePatches(
      {{"A", 0, 0, {{1, 1}}}, {"B", 1, 3, {{1, 1}}}, {"C", 3, 9, {{1, 1}}}, {"D", 2, 6, {{1, 1}}}});
  EXPECT_EQ(TCentroidTools::GetMCPArea(patches.get(), 1), 0.0);
  patches->GetPatch("D")->SetYear(1, 0);
  EXPECT_EQ(TCentroidTools::GetMCPArea(patches.get(), 1), 0.0);
  EXPECT_GT(
      TCentroidTools::GetMCPArea(
          MakePatches({{"A", 0, 0, {{1, 1}}}, {"B", 1, 3, {{1, 1}}}, {"C", 0.1, 0.7, {{1, 1}}}})
              .get(),
          1),
      0.0);
}

TEST(MCPAreas, EmptyCollectionHasNoAreas) {
  TPatches patches;
  EXPECT_TRUE(TCentroidTools::GetMCPAreas(&patches).empty());
}

}  // namespace
