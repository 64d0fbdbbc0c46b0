#pragma once

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace TMPParser {

// atof of a word, as if the word were a C string (so it ends at a NUL byte): the same
// double that std::strtod gives, bit for bit. A word that is a plain decimal number
// (optional sign, digits, optional fraction, nothing else) with at most 19 digits whose
// value without the point is at most 2^53 is converted here: that integer and the power
// of ten are both exact doubles, so one correctly rounded division gives the correctly
// rounded result. Every other word (blanks in front, exponents, hexadecimal, inf, nan,
// long digit strings, trailing text) goes to strtod.
inline double ReadDecimal(std::string_view word) {
  static constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                            1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                            1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  const char* at = word.data();
  const char* end = at + word.size();
  bool negative = false;
  if (at != end && (*at == '-' || *at == '+')) {
    negative = *at == '-';
    ++at;
  }
  auto isDigit = [](char c) { return static_cast<unsigned char>(c - '0') < 10; };
  // Wraps around past 19 digits, but such words are handed to strtod below.
  std::uint64_t mantissa = 0;
  int digits = 0;
  int fractionDigits = 0;
  for (; at != end && isDigit(*at); ++at, ++digits)
    mantissa = mantissa * 10 + static_cast<std::uint64_t>(*at - '0');
  if (at != end && *at == '.') {
    for (++at; at != end && isDigit(*at); ++at, ++digits, ++fractionDigits)
      mantissa = mantissa * 10 + static_cast<std::uint64_t>(*at - '0');
  }
  if (at == end && digits > 0 && digits <= 19 && mantissa <= (std::uint64_t{1} << 53)) {
    double value = static_cast<double>(mantissa);
    if (fractionDigits > 0)
      value /= kPowersOfTen[fractionDigits];
    return negative ? -value : value;
  }
  return std::strtod(std::string(word).c_str(), nullptr);
}

}  // namespace TMPParser
