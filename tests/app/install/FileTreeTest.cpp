#include "app/install/FileTree.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "tests/app/Scratch.h"

namespace {

class FileTreeTest : public ScratchTest {
protected:
  bool Copy(const std::string& destination, const std::string& source) {
    return CopyTree(Path(destination).c_str(), Path(source).c_str());
  }
};

std::string Pattern(size_t size) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 131 + i / 251) & 0xff);
  return bytes;
}

TEST_F(FileTreeTest, CopiesFilesAndFoldersButNothingNamedWithADot) {
  Put("src/a.txt", "alpha");
  Put("src/.hidden", "no");
  Put("src/Sub/b.txt", "beta");
  Put("src/.git/config", "no");
  Put("src/Sub/Deep/.keep", "no");
  Put("src/empty.bin", "");
  ASSERT_TRUE(Copy("dst", "src"));
  EXPECT_EQ(Listing("dst"), "Sub/ Sub/Deep/ Sub/b.txt a.txt empty.bin");
  EXPECT_EQ(Get("dst/a.txt"), "alpha");
  EXPECT_EQ(Get("dst/Sub/b.txt"), "beta");
  EXPECT_EQ(Get("dst/empty.bin"), "");
}

TEST_F(FileTreeTest, OverwritesSameNamedFilesAndKeepsOthers) {
  Put("src/a.txt", "new");
  Put("src/Sub/b.txt", "new b");
  Put("dst/a.txt", "old and longer");
  Put("dst/other.txt", "untouched");
  Put("dst/Sub/c.txt", "also untouched");
  ASSERT_TRUE(Copy("dst", "src"));
  EXPECT_EQ(Get("dst/a.txt"), "new");
  EXPECT_EQ(Get("dst/Sub/b.txt"), "new b");
  EXPECT_EQ(Get("dst/other.txt"), "untouched");
  EXPECT_EQ(Get("dst/Sub/c.txt"), "also untouched");
}

TEST_F(FileTreeTest, MissingSourceCreatesDestinationAndSucceeds) {
  ASSERT_TRUE(Copy("dst", "no such folder"));
  EXPECT_TRUE(IsFolder("dst"));
  EXPECT_EQ(Listing("dst"), "");
}

// A file another handle holds without sharing cannot be read. It must fail
// the copy, not turn into an empty folder of the same name.
TEST_F(FileTreeTest, AFileThatCannotBeReadFailsTheCopy) {
  Put("src/a.txt", "a");
  Put("src/locked.dat", "payload");
  HANDLE holder = CreateFileA(Path("src/locked.dat").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(Copy("dst", "src"));
  CloseHandle(holder);
  EXPECT_FALSE(IsFolder("dst/locked.dat"));
}

// The sub-folder names of a folder in the platform's listing order.
std::vector<std::string> FoldersInListingOrder(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA entry;
  HANDLE find = FindFirstFileA((folder + "\\*.*").c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && entry.cFileName[0] != '.')
      names.push_back(entry.cFileName);
  } while (FindNextFileA(find, &entry));
  FindClose(find);
  return names;
}

