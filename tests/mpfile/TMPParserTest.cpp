#include "mpfile/TMPParser.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "model/TundrelError.hpp"

namespace {

std::unique_ptr<TPatches> Load(const std::string& text, long startYear = 2000) {
  std::istringstream in(text);
  return std::unique_ptr<TPatches>(TMPParser::LoadMP(in, startYear));
}

// The error message of a load that must fail, whichever way it was thrown.
std::string LoadError(const std::string& text) {
  try {
    Load(text);
  } catch (const char* message) {
    return message;
  } catch (const TundrelError& error) {
    return error.what();
  }
  return "(no error)";
}

const char* const kTwoPatches =
    "model of two patches\n"
    "cell length 0.25 km\n"
    "Pop 1,10.5,20,1000\n"
    "Pop 2,12,18,500\n"
    "Migration\n"
    "0.1,0.2\n"
    "Pop. ALL\n"
    "1500\n"
    "1480\n"
    "Pop. 1\n"
    "1000\n"
    "990\n"
    "Pop. 2\n"
    "500\n"
    "490\n";

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  text.replace(text.find(from), from.size(), to);
  return text;
}

}  // namespace

TEST(Tokenize, WordsAreMaximalRunsOfNonDelimiters) {
  struct Case {
    std::string text, delimiters;
    std::vector<std::string> words;
  } cases[] = {
      {"a,b,,c,", ",", {"a", "b", "c"}},
      {",,,", ",", {}},
      {"", ",", {}},
      {"cell length 0.25 km", "km", {"cell length 0.25 "}},
      {"map 2 km, 3", "km", {"ap 2 ", ", 3"}},
      {"Pop. 12", ". ", {"Pop", "12"}},
      {"abc", "", {"abc"}},
  };
  for (const Case& c : cases) {
    std::vector<std::string> words{"kept"};
    TMPParser::Tokenize(c.text, words, c.delimiters);
    ASSERT_EQ(words.front(), "kept");
    words.erase(words.begin());
    EXPECT_EQ(words, c.words) << c.text;
  }
}

TEST(ParsePatchLine, NameAndCoordinates) {
  struct Case {
    std::string line, name;
    double x, y;
  } cases[] = {
      {"Pop 1,10.5,20,1000,,", "Pop 1", 10.5, 20},
      {",Pop 1,10.5,20", "Pop 1", 10.5, 20},
      {" Pop 5 , .5,-3e1", " Pop 5 ", 0.5, -30},
      {"P,abc,7xyz", "P", 0, 7},
      {"Pop 3", "Pop 3", 0, 0},
      {"Pop 3,4", "Pop 3", 4, 0},
      {"", "", 0, 0},
  };
  for (const Case& c : cases) {
    std::unique_ptr<TPatch> patch(TMPParser::ParsePatchLine(c.line));
    EXPECT_EQ(patch->GetName(), c.name) << c.line;
    EXPECT_EQ(patch->GetX(), c.x) << c.line;
    EXPECT_EQ(patch->GetY(), c.y) << c.line;
    EXPECT_TRUE(patch->GetLabel().empty());
    EXPECT_TRUE(patch->GetYearList().empty());
  }
}

TEST(LoadMP, ReadsTheTwoPatchExample) {
  auto patches = Load(kTwoPatches);
  EXPECT_EQ(patches->GetResolution(), 0.25);
  ASSERT_EQ(patches->GetNumPatches(), 2);
  TPatch* first = patches->GetPatch("Pop 1");
  EXPECT_EQ(first->GetX(), 10.5);
  EXPECT_EQ(first->GetY(), 20);
  EXPECT_EQ(first->GetYearList(), (std::vector<long>{2000, 2001}));
  EXPECT_EQ(first->GetYear(2000), 1000);
  EXPECT_EQ(first->GetYear(2001), 990);
  EXPECT_EQ(patches->GetPatch("Pop 2")->GetYear(2001), 490);
}

