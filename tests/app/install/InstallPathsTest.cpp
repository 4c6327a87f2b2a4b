#include "app/install/InstallPaths.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string FolderOf(const std::string& module, size_t nameLength = 11) {
  char folder[260] = "untouched";
  if (!InstallFilesFolderOf(module.c_str(), nameLength, folder)) return "<none>";
  return folder;
}

TEST(InstallFilesFolder, FollowsTheModuleFolder) {
  EXPECT_EQ(FolderOf("C:\\Setup\\setup.exe"), "C:\\Setup\\install files");
  EXPECT_EQ(FolderOf("C:\\setup.exe"), "C:\\install files");
  EXPECT_EQ(FolderOf("C:\\Setup\\"), "C:\\Setup\\install files");
}

TEST(InstallFilesFolder, CutsTheNameAtItsFirstAex) {
  EXPECT_EQ(FolderOf("C:\\a.aexb\\setup.exe"), "C:\\install files");
  EXPECT_EQ(FolderOf("C:\\Plug-ins\\Effect.aex"), "C:\\Plug-ins\\install files");
  EXPECT_EQ(FolderOf("C:\\x\\y.AEX"), "C:\\x\\install files") << "the search is case-sensitive";
  EXPECT_EQ(FolderOf("C:\\x.aex\\y.aex"), "C:\\install files") << "cut at the first .aex";
  EXPECT_EQ(FolderOf("C:.aex\\y.exe"), "<none>") << "no backslash before the cut";
}

TEST(InstallFilesFolder, NeedsABackslashAfterTheFirstCharacter) {
  EXPECT_EQ(FolderOf("setup.exe"), "<none>");
  EXPECT_EQ(FolderOf("\\setup.exe"), "<none>");
  EXPECT_EQ(FolderOf(""), "<none>");
}

TEST(InstallFilesFolder, FolderAndNameMustFit) {
  const std::string folder = "C:\\" + std::string(200, 'f');  // 203 characters
  EXPECT_NE(FolderOf(folder + "\\setup.exe", 56), "<none>");   // 203 + 56 + 1 = 260
  EXPECT_EQ(FolderOf(folder + "\\setup.exe", 57), "<none>");
}

TEST(InstallFilesFolder, OnlyTheFirst255CharactersOfTheModuleNameCount) {
  const std::string head = "C:\\" + std::string(240, 'h');
  EXPECT_EQ(FolderOf(head + "\\setup.exe", 1), head + "\\install files");
  const std::string fits = "C:\\" + std::string(242, 'h');  // 245 + 14 for "\\install files" = 259
  EXPECT_EQ(FolderOf(fits + "\\setup.exe", 1), fits + "\\install files");
  EXPECT_EQ(FolderOf(fits + "h\\setup.exe", 1), "<none>") << "refused, never cut";
  // A backslash past character 255 is not seen.
  EXPECT_EQ(FolderOf("C:\\" + std::string(260, 'h') + "\\setup.exe", 1), "C:\\install files");
}

class InstallFilesCache : public ::testing::Test {
protected:
  void SetUp() override { ForgetInstallFilesFolder(); }
  void TearDown() override { ForgetInstallFilesFolder(); }
  std::string From(const std::string& module, const std::string& name) {
    char out[260];
    return InstallFilesPathFrom(module.c_str(), out, name.c_str());
  }
};

TEST_F(InstallFilesCache, TheFirstSuccessIsKept) {
  EXPECT_EQ(From("nofolder.exe", "product.txt"), "") << "a failure leaves the cache empty";
  EXPECT_EQ(From("C:\\Setup\\setup.exe", "product.txt"), "C:\\Setup\\install files\\product.txt");
  EXPECT_EQ(From("D:\\Other\\setup.exe", "bkgd.jpg"), "C:\\Setup\\install files\\bkgd.jpg");
}

// A path that would not fit is refused, never cut to its tail: the tail
// names some other file.
TEST_F(InstallFilesCache, ALaterResultThatDoesNotFitIsEmpty) {
  EXPECT_EQ(From("C:\\Setup\\setup.exe", "x"), "C:\\Setup\\install files\\x");
  const std::string folder = "C:\\Setup\\install files\\";
  EXPECT_EQ(From("C:\\Setup\\setup.exe", std::string(259 - folder.size(), 'n')).size(), 259u);
  EXPECT_EQ(From("C:\\Setup\\setup.exe", std::string(260 - folder.size(), 'n')), "");
}

std::string ValueToFolder(const std::string& value) {
  char out[260] = "untouched";
  std::string why;
  if (!PluginFolderFromText(value, out, &why)) return "<absent: " + why + ">" + out;
  return out;
}

TEST(PluginFolderValue, IsCutTrimmedAndRefusedUnlessAFullPath) {
  EXPECT_EQ(ValueToFolder(std::string("C:\\Plug-ins\\\0", 13)), "C:\\Plug-ins");
  EXPECT_EQ(ValueToFolder("C:\\Plug-ins\\\\"), "C:\\Plug-ins\\") << "one backslash only";
  EXPECT_EQ(ValueToFolder(std::string("C:\\A\0junk", 9)), "C:\\A");
  EXPECT_EQ(ValueToFolder("\\\\server\\share\\Plug-ins"), "\\\\server\\share\\Plug-ins");
  const std::string longest = "C:\\" + std::string(256, 'p');
  EXPECT_EQ(ValueToFolder(longest), longest);
  EXPECT_EQ(ValueToFolder(longest + "p"), "<absent: is 260 characters long; a path holds at most 259>");
  EXPECT_EQ(ValueToFolder(longest + "\\"), longest) << "the backslash goes before the length counts";
  EXPECT_EQ(ValueToFolder(""), "<absent: is empty>");
  EXPECT_EQ(ValueToFolder("\\"), "<absent: is empty>");
  EXPECT_EQ(ValueToFolder("Plug-ins"), "<absent: is not a full path: \"Plug-ins\">");
  EXPECT_EQ(ValueToFolder("C:Plug-ins"), "<absent: is not a full path: \"C:Plug-ins\">");
  EXPECT_EQ(ValueToFolder(std::string("\x01\x00\x00\x00", 4)), "<absent: is not a full path: \"\x01\">")
      << "a number's bytes are no path";
}

}  // namespace
