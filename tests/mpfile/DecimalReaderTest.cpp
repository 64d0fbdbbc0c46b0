#include "mpfile/DecimalReader.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>

namespace {

// The reference: atof of the word as a C string.
std::uint64_t AtofBits(const std::string& word) {
  return std::bit_cast<std::uint64_t>(std::strtod(word.c_str(), nullptr));
}

std::uint64_t ReadBits(const std::string& word) {
  return std::bit_cast<std::uint64_t>(TMPParser::ReadDecimal(word));
}

// Number-like words: mostly plain decimals of every length, with now and then a sign,
// an exponent, a hexadecimal prefix, a NUL byte, blanks or trailing text.
std::string RandomWord(std::mt19937_64& random) {
  auto chance = [&](int percent) { return static_cast<int>(random() % 100) < percent; };
  auto digits = [&](int count) {
    std::string text;
    for (int i = 0; i < count; ++i)
      text += static_cast<char>('0' + random() % 10);
    return text;
  };
  static const char* const kOddities[] = {
      "inf", "-Infinity", "nan", "NAN(12)", "0x1p3", "0X1A", "-0x.8", "1e999", "1e-400",
      " 7",  "\t-3",      "e5",  ".",       "-",     "+",    "+-1",   "--1",   ""};
  if (chance(10))
    return kOddities[random() % std::size(kOddities)];
  std::string word;
  if (chance(30))
    word += chance(70) ? '-' : '+';
  int length = static_cast<int>(random() % (chance(10) ? 30 : 8));
  word += digits(length);
  if (chance(50))
    word += '.' + digits(static_cast<int>(random() % (chance(10) ? 25 : 6)));
  if (chance(10))
    word += (chance(50) ? "e" : "E") + std::string(chance(30) ? "-" : "") +
            digits(static_cast<int>(random() % 4));
  if (chance(5))
    word.insert(random() % (word.size() + 1), 1, '\0');
  if (chance(5))
    word += chance(50) ? "x" : "\r";
  return word;
}

}  // namespace

TEST(ReadDecimal, SameBitsAsAtofOnChosenWords) {
  const char* const words[] = {"0",
                               "-0",
                               "+0",
                               "0.0",
                               "-0.0",
                               "802",
                               "1.",
                               ".5",
                               "-.5",
                               "+.5",
                               "0.1",
                               "0.3",
                               "1e3",
                               "1E-3",
                               "1e999",
                               "-1e999",
                               "1e-400",
                               "0x10",
                               "0x1p3",
                               "inf",
                               "-inf",
                               "nan",
                               "+nan",
                               "Infinity",
                               " 12",
                               "\t12",
                               "12abc",
                               "1.5.5",
                               "1,5",
                               "9007199254740992",
                               "9007199254740993",
                               "9999999999999999999",
                               "12345678901234567890",
                               "0.1234567890123456789",
                               "123456789012345678901234567890",
                               "1.7976931348623157e308",
                               "4.9e-324",
                               "2.2250738585072014e-308"};
  for (const char* word : words)
    EXPECT_EQ(ReadBits(word), AtofBits(word)) << '"' << word << '"';
  // A NUL byte ends the number as it ends a C string.
  std::string withNul(
      "12\0"
      "5",
      4);
  EXPECT_EQ(ReadBits(withNul), AtofBits(withNul));
  EXPECT_EQ(TMPParser::ReadDecimal(withNul), 12.0);
}

TEST(ReadDecimal, SameBitsAsAtofOnRandomWords) {
  std::mt19937_64 random(20240611);
  for (int i = 0; i < 20000; ++i) {
    std::string word = RandomWord(random);
    ASSERT_EQ(ReadBits(word), AtofBits(word)) << '"' << word << '"';
  }
}
