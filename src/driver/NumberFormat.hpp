#pragma once

#include <string>

// Numbers as the report writes them, the same in every locale: general notation with
// 6 significant digits ("0.333333", "1.5e+06", "1e-05", "-0"), "NaN" without a sign
// for not-a-number, "inf" and "-inf" for infinities.
std::string FormatNumber(double value);
std::string FormatInteger(long value);