// Files of a folder go before its sub-folders, sub-folders go depth first in
// listing order, and the first failure ends everything: what comes after it
// is never made.
TEST_F(FileTreeTest, FilesFirstThenFoldersAndTheFirstFailureEndsTheCopy) {
  Put("src/z.txt", "z");
  Put("src/A/a1.txt", "a1");
  for (const char* name : {"B", "C", "D", "E"}) Put(std::string("src/A/") + name + "/f.txt", name);
  HANDLE holder = CreateFileA(Path("src/A/C/f.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(Copy("dst", "src"));
  CloseHandle(holder);

  std::string expected = "A/ A/C/";
  std::vector<std::string> copiedFolders;
  for (const std::string& name : FoldersInListingOrder(Path("src/A"))) {
    if (name == "C") break;
    copiedFolders.push_back(name);
  }
  for (const std::string& name : copiedFolders) expected += " A/" + name + "/ A/" + name + "/f.txt";
  expected += " A/a1.txt z.txt";
  std::vector<std::string> parts;
  for (size_t at = 0, next; at < expected.size(); at = next + 1) {
    next = expected.find(' ', at);
    if (next == std::string::npos) next = expected.size();
    parts.push_back(expected.substr(at, next - at));
  }
  std::sort(parts.begin(), parts.end());
  std::string sorted;
  for (const auto& part : parts) sorted += (sorted.empty() ? "" : " ") + part;
  EXPECT_EQ(Listing("dst"), sorted);
}

TEST_F(FileTreeTest, ADestinationFileThatCannotBeWrittenFailsAndEarlierFilesStay) {
  Put("src/1.txt", "one");
  Put("src/2.txt", "two");
  Put("src/3.txt", "three");
  Put("dst/2.txt", "stuck");
  const std::string stuck = UnixPath(Path("dst/2.txt"));
  ASSERT_TRUE(RunUnixShell("chattr +i '" + stuck + "'")) << "needs chattr and root";
  const bool copied = Copy("dst", "src");
  RunUnixShell("chattr -i '" + stuck + "'");
  EXPECT_FALSE(copied);
  EXPECT_EQ(Get("dst/1.txt"), "one");
  EXPECT_EQ(Get("dst/2.txt"), "stuck");
  EXPECT_FALSE(Exists("dst/3.txt"));
}

// With the destination deep enough, a joined path passes 259 characters.
// Cutting its head off would write somewhere else entirely; the copy fails.
TEST_F(FileTreeTest, APathPastTheLimitFailsTheCopyAndWritesNothingElsewhere) {
  const std::string longName(150, 'L');
  Put("src/" + longName + "/f.txt", "deep");
  Put("src/short.txt", "short");
  MakeFolder("dst-with-a-name-long-enough-to-push-the-join-over");
  ASSERT_GT(Path("dst-with-a-name-long-enough-to-push-the-join-over/" + longName + "/f.txt").size(), 259u);
  EXPECT_FALSE(Copy("dst-with-a-name-long-enough-to-push-the-join-over", "src"));
  EXPECT_EQ(Listing("dst-with-a-name-long-enough-to-push-the-join-over"), "short.txt");
  char current[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, current);
  for (const auto& root : {std::string(current), std::string("C:")}) {
    for (size_t cut = 1; cut < 60; ++cut) {
      const std::string tail = (Path("dst-with-a-name-long-enough-to-push-the-join-over") + "\\" + longName)
                                   .substr(cut);
      EXPECT_EQ(GetFileAttributesA((root + "\\" + tail).c_str()), INVALID_FILE_ATTRIBUTES);
    }
  }
  EXPECT_FALSE(CopyTree(std::string(260, 'x').c_str(), Path("src").c_str()));
}

TEST_F(FileTreeTest, CopyFileWholeCopiesEveryChunkBoundary) {
  const uint32_t chunk = 7;
  for (size_t size : {size_t{0}, size_t{1}, size_t{6}, size_t{7}, size_t{8}, size_t{14}, size_t{3 * 7 + 5}}) {
    const std::string bytes = Pattern(size);
    Put("in.bin", bytes);
    uint64_t copied = 99;
    ASSERT_TRUE(CopyFileWhole(Path("in.bin").c_str(), Path("out.bin").c_str(), chunk, &copied)) << size;
    EXPECT_EQ(copied, size);
    EXPECT_EQ(Get("out.bin"), bytes) << "size " << size;
  }
  const std::string big = Pattern(3 * kCopyChunkSize + 12345);
  Put("in.bin", big);
  ASSERT_TRUE(CopyFileWhole(Path("in.bin").c_str(), Path("out.bin").c_str()));
  EXPECT_TRUE(Get("out.bin") == big);
}

TEST_F(FileTreeTest, CopyFileWholeFailsOnAMissingSourceWithoutTouchingTheDestination) {
  Put("out.bin", "kept");
  EXPECT_FALSE(CopyFileWhole(Path("none.bin").c_str(), Path("out.bin").c_str()));
  EXPECT_EQ(Get("out.bin"), "kept");
}

// Files of sysfs claim a page (4096 bytes) and hold a few bytes: a real
// short read. Every Linux machine with sysfs has the first; without any of
// them the removal of a partial file would go untested, so that fails.
TEST_F(FileTreeTest, AShortReadRemovesThePartialDestination) {
  const char* const candidates[] = {
      "Z:\\sys\\devices\\system\\cpu\\online",
      "Z:\\sys\\devices\\system\\cpu\\possible",
      "Z:\\sys\\kernel\\mm\\transparent_hugepage\\enabled",
  };
  const char* source = nullptr;
  for (const char* candidate : candidates) {
    WIN32_FILE_ATTRIBUTE_DATA info;
    if (GetFileAttributesExA(candidate, GetFileExInfoStandard, &info) && info.nFileSizeLow > 16) {
      source = candidate;
      break;
    }
  }
  ASSERT_NE(source, nullptr) << "no file here claims more bytes than it holds";
  SetLastError(0);
  EXPECT_FALSE(CopyFileWhole(source, Path("out.bin").c_str(), 16));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_HANDLE_EOF)) << "a short file, not the removal's code";
  EXPECT_FALSE(Exists("out.bin"));
}

