#include "model/TPoint.hpp"

#include <gtest/gtest.h>

#include <memory>

TEST(TPoint, DiffIsThisMinusOther) {
  TPoint a(3, 4), b(1, 1);
  std::unique_ptr<TPoint> d(a.Diff(&b));
  EXPECT_EQ(d->X(), 2);
  EXPECT_EQ(d->Y(), 3);
}

TEST(TPoint, DistanceAndCloneAreIndependent) {
  TPoint origin(0, 0), p(3, 4);
  EXPECT_EQ(origin.Distance(&p), 5);
  std::unique_ptr<TPoint> copy(p.Clone());
  copy->X() = 9;
  EXPECT_EQ(p.X(), 3);
  EXPECT_EQ(copy->Y(), 4);
}
