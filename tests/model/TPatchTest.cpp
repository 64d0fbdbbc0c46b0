#include "model/TPatch.hpp"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

TEST(TPatch, NewPatchHasNoYearsAndStartBounds) {
  TPatch patch("A", "", 1, 2);
  EXPECT_EQ(patch.GetMinYear(), 99999999);
  EXPECT_EQ(patch.GetMaxYear(), 0);
  EXPECT_TRUE(patch.GetYearList().empty());
  EXPECT_FALSE(patch.HasYear(0));
  EXPECT_EQ(patch.GetX(), 1);
  EXPECT_EQ(patch.GetY(), 2);
}

TEST(TPatch, SetYearOverwritesAndWidensBounds) {
  TPatch patch("A", "", 0, 0);
  patch.SetYear(2000, 5);
  patch.SetYear(2000, 7);
  EXPECT_EQ(patch.GetYearList(), std::vector<long>{2000});
  EXPECT_EQ(patch.GetYear(2000), 7);
  patch.SetYear(1990, 1);
  patch.SetYear(1980, 1);
  EXPECT_EQ(patch.GetYearList(), (std::vector<long>{1980, 1990, 2000}));
  EXPECT_EQ(patch.GetMinYear(), 1980);
  EXPECT_EQ(patch.GetMaxYear(), 2000);
}

TEST(TPatch, NegativeYearKeepsZeroAsLastYear) {
  TPatch patch("A", "", 0, 0);
  patch.SetYear(-5, 1);
  EXPECT_EQ(patch.GetMinYear(), -5);
  EXPECT_EQ(patch.GetMaxYear(), 0);
}

TEST(TPatch, MissingYearThrowsTextAndChangesNothing) {
  TPatch patch("A", "", 0, 0);
  patch.SetYear(2000, 1);
  try {
    patch.GetYear(1999);
    FAIL() << "no exception";
  } catch (const char* message) {
    EXPECT_STREQ(message, "Year does not exist");
  }
  EXPECT_FALSE(patch.HasYear(1999));
  EXPECT_EQ(patch.GetYearList(), std::vector<long>{2000});
}

TEST(TPatch, ClonesOwnTheirPointsAndYears) {
  auto original = std::make_unique<TPatch>("A", "label", 3, 4);
  original->SetYear(2000, 1);
  original->SetYear(2001, 2);
  std::unique_ptr<TPatch> shallow(original->ShallowClone());
  std::unique_ptr<TPatch> full(original->Clone());
  EXPECT_TRUE(shallow->GetYearList().empty());
  EXPECT_EQ(shallow->GetMinYear(), 99999999);
  EXPECT_EQ(full->GetYearList(), (std::vector<long>{2000, 2001}));
  EXPECT_EQ(full->GetMinYear(), 2000);
  EXPECT_EQ(full->GetMaxYear(), 2001);
  full->SetYear(2002, 3);
  original->SetYear(2000, 9);
  EXPECT_EQ(full->GetYear(2000), 1);
  EXPECT_FALSE(original->HasYear(2002));
  original.reset();
  EXPECT_EQ(shallow->GetName(), "A");
  EXPECT_EQ(shallow->GetLabel(), "label");
  EXPECT_EQ(shallow->GetX(), 3);
  EXPECT_EQ(full->GetY(), 4);
}

TEST(TPatch, DeepCloneMergesIntoTarget) {
  TPatch source("A", "", 0, 0), target("B", "", 7, 8);
  source.SetYear(2000, 1);
  source.SetYear(2005, 2);
  target.SetYear(2000, 9);
  target.SetYear(1990, 3);
  source.DeepClone(&target);
  EXPECT_EQ(target.GetYear(2000), 1);
  EXPECT_EQ(target.GetYear(1990), 3);
  EXPECT_EQ(target.GetYear(2005), 2);
  EXPECT_EQ(target.GetMinYear(), 1990);
  EXPECT_EQ(target.GetMaxYear(), 2005);
  EXPECT_EQ(target.GetName(), "B");
  EXPECT_EQ(target.GetX(), 7);
}
