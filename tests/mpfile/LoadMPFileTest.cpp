// Loading a named file reads it in large blocks and cuts lines out of them; loading a
// stream reads it line by line. These tests require both to give the same collection,
// or the same error, on random and on large inputs.
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string>

#include "MPGenerator.hpp"
#include "model/TundrelError.hpp"
#include "mpfile/TMPParser.hpp"

namespace {

std::string Describe(TPatches* patches) {
  std::ostringstream text;
  text << "resolution " << std::bit_cast<std::uint64_t>(patches->GetResolution()) << '\n';
  for (const auto& [name, patch] : patches->GetPatchMap()) {
    text << '[' << name << "] " << std::bit_cast<std::uint64_t>(patch->GetX()) << ' '
         << std::bit_cast<std::uint64_t>(patch->GetY()) << ' ' << patch->GetMinYear() << ' '
         << patch->GetMaxYear() << ':';
    for (const auto& [year, population] : patch->GetPopulations())
      text << ' ' << year << '=' << std::bit_cast<std::uint64_t>(population);
    text << '\n';
  }
  return text.str();
}

template <typename Load>
std::string Outcome(Load load) {
  try {
    std::unique_ptr<TPatches> patches(load());
    return Describe(patches.get());
  } catch (const char* message) {
    return std::string("error: ") + message;
  } catch (const TundrelError& error) {
    return std::string("error: ") + error.what();
  }
}

class LoadMPFile : public ::testing::Test {
 protected:
  void SetUp() override {
    path = std::filesystem::temp_directory_path() /
           ("tundrel_load_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
            "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".mp");
  }
  void TearDown() override { std::filesystem::remove(path); }

  // The file form and the stream form on the same bytes.
  void ExpectSameOutcome(const std::string& text, const std::string& what) {
    {
      std::ofstream out(path, std::ios::binary);
      out << text;
    }
    std::string fromFile = Outcome([&] { return TMPParser::LoadMP(path.string(), 1990); });
    std::string fromStream = Outcome([&] {
      std::istringstream in(text);
      return TMPParser::LoadMP(in, 1990);
    });
    ASSERT_EQ(fromFile, fromStream) << what;
  }

  std::filesystem::path path;
};

// An MP file with random line ends (LF, CR LF, a lone CR before LF, none at the very
// end), short and blank value lines, NUL bytes, and now and then cut off anywhere.
std::string RandomText(std::mt19937_64& random) {
  auto below = [&](int bound) { return static_cast<int>(random() % bound); };
  auto end = [&]() -> std::string {
    switch (below(6)) {
      case 0:
        return "\r\n";
      case 1:
        return "\r\r\n";
      default:
        return "\n";
    }
  };
  std::string text =
      "title" + end() + "cell length 0." + std::to_string(below(100)) + " km" + end();
  int patches = below(5);
  for (int p = 1; p <= patches; ++p)
    text += "Pop " + std::to_string(p) + "," + std::to_string(below(50)) + ".5," +
            std::to_string(below(50)) + ",7" + end();
  text += "Migration" + end() + "0.1,0.2" + end() + "Pop. ALL" + end();
  int years = below(4);
  for (int y = 0; y < years; ++y)
    text += std::to_string(below(1000)) + " 0" + end();
  for (int p = 1; p <= patches; ++p) {
    text += "Pop. " + std::to_string(p) + end();
    for (int y = 0; y < years + below(2); ++y) {
      switch (below(8)) {
        case 0:
          text += end();  // too short to count
          break;
        case 1:
          text += "   " + end();
          break;
        case 2:
          text += std::string(
                      "1\0"
                      "2 3",
                      5) +
                  end();
          break;
        default:
          text += " " + std::to_string(below(500)) + "." + std::to_string(below(10)) + " 4" + end();
      }
    }
  }
  if (below(3) == 0 && !text.empty())
    text.resize(random() % text.size());
  else if (below(3) == 0 && !text.empty() && text.back() == '\n')
    text.pop_back();
  return text;
}

}  // namespace

TEST_F(LoadMPFile, RandomSmallFilesLoadAsTheirStreams) {
  std::mt19937_64 random(3);
  for (int round = 0; round < 200; ++round) {
    std::string text = RandomText(random);
    ExpectSameOutcome(text, "round " + std::to_string(round));
  }
  ExpectSameOutcome("", "empty");
  ExpectSameOutcome("\r", "a lone carriage return");
}

TEST_F(LoadMPFile, LargeFilesAcrossBlockBoundaries) {
  MPGenerator::Options options;
  options.patches = 700;
  options.years = 150;  // about 2 MB: lines straddle the reader's blocks
  for (bool crlf : {false, true}) {
    options.crlf = crlf;
    std::string text = MPGenerator::MakeText(options);
    ExpectSameOutcome(text, crlf ? "CR LF" : "LF");
    text.pop_back();
    ExpectSameOutcome(text, crlf ? "CR LF, last line end cut" : "LF, last line end cut");
  }
  // A header line longer than a block.
  options.crlf = false;
  std::string text = MPGenerator::MakeText(options);
  text.insert(0, std::string(3 << 20, 'x') + "\n");
  ExpectSameOutcome(text, "a line of 3 MB");
}
