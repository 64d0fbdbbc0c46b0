#include "driver/NumberFormat.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

TEST(FormatNumber, GeneralNotationWithSixDigits) {
  struct Case {
    double value;
    const char* text;
  } cases[] = {
      {1, "1"},
      {-2.5, "-2.5"},
      {1.0 / 3, "0.333333"},
      {2.0 / 3, "0.666667"},
      {1.5e6, "1.5e+06"},
      {999999.4, "999999"},
      {999999.5, "1e+06"},
      {0.0001, "0.0001"},
      {0.00001, "1e-05"},
      {-0.0, "-0"},
      {100.0 / 30, "3.33333"},
      {1e-300, "1e-300"},
      {std::nan(""), "NaN"},
      {-std::nan(""), "NaN"},
      {std::numeric_limits<double>::infinity(), "inf"},
      {-std::numeric_limits<double>::infinity(), "-inf"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(FormatNumber(c.value), c.text);
  EXPECT_EQ(FormatInteger(-2147483648L), "-2147483648");
}
