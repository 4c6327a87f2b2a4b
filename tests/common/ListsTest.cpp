#include "common/PathList.h"
#include "common/PointerList.h"
#include "common/StringList.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Appends 133 entries and returns each capacity the list passed through.
template <typename List, typename AppendOne>
std::vector<int> CapacitiesWhileAppending(List& list, AppendOne appendOne) {
  std::vector<int> seen;
  for (int i = 0; i < 133; ++i) {
    appendOne(list, i);
    if (seen.empty() || seen.back() != list.Capacity()) seen.push_back(list.Capacity());
  }
  return seen;
}

const std::vector<int> kCapacities = {10, 20, 40, 60, 90, 132, 198};

std::string Name(int i) { return "C:\\dir\\" + std::to_string(i); }

}  // namespace

TEST(ListsTest, AllGrowByTheCommonRuleAndKeepTheirEntries) {
  int objects[133];
  PointerList<int> pointers;
  StringList strings;
  PathList paths;
  EXPECT_EQ(CapacitiesWhileAppending(pointers, [&](auto& l, int i) { l.Append(&objects[i]); }), kCapacities);
  EXPECT_EQ(CapacitiesWhileAppending(strings, [](auto& l, int i) { l.Append(Name(i).c_str()); }), kCapacities);
  EXPECT_EQ(CapacitiesWhileAppending(paths, [](auto& l, int i) { l.Append(Name(i).c_str()); }), kCapacities);
  for (int i = 0; i < 133; ++i) {
    EXPECT_EQ(pointers.At(i), &objects[i]);
    EXPECT_EQ(strings.At(i), TextString(Name(i).c_str()));
    EXPECT_EQ(paths.At(i), Name(i));
  }
  EXPECT_EQ(pointers.At(133), nullptr);
  EXPECT_EQ(paths.At(-1), nullptr);
}

TEST(ListsTest, AppendingAnEntryOfTheSameListWhileItGrows) {
  StringList strings;
  PathList paths;
  for (int i = 0; i < 10; ++i) {
    strings.Append(Name(i).c_str());
    paths.Append(Name(i).c_str());
  }
  strings.Append(strings.At(3));
  paths.Append(paths.At(7));
  EXPECT_EQ(strings.At(10), TextString(Name(3).c_str()));
  EXPECT_EQ(paths.At(10), Name(7));
}

TEST(PointerListTest, RemoveTakesTheFirstMatchAndKeepsTheRestInOrder) {
  int a, b, c, d;
  PointerList<int> list;
  for (int* p : {&a, &b, &c, &b, &d}) list.Append(p);
  EXPECT_TRUE(list.Remove(&b));
  EXPECT_TRUE(list.Remove(&d));
  EXPECT_FALSE(list.Remove(&d));
  EXPECT_EQ(std::vector<int*>(list.begin(), list.end()), (std::vector<int*>{&a, &c, &b}));
  EXPECT_EQ(list.IndexOf(&b), 2);
  for (int i = 0; i < 41; ++i) list.Append(&a);
  list.Clear();
  for (int i = 0; i < 11; ++i) list.Append(&a);
  EXPECT_EQ(list.Capacity(), 20);
}

TEST(StringListTest, InsertClampsItsIndexAndCopiesAreIndependent) {
  StringList list;
  list.Append("b");
  list.Insert(0, "a");
  list.Insert(99, "d");
  list.Insert(2, "c");
  list.Insert(-5, "_");
  StringList copy(list);
  copy.At(0).Append('!');
  list.Clear();
  std::string joined;
  for (int i = 0; i < copy.Count(); ++i) joined.append(copy.At(i).Data(), copy.At(i).Length());
  EXPECT_EQ(joined, "_!abcd");
}

TEST(PathListTest, LongPathsKeepTheirLast259Characters) {
  std::string path259 = "C:\\" + std::string(251, 'x') + "\\tail";
  ASSERT_EQ(path259.size(), 259u);
  PathList list;
  list.Append(path259.c_str());
  list.Append(("D" + path259).c_str());
  list.Append((std::string(141, 'h') + path259).c_str());
  list.Append(nullptr);
  EXPECT_EQ(list.At(0), path259);
  EXPECT_EQ(list.At(1), path259);
  EXPECT_EQ(list.At(2), path259);
  EXPECT_STREQ(list.At(3), "");
}
