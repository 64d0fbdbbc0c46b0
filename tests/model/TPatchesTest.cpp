#include "model/TPatches.hpp"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

TEST(TPatches, EmptyCollection) {
  TPatches patches;
  EXPECT_EQ(patches.GetNumPatches(), 0);
  EXPECT_TRUE(patches.GetNames().empty());
  EXPECT_TRUE(patches.GetPatchSizes(2000).empty());
  EXPECT_TRUE(patches.GetCoordinates().empty());
  EXPECT_EQ(patches.GetResolution(), 1.0);
}

TEST(TPatches, NamesInByteOrder) {
  TPatches patches;
  for (const char* name : {"b", "B", "a10", "a9", "Pop 2", "Pop 10", "Pop"})
    patches.AddPatch(new TPatch(name, "", 0, 0));
  EXPECT_EQ(patches.GetNames(),
            (std::vector<std::string>{"B", "Pop", "Pop 10", "Pop 2", "a10", "a9", "b"}));
}

TEST(TPatches, AddingTheSameNameReplaces) {
  TPatches patches;
  patches.AddPatch(new TPatch("A", "", 1, 1));
  patches.AddPatch(new TPatch("A", "", 2, 2));
  EXPECT_EQ(patches.GetNumPatches(), 1);
  EXPECT_EQ(patches.GetPatch("A")->GetX(), 2);
}

TEST(TPatches, MissingPatchThrowsText) {
  TPatches patches;
  patches.AddPatch(new TPatch("A", "", 0, 0));
  EXPECT_FALSE(patches.PatchExists("A "));
  EXPECT_TRUE(patches.PatchExists("A"));
  try {
    patches.GetPatch("a");
    FAIL() << "no exception";
  } catch (const char* message) {
    EXPECT_STREQ(message, "Patch does not exist");
  }
}

TEST(TPatches, PatchSizesAndCoordinatesInNameOrder) {
  TPatches patches;
  auto* b = new TPatch("B", "", 2, 20);
  auto* a = new TPatch("A", "", 1, 10);
  b->SetYear(2000, 5);
  a->SetYear(2000, 3);
  patches.AddPatch(b);
  patches.AddPatch(a);
  EXPECT_EQ(patches.GetPatchSizes(2000), (std::vector<double>{3, 5}));
  std::vector<TPoint*> points = patches.GetCoordinates();
  ASSERT_EQ(points.size(), 2u);
  EXPECT_EQ(points[0]->Y(), 10);
  EXPECT_EQ(points[1]->X(), 2);
  points[0]->X() = 99;
  EXPECT_EQ(a->GetX(), 1);
  for (TPoint* point : points)
    delete point;

  a->SetYear(2001, 1);
  b->SetYear(2002, 1);
  try {
    patches.GetPatchSizes(2001);
    FAIL() << "no exception";
  } catch (const char* message) {
    EXPECT_STREQ(message, "Year does not exist");
  }
}
