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

TEST_F(InstallFilesCache, ALaterLongResultKeepsItsTail) {
  EXPECT_EQ(From("C:\\Setup\\setup.exe", "x"), "C:\\Setup\\install files\\x");
  const std::string name(260, 'n');
  const std::string whole = "C:\\Setup\\install files\\" + name;
  EXPECT_EQ(From("C:\\Setup\\setup.exe", name), whole.substr(whole.size() - 259));
}

std::string ValueToFolder(const std::string& bytes) {
  char out[260] = "untouched";
  PluginFolderFromValue(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), out);
  return out;
}

TEST(PluginFolderValue, IsCutTrimmedAndAlwaysTerminated) {
  EXPECT_EQ(ValueToFolder(std::string("C:\\Plug-ins\\\0", 13)), "C:\\Plug-ins");
  EXPECT_EQ(ValueToFolder("C:\\Plug-ins\\\\"), "C:\\Plug-ins\\") << "one backslash only";
  EXPECT_EQ(ValueToFolder(std::string("C:\\A\0junk", 9)), "C:\\A");
  EXPECT_EQ(ValueToFolder(std::string(255, 'p')), std::string(255, 'p')) << "fills the buffer, no zero";
  EXPECT_EQ(ValueToFolder(""), "");
}

}  // namespace