TEST(LoadMP, LineEndsAndExtraColumns) {
  std::string crlf;
  for (char c : std::string(kTwoPatches))
    crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  std::string lastLineWithoutFeed(kTwoPatches);
  lastLineWithoutFeed.pop_back();
  for (const std::string& text : {crlf, lastLineWithoutFeed}) {
    auto patches = Load(text);
    ASSERT_EQ(patches->GetNumPatches(), 2);
    EXPECT_TRUE(patches->PatchExists("Pop 1"));
    EXPECT_EQ(patches->GetPatch("Pop 2")->GetYear(2001), 490);
  }
  auto columns = Load(Replace(kTwoPatches, "990\n", "  990 12 x 0.5\n"));
  EXPECT_EQ(columns->GetPatch("Pop 1")->GetYear(2001), 990);
}

TEST(LoadMP, ResolutionRules) {
  struct Case {
    std::string header;
    double resolution;
  } cases[] = {
      {"cell length 0.25 km\nother 9 km\n", 0.25},
      {"map 2 km\n", 2},
      {"0.5km\n", 0.5},
      {"kmkm\n", 0},
      {"   km\n", 0},
      {"no unit here\n", 1},
      {"kk m 3.5 km\n", 0},
      {"kkm 3.5 km\n", 3.5},
  };
  std::string withoutUnit = Replace(kTwoPatches, "cell length 0.25 km\n", "");
  for (const Case& c : cases) {
    EXPECT_EQ(Load(c.header + withoutUnit)->GetResolution(), c.resolution) << c.header;
  }
  // A patch named Oakmont is the first line with "km": nothing stands before its k.
  auto oak =
      Load(Replace(Replace(kTwoPatches, "cell length 0.25 km\n", ""), "Pop 2,", "Oakmont Pop,"));
  EXPECT_EQ(oak->GetResolution(), 0);
  EXPECT_TRUE(oak->PatchExists("Oakmont Pop"));
}

