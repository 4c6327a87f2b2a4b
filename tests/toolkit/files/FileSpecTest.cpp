#include "toolkit/files/qvFileSpec.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "tests/app/Scratch.h"

namespace {

std::string Parts(qvFileSpec& spec) {
  return std::string(spec.GetFullPath()) + " | " + spec.GetFolder() + " | " + spec.GetFileName();
}

// A file spec made from path, then changed by `then` (when given).
struct PathCase {
  const char* what;
  std::string path;
  std::function<void(qvFileSpec&)> then;
  std::string parts;  // "fullPath | folder | fileName" afterwards
};

void Check(const std::vector<PathCase>& cases) {
  for (const PathCase& c : cases) {
    SCOPED_TRACE(c.what);
    qvFileSpec spec(c.path.c_str());
    if (c.then) c.then(spec);
    EXPECT_EQ(Parts(spec), c.parts);
  }
}

TEST(FileSpecTest, PathForms) {
  Check({
      {"a whole path splits at its last separator", "D:\\work\\name.txt", nullptr,
       "D:\\work\\name.txt | D:\\work\\ | name.txt"},
      {"without a separator the folder is the path and the name stays empty", "name.txt", nullptr,
       "name.txt | name.txt | "},
      {"a path ending in a separator has an empty name", "D:\\work\\", nullptr, "D:\\work\\ | D:\\work\\ | "},
      {"SetFileName joins", "D:\\work\\name.txt", [](qvFileSpec& s) { s.SetFileName("b.txt"); },
       "D:\\work\\b.txt | D:\\work\\ | b.txt"},
      {"EnterFolder after SetFileName", "D:\\work\\name.txt",
       [](qvFileSpec& s) {
         s.SetFileName("b.txt");
         s.EnterFolder("sub");
       },
       "D:\\work\\sub\\b.txt | D:\\work\\sub\\ | b.txt"},
      {"JoinPath adds the missing separator", "name.txt", [](qvFileSpec& s) { s.JoinPath(); },
       "name.txt\\ | name.txt\\ | "},
      {"an empty folder becomes a separator", "", [](qvFileSpec& s) { s.EnsureFolderSeparator(); }, " | \\ | "},
      {"Clear empties all three", "D:\\work\\name.txt", [](qvFileSpec& s) { s.Clear(); }, " |  | "},
  });
}

TEST(FileSpecTest, PathsThatDoNotFitAreNeverCut) {
  const std::string folder = "C:\\" + std::string(250, 'f') + "\\";  // 254 characters
  const std::string longest = folder + "abcde";                        // 259
  Check({
      {"a path of 259 characters fits", longest, nullptr, longest + " | " + folder + " | abcde"},
      {"a path of 260 characters gives an empty file spec", longest + "x", nullptr, " |  | "},
      {"a name that makes the path 259 long fits", folder + "a.txt", [](qvFileSpec& s) { s.SetFileName("abcde"); },
       longest + " | " + folder + " | abcde"},
      {"a name one character longer empties the full path", folder + "a.txt",
       [](qvFileSpec& s) { s.SetFileName("abcdef"); }, " | " + folder + " | abcdef"},
      {"a name of 260 characters empties name and full path", folder + "a.txt",
       [](qvFileSpec& s) { s.SetFileName(std::string(260, 'n').c_str()); }, " | " + folder + " | "},
      {"EnterFolder past the limit keeps the folder and empties the full path", folder + "a.txt",
       [](qvFileSpec& s) { s.EnterFolder("subfolder"); }, " | " + folder + " | a.txt"},
      {"EnterFolder within the limit, the full path past it", folder + "a.txt",
       [](qvFileSpec& s) { s.EnterFolder("sub"); }, " | " + folder + "sub\\ | a.txt"},
      {"a folder of 259 characters cannot take a separator", folder + "abcde",
       [](qvFileSpec& s) {
         s.SplitPath();
         std::strcpy(s.folder, s.fullPath);
         s.JoinPath();
       },
       " | " + folder + "abcde | abcde"},
  });
}

TEST(FileSpecTest, CopyPathTailAndExtensions) {
  qvFileSpec spec("D:\\work\\name.txt");
  char copy[260];
  std::fill(std::begin(copy), std::end(copy), 'x');
  CopyPathTail(spec, copy);
  EXPECT_STREQ(copy, "D:\\work\\name.txt");

  const std::vector<std::pair<int, std::string>> extensions = {{0, ".ai"}, {1, ".bmp"}, {27, ".*"}, {5, ".*"},
                                                              {-3, ".*"}};
  for (const auto& [code, extension] : extensions) {
    char out[8] = "";
    spec.ExtensionForType(code, out);
    EXPECT_EQ(out, extension) << code;
  }
}

class FindTest : public ScratchTest {
protected:
  // Every name FindNext delivers, with the full path checked on the way.
  std::vector<std::string> Found(qvFileSpec& spec) {
    std::vector<std::string> names;
    while (spec.FindNext()) {
      EXPECT_EQ(std::string(spec.GetFullPath()), std::string(spec.GetFolder()) + spec.GetFileName());
      names.push_back(spec.GetFileName());
    }
    EXPECT_EQ(spec.findHandle, nullptr) << "running out ends the search";
    std::sort(names.begin(), names.end());
    return names;
  }
};

TEST_F(FindTest, Patterns) {
  for (const char* name : {"a.ai", "b.bmp", "c.txt", "d.ai.txt"}) Put(name, "x");
  MakeFolder("folder.ai");
  struct Case {
    int typeCode;
    std::vector<std::string> names;
  };
  const std::vector<Case> cases = {
      {27, {".", "..", "a.ai", "b.bmp", "c.txt", "d.ai.txt", "folder.ai"}},
      {0, {"a.ai", "folder.ai"}},
      {1, {"b.bmp"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typeCode);
    qvFileSpec spec(root.c_str());
    spec.SplitPath();
    std::strcpy(spec.folder, root.c_str());  // no separator at the end: FindFirst adds it
    ASSERT_TRUE(spec.FindFirst(c.typeCode));
    EXPECT_NE(spec.findHandle, nullptr);
    EXPECT_EQ(spec.GetFolder(), root + "\\");
    EXPECT_EQ(Found(spec), c.names);
    EXPECT_FALSE(spec.FindNext()) << "nothing after the end";
  }
}

TEST_F(FindTest, NoMatchAndEndingASearch) {
  qvFileSpec spec((root + "\\").c_str());
  EXPECT_FALSE(spec.FindNext()) << "no search";
  EXPECT_FALSE(spec.FindFirst(kFindBitmap));
  EXPECT_EQ(spec.findHandle, nullptr);

  Put("one.bmp", "x");
  Put("two.bmp", "x");
  ASSERT_TRUE(spec.FindFirst(kFindBitmap));
  ASSERT_TRUE(spec.FindNext());
  spec.EndFind();
  EXPECT_EQ(spec.findHandle, nullptr);
  EXPECT_FALSE(spec.FindNext());

  ASSERT_TRUE(spec.FindFirst(kFindBitmap));
  spec.Clear();
  EXPECT_EQ(spec.findHandle, nullptr) << "Clear ends the search";

  qvFileSpec missing((root + "\\none\\").c_str());
  EXPECT_FALSE(missing.FindFirst(kFindAll));
}

TEST_F(FindTest, NamesWhoseFullPathWouldNotFitArePassedOver) {
  // A folder of 200 characters holding a short name and one of 70: the
  // second would make a path of 270 characters.
  const std::string sub = std::string(200 - root.size() - 2, 'd');
  const std::string folder = Path(sub);
  ASSERT_EQ(folder.size() + 1, 200u);
  MakeFolder(sub);
  ASSERT_TRUE(RunUnixShell("touch '" + UnixPath(folder) + "/short.txt' '" + UnixPath(folder) + "/" +
                           std::string(66, 'L') + ".txt'"));
  qvFileSpec spec((folder + "\\").c_str());
  ASSERT_TRUE(spec.FindFirst(kFindAll));
  EXPECT_EQ(Found(spec), (std::vector<std::string>{".", "..", "short.txt"}));
}

}  // namespace
