// Folder operations the install core shares: the listing, the name key,
// the full path, and removal that never follows a link.
#include "app/install/FileTree.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "app/install/PathNames.h"
#include "tests/app/Scratch.h"

namespace {

class FileTreeTest : public ScratchTest {};

TEST_F(FileTreeTest, RemovePathRemovesFilesAndWholeTrees) {
  Put("tree/a.txt", "a");
  Put("tree/Sub/Deeper/b.txt", "b");
  Put("lone.txt", "x");
  RemovePath(Path("lone.txt").c_str());
  EXPECT_FALSE(Exists("lone.txt"));
  RemovePath(Path("tree").c_str());
  EXPECT_FALSE(Exists("tree"));
  RemovePath(Path("never was").c_str());
}

TEST_F(FileTreeTest, DeleteFolderContentsKeepsTheFolder) {
  Put("tree/a.txt", "a");
  Put("tree/Sub/b.txt", "b");
  DeleteFolderContents(Path("tree").c_str());
  EXPECT_TRUE(IsFolder("tree"));
  EXPECT_EQ(Listing("tree"), "");
}

// A symbolic link inside the tree (Wine shows one as a reparse point) is
// never followed: the folder it points at keeps its files. Wine cannot
// delete a Unix link to a folder, so only what lies beside it goes here.
TEST_F(FileTreeTest, RemovalNeverFollowsALinkOutOfTheTree) {
  Put("outside/precious.txt", "keep me");
  Put("outside/Inner/also.txt", "keep me too");
  Put("tree/a.txt", "a");
  Put("tree/Sub/b.txt", "b");
  const std::string inner = UnixPath(Path("tree/Sub/link")), top = UnixPath(Path("toplink"));
  const std::string target = UnixPath(Path("outside"));
  ASSERT_TRUE(RunUnixShell("ln -s '" + target + "' '" + inner + "' && ln -s '" + target + "' '" + top + "'"));
  RemovePath(Path("tree").c_str());
  RemovePath(Path("toplink").c_str());
  DeleteFolderContents(Path("toplink").c_str());
  const bool removedLinks = RunUnixShell("rm -f '" + inner + "' '" + top + "'");
  EXPECT_EQ(Get("outside/precious.txt"), "keep me");
  EXPECT_EQ(Get("outside/Inner/also.txt"), "keep me too");
  EXPECT_FALSE(Exists("tree/a.txt"));
  EXPECT_FALSE(Exists("tree/Sub/b.txt"));
  ASSERT_TRUE(removedLinks);
}

// Two names are one file to Windows when they differ in case or in
// trailing dots and spaces.
TEST(NameKeyTest, CaseAndTrailingDotsDoNotCount) {
  EXPECT_EQ(NameKey(L"readme.txt"), NameKey(L"README.TXT"));
  EXPECT_EQ(NameKey(L"a"), NameKey(L"a."));
  EXPECT_EQ(NameKey(L"a"), NameKey(L"A . "));
  EXPECT_EQ(NameKey(L"\x00e9t\x00e9"), NameKey(L"\x00c9T\x00c9")) << "beyond ASCII too";
  EXPECT_NE(NameKey(L"a.b"), NameKey(L"ab"));
  EXPECT_NE(NameKey(L".a"), NameKey(L"a"));
}

TEST_F(FileTreeTest, ListsAFolderOnceAndTellsWhyNot) {
  Put("f/a.txt", "abc");
  MakeFolder("f/Sub");
  std::vector<ListedEntry> entries;
  const std::string folder = Path("f");
  ASSERT_EQ(ListFolder(std::wstring(folder.begin(), folder.end()), &entries), 0u);
  ASSERT_EQ(entries.size(), 2u) << "without . and ..";
  for (const ListedEntry& entry : entries) {
    EXPECT_EQ(entry.IsFolder(), entry.name == L"Sub");
    if (!entry.IsFolder()) {
      EXPECT_EQ(entry.size, 3u);
    }
  }
  const std::string missing = Path("missing");
  EXPECT_EQ(ListFolder(std::wstring(missing.begin(), missing.end()), &entries),
            static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  EXPECT_TRUE(FolderExists(folder.c_str()));
  EXPECT_FALSE(FolderExists(Path("f/a.txt").c_str())) << "a file is no folder";
  EXPECT_FALSE(FolderExists(missing.c_str()));
}

TEST_F(FileTreeTest, FullPathsAreNormalisedAndRefusedPastTheLimit) {
  std::string full;
  InstallFailure failure;
  ASSERT_TRUE(FullPath("C:\\a\\..\\b\\.\\c", &full, &failure));
  EXPECT_EQ(full, "C:\\b\\c");
  EXPECT_FALSE(FullPath(("C:\\" + std::string(300, 'p')).c_str(), &full, &failure));
  EXPECT_EQ(failure.error, static_cast<uint32_t>(ERROR_FILENAME_EXCED_RANGE));
}

}  // namespace

// The program's own path: as long as any path the installer takes, and
// no longer, counted in UTF-16 units whatever its characters; any
// character taken as it is, half a surrogate pair not at all.
TEST(ProgramPathTest, TakesThePathsTheInstallerTakes) {
  const std::wstring drive = L"C:\\";
  const struct {
    std::wstring path;
    const char* refusal;  // null when taken
  } cases[] = {
      {drive + std::wstring(kMaxPathLength - drive.size(), L'x'), nullptr},
      {drive + std::wstring(kMaxPathLength + 1 - drive.size(), L'x'), "is too long: 260 characters"},
      {drive + std::wstring(kMaxPathLength - drive.size(), L'\u65E5'), nullptr},
      {drive + std::wstring(kMaxPathLength + 1 - drive.size(), L'\u65E5'), "is too long: 260 characters"},
      {L"C:\\\uFF44ist\\setup.exe", nullptr},
      {L"C:\\x" + std::wstring(1, wchar_t(0xD800)) + L"\\setup.exe", "is not well-formed UTF-16"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path.size());
    std::string path, why;
    EXPECT_EQ(ProgramPathOf(c.path, &path, &why), c.refusal == nullptr) << why;
    if (c.refusal) EXPECT_NE(why.find(c.refusal), std::string::npos) << why;
  }
}
