#include "model/TCentroids.hpp"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

TEST(TCentroids, NewSeriesIsEmpty) {
  TCentroids series("");
  EXPECT_TRUE(series.GetYearList().empty());
  EXPECT_FALSE(series.YearExists(0));
  try {
    series.GetCoords(0);
    FAIL() << "no exception";
  } catch (const char* message) {
    EXPECT_STREQ(message, "Year does not exist.");
  }
}

TEST(TCentroids, YearsAscendAndReplaceKeepsOne) {
  TCentroids series("s");
  series.SetCoords(2002, new TPoint(2, 2));
  series.SetCoords(2000, new TPoint(0, 0));
  series.SetCoords(2001, new TPoint(1, 1));
  series.SetCoords(2001, new TPoint(5, 6));
  series.SetCoords(-3, new TPoint(7, 7));
  EXPECT_EQ(series.GetYearList(), (std::vector<long>{-3, 2000, 2001, 2002}));
  EXPECT_TRUE(series.YearExists(-3));
  std::unique_ptr<TPoint> p(series.GetCoords(2001));
  EXPECT_EQ(p->X(), 5);
  EXPECT_EQ(p->Y(), 6);
}

TEST(TCentroids, GetCoordsHandsOutIndependentCopies) {
  TCentroids series("");
  series.SetCoords(1, new TPoint(1, 2));
  std::unique_ptr<TPoint> first(series.GetCoords(1));
  std::unique_ptr<TPoint> second(series.GetCoords(1));
  EXPECT_NE(first.get(), second.get());
  first->X() = 100;
  std::unique_ptr<TPoint> third(series.GetCoords(1));
  EXPECT_EQ(second->X(), 1);
  EXPECT_EQ(third->X(), 1);
}