// The copy tally counts the files copied and their bytes; on a failure, the
// files copied before it.
TEST_F(FileTreeTest, TheTallyCountsCopiedFilesAndBytes) {
  Put("src/a.txt", "alpha");
  Put("src/empty.bin", "");
  Put("src/.skipped", "not counted");
  Put("src/Sub/b.bin", Pattern(3 * kCopyChunkSize + 1));
  Put("src/Sub/Deep/c.txt", "c");
  CopyTally tally;
  ASSERT_TRUE(CopyTree(Path("dst").c_str(), Path("src").c_str(), &tally));
  EXPECT_EQ(tally.files, 4u);
  EXPECT_EQ(tally.bytes, 5u + 0u + (3 * kCopyChunkSize + 1) + 1u);

  // z.txt (its folder's only file) comes first, then Sub's file; the locked
  // file of Sub/Deep ends the copy.
  Put("partial/z.txt", "zz");
  Put("partial/Sub/one.txt", "123");
  Put("partial/Sub/Deep/locked.txt", "x");
  HANDLE holder = CreateFileA(Path("partial/Sub/Deep/locked.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              0, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  CopyTally partial;
  EXPECT_FALSE(CopyTree(Path("dst2").c_str(), Path("partial").c_str(), &partial));
  CloseHandle(holder);
  EXPECT_EQ(partial.files, 2u);
  EXPECT_EQ(partial.bytes, 5u);
}

// Records what a copy tells its observer.
class RecordingObserver : public CopyObserver {
public:
  void FileCopied(const char* source, const char* destination, uint64_t bytes) override {
    copied.push_back(std::string(source) + " -> " + destination + " " + std::to_string(bytes));
  }
  void CopyFailed(const char* path, uint32_t error) override {
    failures.push_back(path);
    lastError = error;
  }
  std::vector<std::string> copied;
  std::vector<std::string> failures;
  uint32_t lastError = 0;
};

// The counting pass and the copy agree on a tree with everything the copy
// skips or descends into, and the observer hears of every file once.
TEST_F(FileTreeTest, TheCountingPassAndTheObserverAgreeWithTheCopy) {
  Put("src/a.txt", "alpha");
  Put("src/empty.bin", "");
  Put("src/.DS_Store", "skipped");
  Put("src/.hidden/inside.txt", "skipped with its folder");
  Put("src/Sub/b.bin", Pattern(2 * kCopyChunkSize + 3));
  Put("src/Sub/Deep/c.txt", "c");
  MakeFolder("src/Sub/Empty");
  CopyTally counted;
  ASSERT_TRUE(CountCopyTree(Path("src").c_str(), &counted));
  RecordingObserver observer;
  CopyTally copied;
  ASSERT_TRUE(CopyTree(Path("dst").c_str(), Path("src").c_str(), &copied, &observer));
  EXPECT_EQ(counted.files, 4u);
  EXPECT_EQ(counted.bytes, 5u + (2 * kCopyChunkSize + 3) + 1u);
  EXPECT_EQ(copied.files, counted.files);
  EXPECT_EQ(copied.bytes, counted.bytes);
  ASSERT_EQ(observer.copied.size(), 4u);
  EXPECT_NE(std::find(observer.copied.begin(), observer.copied.end(),
                      Path("src/Sub/b.bin") + " -> " + Path("dst/Sub/b.bin") + " " +
                          std::to_string(2 * kCopyChunkSize + 3)),
            observer.copied.end());
  EXPECT_TRUE(observer.failures.empty());

  CopyTally nothing;
  EXPECT_TRUE(CountCopyTree(Path("missing").c_str(), &nothing)) << "a missing payload holds nothing";
  EXPECT_EQ(nothing.files + nothing.bytes, 0u);
}

// Every way a copy fails names the path concerned and the platform's code,
// once, and leaves that code for GetLastError.
TEST_F(FileTreeTest, AFailureNamesItsPathAndTheRightErrorCode) {
  struct Case {
    const char* name;
    std::function<void()> layOut;  // makes src and what fails
    std::string holdOpen;          // a file held without sharing during the copy, when set
    std::string destination;
    std::string failingPath;
    DWORD error;
  };
  const std::string longName(150, 'L');
  const std::string deepDestination = "dst-with-a-name-long-enough-to-push-the-join-over";
  const std::vector<Case> cases = {
      {"destination file in use", [&] { Put("src/a.txt", "a"); Put("dst/a.txt", "old"); }, "dst/a.txt", "dst",
       Path("dst/a.txt"), ERROR_SHARING_VIOLATION},
      {"source file in use", [&] { Put("src/a.txt", "a"); }, "src/a.txt", "dst", Path("src/a.txt"),
       ERROR_SHARING_VIOLATION},
      {"destination parent missing", [&] { Put("src/a.txt", "a"); }, "", "no/such/dst", Path("no/such/dst/a.txt"),
       ERROR_PATH_NOT_FOUND},
      {"path past the limit", [&] { Put("src/" + longName + "/f.txt", "deep"); MakeFolder(deepDestination); }, "",
       deepDestination, Path(deepDestination) + "\\" + longName, ERROR_FILENAME_EXCED_RANGE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::error_code ignored;
    for (const char* folder : {"src", "dst", deepDestination.c_str()}) fs::remove_all(Path(folder), ignored);
    c.layOut();
    HANDLE holder = INVALID_HANDLE_VALUE;
    if (!c.holdOpen.empty()) {
      holder = CreateFileA(Path(c.holdOpen).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
      ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    }
    RecordingObserver observer;
    SetLastError(0);
    const bool copied = CopyTree(Path(c.destination).c_str(), Path("src").c_str(), nullptr, &observer);
    const DWORD error = GetLastError();
    if (holder != INVALID_HANDLE_VALUE) CloseHandle(holder);
    EXPECT_FALSE(copied);
    EXPECT_EQ(error, c.error);
    ASSERT_EQ(observer.failures.size(), 1u);
    EXPECT_EQ(observer.failures[0], c.failingPath);
    EXPECT_EQ(observer.lastError, c.error);
  }
}

// A sub-folder whose listing pattern (folder + "\*.*") would pass 259
// characters cannot be listed. It is not taken for an empty folder: the
// copy fails, where it used to report success without its files.
TEST_F(FileTreeTest, ASubFolderThatCannotBeListedFailsTheCopy) {
  const size_t rootLength = Path("src").size() + 1;
  ASSERT_LT(rootLength, 250u);
  const std::string name(257 - rootLength, 'd');  // the sub-folder's path has 257 characters
  Put("src/a.txt", "a");
  MakeFolder("src/" + name);
  ASSERT_EQ(Path("src/" + name).size(), 257u);
  RecordingObserver observer;
  EXPECT_FALSE(CopyTree(Path("dst").c_str(), Path("src").c_str(), nullptr, &observer));
  ASSERT_EQ(observer.failures.size(), 1u);
  EXPECT_EQ(observer.failures[0], Path("src/" + name));
  EXPECT_EQ(observer.lastError, static_cast<uint32_t>(ERROR_FILENAME_EXCED_RANGE));
  CopyTally counted;
  EXPECT_FALSE(CountCopyTree(Path("src").c_str(), &counted)) << "the count says it is incomplete";
  EXPECT_EQ(counted.files, 1u);
}

// A name outside the ANSI code page lists as question marks or a
// look-alike that names nothing. A file of that name fails to open; a
// folder of that name must fail the copy too, not vanish from it.
TEST_F(FileTreeTest, NamesOutsideTheAnsiCodePageFailTheCopy) {
  const wchar_t* const names[] = {L"\x65e5\x672c", L"\x0142\x00f3d\x017a"};  // Japanese; Polish with a best fit
  for (const wchar_t* name : names) {
    for (bool isFolder : {false, true}) {
      std::error_code ignored;
      fs::remove_all(Path("src"), ignored);
      fs::remove_all(Path("dst"), ignored);
      Put("src/a.txt", "a");
      const std::string source = Path("src");
      const std::wstring wide = std::wstring(source.begin(), source.end()) + L"\\" + name;
      if (isFolder) {
        ASSERT_TRUE(CreateDirectoryW(wide.c_str(), nullptr));
        HANDLE file = CreateFileW((wide + L"\\inside.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0,
                                  nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        CloseHandle(file);
      } else {
        HANDLE file = CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        CloseHandle(file);
      }
      BOOL lossy = FALSE;
      char ansi[64];
      WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, name, -1, ansi, sizeof ansi, nullptr, &lossy);
      if (!lossy) continue;  // this code page carries the name
      RecordingObserver observer;
      EXPECT_FALSE(CopyTree(Path("dst").c_str(), Path("src").c_str(), nullptr, &observer))
          << (isFolder ? "folder " : "file ") << ansi;
      ASSERT_EQ(observer.failures.size(), 1u);
      EXPECT_EQ(observer.failures[0].substr(0, Path("src").size() + 1), Path("src") + "\\");
    }
  }
}

TEST_F(FileTreeTest, CopyFileWholeLeavesItsFailuresCodeForGetLastError) {
  SetLastError(0);
  EXPECT_FALSE(CopyFileWhole(Path("none.bin").c_str(), Path("out.bin").c_str()));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  Put("in.bin", "x");
  SetLastError(0);
  EXPECT_FALSE(CopyFileWhole(Path("in.bin").c_str(), Path("no/such/out.bin").c_str()));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

// A sparse file past 4 GiB copies whole. The copy itself is not sparse, so
// the test needs that much free space and says so when there is not.
TEST_F(FileTreeTest, AFileOfMoreThan4GiBCopiesWhole) {
  const uint64_t needed = (5ULL << 30);
  ULARGE_INTEGER available;
  ASSERT_TRUE(GetDiskFreeSpaceExA(root.c_str(), &available, nullptr, nullptr));
  if (available.QuadPart < needed)
    GTEST_SKIP() << "needs 5 GiB free for the copy; " << (available.QuadPart >> 20) << " MiB here";
  const std::string in = Path("huge.bin"), out = Path("huge-copy.bin");
  HANDLE file = CreateFileA(in.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  LARGE_INTEGER size;
  size.QuadPart = (1LL << 32) + 4096;
  LARGE_INTEGER last;
  last.QuadPart = size.QuadPart - 4;
  SetFilePointerEx(file, last, nullptr, FILE_BEGIN);
  DWORD written;
  WriteFile(file, "END!", 4, &written, nullptr);
  CloseHandle(file);
  uint64_t copied = 0;
  ASSERT_TRUE(CopyFileWhole(in.c_str(), out.c_str(), kCopyChunkSize, &copied));
  EXPECT_EQ(copied, static_cast<uint64_t>(size.QuadPart));
  WIN32_FILE_ATTRIBUTE_DATA info;
  ASSERT_TRUE(GetFileAttributesExA(out.c_str(), GetFileExInfoStandard, &info));
  EXPECT_EQ((uint64_t(info.nFileSizeHigh) << 32) | info.nFileSizeLow, static_cast<uint64_t>(size.QuadPart));
  file = CreateFileA(out.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  SetFilePointerEx(file, last, nullptr, FILE_BEGIN);
  char tail[4] = {};
  ReadFile(file, tail, 4, &written, nullptr);
  CloseHandle(file);
  EXPECT_EQ(std::string(tail, 4), "END!");
  DeleteFileA(out.c_str());
  DeleteFileA(in.c_str());
}

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

TEST_F(FileTreeTest, FolderEntryCountsThePlatformListingFromOne) {
  MakeFolder("empty");
  Put("one/only.txt", "x");
  char* first = FolderEntry(Path("empty").c_str(), 1);
  ASSERT_NE(first, nullptr) << "an empty folder still lists itself";
  EXPECT_EQ(std::string(first), Path("empty") + "\\.");
  delete[] first;

  int entries = 0;
  bool sawFile = false;
  while (char* entry = FolderEntry(Path("one").c_str(), entries + 1)) {
    sawFile |= std::string(entry) == Path("one/only.txt");
    delete[] entry;
    ++entries;
  }
  EXPECT_EQ(entries, 3);
  EXPECT_TRUE(sawFile);
  EXPECT_EQ(FolderEntry(Path("missing").c_str(), 1), nullptr);
  EXPECT_EQ(FolderEntry(Path("one").c_str(), 0), nullptr);
}

TEST_F(FileTreeTest, CreateSubfolder) {
  EXPECT_NE(CreateSubfolder(root.c_str(), "Product"), 0);
  EXPECT_TRUE(IsFolder("Product"));
  EXPECT_EQ(CreateSubfolder(root.c_str(), "Product"), 0);
  EXPECT_EQ(CreateSubfolder(Path("no/such").c_str(), "Product"), 0);
}

}  // namespace