TEST(LoadMP, WhichLinesOpenThePatchPart) {
  struct Case {
    std::string lines;
    std::vector<std::string> names;
  } cases[] = {
      // Titles with a keyword but not the shape of a patch line stay in the header.
      {"Population model for the valley, 3 stages, 2 sexes\nPop20 scenario, dispersal 10x\n"
       "Pop 1,18000.000,95000.000,19,...\n",
       {"Pop 1"}},
      {" Pop 5 , .5,-3e1\n", {" Pop 5 "}},
      {"Popular,1,2\n", {"Popular"}},
      {"x.KCH,1.,2e5\n", {"x.KCH"}},
      {"a.DCH, +1 ,\t-2.5E-3\t\n", {"a.DCH"}},
      {"Pop 1,1,2x\n", {}},
      {"Pop 1,1e,2\n", {}},
      {"Pop 1,.,2\n", {}},
      {"Pop 1,1\n", {}},
      // Once open, every line up to Migration is a patch line.
      {"Pop 1,1,2\nplain words\n", {"Pop 1", "plain words"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Load(c.lines + "Migration\n")->GetNames(), c.names) << c.lines;
  }
}

TEST(LoadMP, MigrationOnTheOpeningLineEndsThePatchPart) {
  auto patches = Load("Migration Pop 1,1,2\nPop 2,3,4\nPop. ALL\n1\nPop. 1\n");
  EXPECT_EQ(patches->GetNumPatches(), 0);
}

TEST(LoadMP, YearCountAndValueLines) {
  // A blank line before the first block counts as a year; value lines of fewer than
  // two characters and blank-only ones inside a block use up no year.
  auto patches = Load(
      "Pop 1,0,0\nPop 2,0,0\nMigration\nPop. ALL\n10\n\n30\n"
      "Pop. 2\n70\n \n9\n   \n80 1 1\n 90\n"
      "Pop. 1\n10\n20\n30\n",
      1990);
  TPatch* second = patches->GetPatch("Pop 2");
  EXPECT_EQ(second->GetYearList(), (std::vector<long>{1990, 1991, 1992}));
  EXPECT_EQ(second->GetYear(1990), 70);
  EXPECT_EQ(second->GetYear(1991), 80);
  EXPECT_EQ(second->GetYear(1992), 90);
  EXPECT_EQ(patches->GetPatch("Pop 1")->GetYear(1992), 30);
}

TEST(LoadMP, DuplicateNameKeepsTheLaterPatch) {
  auto patches = Load("Pop 1,1,1\nPop 1,2,2\nMigration\nPop. ALL\n1\nPop. 2\n50\n");
  ASSERT_EQ(patches->GetNumPatches(), 1);
  EXPECT_EQ(patches->GetPatch("Pop 1")->GetX(), 2);
  EXPECT_EQ(patches->GetPatch("Pop 1")->GetYear(2000), 50);
}

TEST(LoadMP, IncompleteFilesReturnWhatWasRead) {
  EXPECT_EQ(Load("")->GetNumPatches(), 0);
  EXPECT_EQ(Load("just words\n")->GetResolution(), 1.0);
  auto noResults = Load("Pop 1,1,2\nMigration\n");
  ASSERT_EQ(noResults->GetNumPatches(), 1);
  EXPECT_TRUE(noResults->GetPatch("Pop 1")->GetYearList().empty());
  // Nothing after the last block is needed.
  EXPECT_EQ(Load(Replace(kTwoPatches, "490\n", "490"))->GetPatch("Pop 2")->GetYear(2001), 490);
}

TEST(LoadMP, Errors) {
  struct Case {
    std::string text, message;
  } cases[] = {
      {Replace(kTwoPatches, "Pop. 2\n", "Pop. 9\n"), "Patch does not exist"},
      {Replace(kTwoPatches, "Pop. 2\n", "Pop.\n"), "Patch does not exist"},
      {Replace(kTwoPatches, "Pop. 2\n", "Pop. 99999999999999999999999\n"), "Patch does not exist"},
      {"Pop 1,0,0\nMigration\nPop. ALL\n1\n2\n",
       "MP file ends before the first patch block of its results"},
      {"Pop 1,0,0\nMigration\nPop. ALL\n1\n2\nPop. 1\n10\n",
       "MP file ends inside the results of patch 1"},
      {"Pop 1,0,0\nPop 2,0,0\nMigration\nPop. ALL\n1\nPop. 1\n10\n",
       "MP file ends after 1 of the 2 patch blocks of its results"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(LoadError(c.text), c.message) << c.text;
}

TEST(LoadMP, HostileBytesDoNotBreakTheReader) {
  using namespace std::string_literals;
  std::string nul = "Pop 1\0x,1,2\nMigration\nPop. ALL\n\0\0\nPop. 1\n\0\0\n5\n"s;
  auto patches = Load(nul);
  ASSERT_EQ(patches->GetNumPatches(), 1);
  EXPECT_EQ(patches->GetNames()[0], "Pop 1\0x"s);
  EXPECT_EQ(patches->GetPatch("Pop 1\0x"s)->GetYear(2000), 0);
  auto huge = Load("Pop 1,1e999,-1e999\nMigration\nPop. ALL\n1\nPop. 1\n1e999\n");
  EXPECT_EQ(huge->GetPatch("Pop 1")->GetYear(2000), HUGE_VAL);
}

TEST(LoadMP, FilesThatCannotBeRead) {
  auto message = [](const std::string& name) {
    try {
      delete TMPParser::LoadMP(name, 0);
    } catch (const TundrelError& error) {
      return std::string(error.what());
    }
    return std::string("(no error)");
  };
  EXPECT_EQ(message("/nonexistent/file.mp"), "Cannot open file: /nonexistent/file.mp");
  std::string directory = std::filesystem::temp_directory_path().string();
  EXPECT_EQ(message(directory), "Cannot open file: " + directory + " (it is a directory)");
}
