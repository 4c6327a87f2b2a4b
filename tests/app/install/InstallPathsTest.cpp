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

// A plug-in's ".aex" finds "install files" beside itself; ".aex" in a
// folder's name is only part of that name, never a place to cut.
TEST(InstallFilesFolder, AexOnlyAsTheModulesOwnExtension) {
  const struct {
    const char* module;
    const char* folder;
  } cases[] = {
      {"C:\\Plug-ins\\Effect.aex", "C:\\Plug-ins\\install files"},
      {"C:\\x\\Plugin.AEX", "C:\\x\\install files"},
      {"C:\\x.aex\\y.aex", "C:\\x.aex\\install files"},
      {"C:\\a.aexb\\setup.exe", "C:\\a.aexb\\install files"},
      {"C:\\kits\\plug.aex-kit\\dist\\setup.exe", "C:\\kits\\plug.aex-kit\\dist\\install files"},
      {"C:\\d\\setup.aex.exe", "C:\\d\\install files"},
      {"C:.aex\\y.exe", "C:.aex\\install files"},
  };
  for (const auto& c : cases) EXPECT_EQ(FolderOf(c.module), c.folder) << c.module;
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

// The whole module name counts, up to a path's 259 characters; a longer
// one is refused, never cut: cut, it names another folder.
TEST(InstallFilesFolder, AModuleNamePast259CharactersIsRefused) {
  const std::string head = "C:\\" + std::string(240, 'h');
  EXPECT_EQ(FolderOf(head + "\\setup.exe", 1), head + "\\install files");
  const std::string fits = "C:\\" + std::string(242, 'h');  // 245 + 14 for "\\install files" = 259
  EXPECT_EQ(FolderOf(fits + "\\setup.exe", 1), fits + "\\install files");
  EXPECT_EQ(FolderOf(fits + "h\\setup.exe", 1), "<none>") << "refused, never cut";
  EXPECT_EQ(FolderOf("C:\\a\\" + std::string(255, 'd') + "\\setup.exe", 1), "<none>")
      << "cut to 255 characters it would name C:\\a\\install files";
  EXPECT_EQ(FolderOf("C:\\" + std::string(260, 'h') + "\\setup.exe", 1), "<none>");
}

class InstallFilesCacheTest : public ::testing::Test {
protected:
  std::string From(const std::string& module, const std::string& name) {
    char out[260];
    return cache.Path(module.c_str(), out, name.c_str());
  }
  InstallFilesCache cache;
};

TEST_F(InstallFilesCacheTest, TheFirstSuccessIsKept) {
  EXPECT_EQ(From("nofolder.exe", "product.txt"), "") << "a failure leaves the cache empty";
  EXPECT_EQ(From("C:\\Setup\\setup.exe", "product.txt"), "C:\\Setup\\install files\\product.txt");
  EXPECT_EQ(From("D:\\Other\\setup.exe", "bkgd.jpg"), "C:\\Setup\\install files\\bkgd.jpg");
}

// A path that would not fit is refused, never cut to its tail: the tail
// names some other file.
TEST_F(InstallFilesCacheTest, ALaterResultThatDoesNotFitIsEmpty) {
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
  const std::string notFull = ": not a full path: a drive and a backslash (C:\\Folder) or \\\\server\\share>";
  EXPECT_EQ(ValueToFolder("Plug-ins"), "<absent: is \"Plug-ins\"" + notFull);
  EXPECT_EQ(ValueToFolder("C:Plug-ins"), "<absent: is \"C:Plug-ins\"" + notFull);
  EXPECT_EQ(ValueToFolder(std::string("\x01\x00\x00\x00", 4)), "<absent: is \"\x01\"" + notFull)
      << "a number's bytes are no path";
}

// A value is a location like any other: a folder named after a device, or
// one Windows would rename, is no plug-in folder.
TEST(PluginFolderValue, IsRefusedWhenWindowsWouldTakeItForSomethingElse) {
  EXPECT_EQ(ValueToFolder("C:\\Adobe\\nul\\Plug-ins"),
            "<absent: is \"C:\\Adobe\\nul\\Plug-ins\": \"nul\" is a reserved device name>");
  EXPECT_EQ(ValueToFolder("C:\\Adobe\\Plug-ins.\\"),
            "<absent: is \"C:\\Adobe\\Plug-ins.\": \"Plug-ins.\" ends in a dot or a space, which Windows drops>");
  EXPECT_EQ(ValueToFolder("C:\\Adobe\\..\\Plug-ins"), "C:\\Adobe\\..\\Plug-ins");
}

}  // namespace
