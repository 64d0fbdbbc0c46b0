#include "MPGenerator.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <set>
#include <sstream>
#include <string>

#include "model/TPatches.hpp"
#include "mpfile/TMPParser.hpp"

namespace {

std::unique_ptr<TPatches> Load(const std::string& text) {
  std::istringstream in(text);
  return std::unique_ptr<TPatches>(TMPParser::LoadMP(in, 1990));
}

MPGenerator::Options SmallOptions() {
  MPGenerator::Options options;
  options.patches = 60;
  options.years = 40;
  options.seed = 7;
  options.tieShare = 0.2;
  options.resolution = 0.25;
  return options;
}

}  // namespace

TEST(MPGenerator, FileLoadsWithEveryPatchAndYear) {
  MPGenerator::Options options = SmallOptions();
  std::unique_ptr<TPatches> patches = Load(MPGenerator::MakeText(options));
  ASSERT_EQ(patches->GetNumPatches(), 60);
  EXPECT_EQ(patches->GetResolution(), 0.25);
  std::set<double> ys;
  bool zero = false;
  bool occupied = false;
  for (const auto& [name, patch] : patches->GetPatchMap()) {
    EXPECT_EQ(patch->GetMinYear(), 1990) << name;
    EXPECT_EQ(patch->GetMaxYear(), 2029) << name;
    ys.insert(patch->GetY());
    for (long year = 1990; year < 2030; ++year) {
      double population = patch->GetYear(year);
      EXPECT_EQ(population, std::floor(population));
      (population == 0 ? zero : occupied) = true;
    }
  }
  EXPECT_TRUE(zero);
  EXPECT_TRUE(occupied);
  // Ties on the drift axis: fewer distinct coordinates than patches.
  EXPECT_LT(ys.size(), 60u);
}

TEST(MPGenerator, SameSeedSameBytesAndLineEndsDoNotChangeValues) {
  MPGenerator::Options options = SmallOptions();
  std::string text = MPGenerator::MakeText(options);
  EXPECT_EQ(MPGenerator::MakeText(options), text);
  options.seed = 8;
  EXPECT_NE(MPGenerator::MakeText(options), text);

  options.seed = 7;
  options.crlf = true;
  options.extraColumns = 1;
  std::unique_ptr<TPatches> plain = Load(text);
  std::unique_ptr<TPatches> crlf = Load(MPGenerator::MakeText(options));
  for (const auto& [name, patch] : plain->GetPatchMap()) {
    TPatch* other = crlf->GetPatch(name);
    EXPECT_EQ(other->GetX(), patch->GetX());
    for (long year = 1990; year < 2030; ++year)
      EXPECT_EQ(other->GetYear(year), patch->GetYear(year)) << name << " " << year;
  }
}
