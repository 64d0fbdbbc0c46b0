#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "AnalysisFixtures.hpp"
#include "analysis/TCentroidTools.hpp"
#include "model/TundrelError.hpp"

using namespace TCentroidTools;
using RowList = std::vector<std::vector<double>>;

namespace {

std::unique_ptr<TCentroids> XSeries(std::vector<double> xs, std::vector<double> ys = {}) {
  auto series = std::make_unique<TCentroids>("");
  for (std::size_t i = 0; i < xs.size(); ++i)
    series->SetCoords(static_cast<long>(i) + 1, new TPoint(xs[i], ys.empty() ? 0 : ys[i]));
  return series;
}

}  // namespace

TEST(MovingAverage, WindowsAndTheYearsTheyAreWrittenUnder) {
  struct Case {
    long window;
    long firstYear, lastYear;
    double firstValue;  // x of the first entry
  } cases[] = {
      {3, 2, 9, (1 + 2 + 3) / 3.0},
      {4, 2, 8, (1 + 2 + 3 + 4) / 4.0},
      {5, 3, 8, 3},
      {10, 5, 5, 5.5},
      {1, 1, 10, 1},
  };
  auto series = TenYears(-1);
  for (const Case& c : cases) {
    std::unique_ptr<TCentroids> smoothed(MovingAverage(series.get(), c.window));
    std::vector<long> years = smoothed->GetYearList();
    ASSERT_EQ(years.size(), static_cast<std::size_t>(10 - c.window + 1)) << c.window;
    EXPECT_EQ(years.front(), c.firstYear);
    EXPECT_EQ(years.back(), c.lastYear);
    std::unique_ptr<TPoint> first(smoothed->GetCoords(c.firstYear));
    EXPECT_EQ(first->X(), c.firstValue);
    EXPECT_EQ(first->Y(), -c.firstValue);
    EXPECT_EQ(smoothed->GetName(), "");
  }
  std::unique_ptr<TCentroids> tooLong(MovingAverage(series.get(), 11));
  EXPECT_TRUE(tooLong->GetYearList().empty());
}

TEST(MovingAverage, WindowsCountPositionsNotCalendarYears) {
  auto series = MakeSeries({{1, {2, 0}}, {5, {4, 0}}, {9, {10, 0}}});
  std::unique_ptr<TCentroids> smoothed(MovingAverage(series.get(), 2));
  EXPECT_EQ(Rows(smoothed.get()), (RowList{{1, 3, 0}, {5, 7, 0}}));
}

TEST(MedianSmoothing, MediansOfXAndYSeparately) {
  struct Case {
    std::vector<double> xs, ys;
    long window;
    RowList rows;
  } cases[] = {
      {{5, 1, 3}, {}, 3, {{2, 3, 0}}},
      {{4, 1, 3, 2}, {}, 4, {{2, 3, 0}}},
      {{7, 9}, {}, 2, {{1, 9, 0}}},
      {{1, 2, 3}, {30, 10, 20}, 3, {{2, 2, 20}}},
      {{5, 1, 3}, {}, 1, {{1, 5, 0}, {2, 1, 0}, {3, 3, 0}}},
      {{5, 1, 3}, {}, 4, {}},
  };
  for (const Case& c : cases) {
    auto series = XSeries(c.xs, c.ys);
    std::unique_ptr<TCentroids> smoothed(MedianSmoothing(series.get(), c.window));
    EXPECT_EQ(Rows(smoothed.get()), c.rows) << c.window;
  }
}

TEST(MedianSmoothing, NaNSortsAfterEveryNumber) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  auto series = XSeries({1, nan, 3, nan, nan}, {nan, 2, 1, 0, -1});
  std::unique_ptr<TCentroids> smoothed(MedianSmoothing(series.get(), 3));
  RowList rows = Rows(smoothed.get());
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0][1], 3);             // 1, 3, NaN
  EXPECT_EQ(rows[0][2], 2);             // 1, 2, NaN
  EXPECT_TRUE(std::isnan(rows[1][1]));  // 3, NaN, NaN
  EXPECT_EQ(rows[2][2], 0);
}

TEST(ExponentialSmoothing, SeriesAndListForms) {
  auto series = XSeries({0, 10, 10}, {4, 4, 0});
  std::unique_ptr<TCentroids> smoothed(ExponentialSmoothing(series.get(), 0.5));
  EXPECT_EQ(Rows(smoothed.get()), (RowList{{1, 0, 4}, {2, 5, 4}, {3, 7.5, 2}}));
  std::unique_ptr<TCentroids> same(ExponentialSmoothing(series.get(), 1));
  EXPECT_EQ(Rows(same.get()), Rows(series.get()));
  std::unique_ptr<TCentroids> flat(ExponentialSmoothing(series.get(), 0));
  EXPECT_EQ(Rows(flat.get()), (RowList{{1, 0, 4}, {2, 0, 4}, {3, 0, 4}}));

  EXPECT_EQ(ExponentialSmoothing(std::vector<double>{0, 10, 10}, 0.5),
            (std::vector<double>{0, 5, 7.5}));
  EXPECT_TRUE(ExponentialSmoothing(std::vector<double>{}, 0.5).empty());
  TCentroids empty("");
  std::unique_ptr<TCentroids> none(ExponentialSmoothing(&empty, 0.5));
  EXPECT_TRUE(none->GetYearList().empty());
}

TEST(MovingAverageSmoothing, ListWindows) {
  std::vector<double> values{1, 2, 3, 4, 5};
  EXPECT_EQ(MovingAverageSmoothing(values, 2), (std::vector<double>{1.5, 2.5, 3.5, 4.5}));
  EXPECT_EQ(MovingAverageSmoothing(values, 3), (std::vector<double>{2, 3, 4}));
  EXPECT_EQ(MovingAverageSmoothing(values, 5), (std::vector<double>{3}));
  EXPECT_TRUE(MovingAverageSmoothing(values, 6).empty());
}

TEST(Smoothing, WindowsBelowOneAreRefused) {
  auto series = TenYears(-1);
  auto message = [](auto call) {
    try {
      call();
    } catch (const TundrelError& error) {
      return std::string(error.what());
    }
    return std::string("(no error)");
  };
  EXPECT_EQ(message([&] { delete MovingAverage(series.get(), 0); }),
            "Smoothing window must be at least 1, not 0");
  EXPECT_EQ(message([&] { delete MedianSmoothing(series.get(), -3); }),
            "Smoothing window must be at least 1, not -3");
  EXPECT_EQ(message([&] {
              MovingAverageSmoothing({1, 2}, 0);
            }),
            "Smoothing window must be at least 1, not 0");
}
