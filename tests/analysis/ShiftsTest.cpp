#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "AnalysisFixtures.hpp"
#include "analysis/TCentroidTools.hpp"
#include "model/TundrelError.hpp"

using namespace TCentroidTools;
using RowList = std::vector<std::vector<double>>;

namespace {

template <typename Call>
std::string ErrorOf(Call call) {
  try {
    delete call();
  } catch (const char* message) {
    return message;
  } catch (const TundrelError& error) {
    return error.what();
  }
  return "(no error)";
}

}  // namespace

TEST(GetRangeCoordShifts, ReferenceMinusPointFromTheStartPosition) {
  auto series = TenYears(10);
  std::unique_ptr<TCentroids> fromFirst(GetRangeCoordShifts(series.get(), 0));
  RowList rows = Rows(fromFirst.get());
  ASSERT_EQ(rows.size(), 10u);
  EXPECT_EQ(rows[0], (std::vector<double>{1, 0, 0}));
  EXPECT_EQ(rows[9], (std::vector<double>{10, -9, -90}));

  std::unique_ptr<TCentroids> afterBurnIn(GetRangeCoordShifts(series.get(), 3));
  rows = Rows(afterBurnIn.get());
  ASSERT_EQ(rows.size(), 7u);
  EXPECT_EQ(rows[0], (std::vector<double>{4, 0, 0}));
  EXPECT_EQ(rows[1], (std::vector<double>{5, -1, -10}));

  std::unique_ptr<TCentroids> last(GetRangeCoordShifts(series.get(), 9));
  EXPECT_EQ(Rows(last.get()), (RowList{{10, 0, 0}}));

  auto moved = MakeSeries({{1, {100, 500}}, {2, {100, 520}}});
  std::unique_ptr<TCentroids> shift(GetRangeCoordShifts(moved.get(), 0));
  EXPECT_EQ(Rows(shift.get())[1], (std::vector<double>{2, 0, -20}));
}

TEST(Shifts, StartPositionsOutsideTheListFail) {
  auto series = TenYears(10);
  TCentroids empty("");
  EXPECT_EQ(ErrorOf([&] { return GetRangeCoordShifts(series.get(), 10); }),
            "Start position 10 is outside the 10 years of the series");
  EXPECT_EQ(ErrorOf([&] { return GetRangeCoordShifts(series.get(), -1); }),
            "Start position -1 is outside the 10 years of the series");
  EXPECT_EQ(ErrorOf([&] { return GetRangeCoordShifts(&empty, 0); }),
            "Start position 0 is outside the 0 years of the series");
  EXPECT_EQ(ErrorOf([&] { return GetDiffInitial(series.get(), &empty, 0); }),
            "Start position 0 is outside the 0 years of the series");
  EXPECT_EQ(ErrorOf([&] { return GetPropInitialRangeCoordShifts(series.get(), series.get(), 11); }),
            "Start position 11 is outside the 10 years of the series");
  EXPECT_EQ(ErrorOf([&] { return GetYearlyRangeCoordShifts(&empty); }), "The series holds no year");
  EXPECT_EQ(ErrorOf([&] { return GetPropYearlyRangeCoordShifts(&empty, &empty); }),
            "The series holds no year");
}

TEST(GetDiffs, DifferenceOfTwoSeriesAndMissingYears) {
  auto a = MakeSeries({{1, {5, 5}}, {2, {7, 1}}});
  auto b = MakeSeries({{1, {1, 2}}, {2, {3, 4}}, {3, {0, 0}}});
  std::unique_ptr<TCentroids> diffs(GetDiffs(a.get(), b.get()));
  EXPECT_EQ(Rows(diffs.get()), (RowList{{1, 4, 3}, {2, 4, -3}}));
  EXPECT_EQ(ErrorOf([&] { return GetDiffs(b.get(), a.get()); }), "Year does not exist.");
}

TEST(GetDiffInitial, ReferenceIsTheYearBeforeTheStart) {
  auto a = MakeSeries({{1, {10, 10}}, {2, {20, 20}}, {3, {30, 30}}});
  auto b = MakeSeries({{1, {1, 1}}, {2, {2, 2}}, {3, {3, 3}}});
  std::unique_ptr<TCentroids> k0(GetDiffInitial(a.get(), b.get(), 0));
  std::unique_ptr<TCentroids> k1(GetDiffInitial(a.get(), b.get(), 1));
  std::unique_ptr<TCentroids> k2(GetDiffInitial(a.get(), b.get(), 2));
  EXPECT_EQ(Rows(k0.get()), (RowList{{1, 9, 9}, {2, 8, 8}, {3, 7, 7}}));
  EXPECT_EQ(Rows(k1.get()), (RowList{{2, 8, 8}, {3, 7, 7}}));
  EXPECT_EQ(Rows(k2.get()), (RowList{{3, 17, 17}}));
}

TEST(GetYearlyRangeCoordShifts, CurrentMinusTheCalendarYearBefore) {
  auto series = MakeSeries({{1, {0, 0}}, {2, {1, 5}}, {3, {4, 3}}});
  std::unique_ptr<TCentroids> yearly(GetYearlyRangeCoordShifts(series.get()));
  EXPECT_EQ(Rows(yearly.get()), (RowList{{2, 1, 5}, {3, 3, -2}}));
  auto gap = MakeSeries({{1, {0, 0}}, {2, {1, 1}}, {4, {2, 2}}});
  EXPECT_EQ(ErrorOf([&] { return GetYearlyRangeCoordShifts(gap.get()); }), "Year does not exist.");
  auto single = MakeSeries({{7, {1, 1}}});
  std::unique_ptr<TCentroids> none(GetYearlyRangeCoordShifts(single.get()));
  EXPECT_TRUE(none->GetYearList().empty());
}

TEST(PercentageShifts, YearlyKeepsTheSignInitialIsNeverNegative) {
  // Gap A - B is 40 in x and 10 in y; B moves by -2 and +1.
  auto a = MakeSeries({{1, {40, 10}}, {2, {38, 12}}});
  auto b = MakeSeries({{1, {0, 0}}, {2, {-2, 1}}});
  std::unique_ptr<TCentroids> yearly(GetPropYearlyRangeCoordShifts(a.get(), b.get()));
  EXPECT_EQ(Rows(yearly.get()), (RowList{{2, -2.0 / 40 * 100, 1.0 / 11 * 100}}));
  EXPECT_EQ(Rows(yearly.get())[0][1], -5);

  auto ref = MakeSeries({{1, {10, 10}}, {2, {0, 0}}, {3, {0, 0}}});
  auto moving = MakeSeries({{1, {6, 6}}, {2, {5, 12}}, {3, {15, 2}}});
  std::unique_ptr<TCentroids> initial(GetPropInitialRangeCoordShifts(ref.get(), moving.get(), 1));
  // Reference (10, 10); distances (5, -2) at year 2 and (-5, 8) at year 3; base (5, 2).
  EXPECT_EQ(Rows(initial.get()), (RowList{{2, 0, 0}, {3, 0, 6.0 / 2 * 100}}));
  std::unique_ptr<TCentroids> zeroBase(GetPropInitialRangeCoordShifts(b.get(), b.get(), 0));
  std::unique_ptr<TPoint> first(zeroBase->GetCoords(1)), second(zeroBase->GetCoords(2));
  EXPECT_TRUE(IsNaNPoint(first.get()));
  EXPECT_TRUE(std::isinf(second->X()));
}
