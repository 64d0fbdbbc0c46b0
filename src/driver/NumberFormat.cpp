#include "driver/NumberFormat.hpp"

#include <charconv>
#include <cmath>

std::string FormatNumber(double value) {
  if (std::isnan(value))
    return "NaN";
  if (std::isinf(value))
    return value < 0 ? "-inf" : "inf";
  char buffer[32];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 6);
  return std::string(buffer, result.ptr);
}

std::string FormatInteger(long value) {
  return std::to_string(value);
}
