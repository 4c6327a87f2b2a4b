// The copy engine: what a copy makes, what it skips and keeps, and the
// all-or-nothing rule: whatever fails, the destination ends as it began.
#include "app/install/CopyEngine.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/install/InstallJob.h"
#include "app/install/InstallTransaction.h"
#include "tests/app/Scratch.h"
#include "tests/app/install/RecordingFlush.h"

namespace {

std::string Pattern(size_t size) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 131 + i / 251) & 0xff);
  return bytes;
}

// Records what a copy tells its observer.
class RecordingObserver : public CopyObserver {
public:
  void FileCopied(const char* source, const char* destination, uint64_t bytes) override {
    copied.push_back(std::string(source) + " -> " + destination + " " + std::to_string(bytes));
    if (afterFile) afterFile(copied.size());
  }
  void CopyFailed(const InstallFailure& failure) override { failures.push_back(failure); }
  std::vector<std::string> copied;
  std::vector<InstallFailure> failures;
  std::function<void(size_t)> afterFile;
};

// A file held open by another handle with the given sharing, until reset.
class HeldFile {
public:
  HeldFile(const std::string& path, DWORD share)
      : handle(CreateFileA(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr)) {}
  ~HeldFile() { Release(); }
  bool Held() const { return handle != INVALID_HANDLE_VALUE; }
  void Release() {
    if (Held()) CloseHandle(handle);
    handle = INVALID_HANDLE_VALUE;
  }

private:
  HANDLE handle;
};

class CopyEngineTest : public ScratchTest {
protected:
  bool Copy(const std::string& destination, const std::string& source, CopyObserver* observer = nullptr,
            CopyTally* tally = nullptr) {
    return CopyTree(Path(destination).c_str(), Path(source).c_str(), tally, observer);
  }
  // The destination's staging folder is never left behind.
  void ExpectNoStaging(const std::string& folder) {
    for (const auto& entry : fs::recursive_directory_iterator(Path(folder)))
      EXPECT_EQ(entry.path().filename().string().rfind(".qvsetup-", 0), std::string::npos) << entry.path();
  }
};

// One pass over each source byte: the file placed, the digest of what was
// placed, and the check against the expected digest agree, for small files
// (hashed in line) and large ones (hashed on the hasher's thread), into an
// empty place, over the same bytes (left as they are) and over bytes that
// differ from some point on (the staged copy takes the equal part from the
// file there).
TEST_F(CopyEngineTest, EachByteIsReadOnceForTheCopyAndItsDigest) {
  const size_t kLarge = 4u << 20;
  const struct {
    const char* what;
    size_t size;
    long firstDifference;  // in the file already there: -1 none there, size: the same bytes
  } cases[] = {
      {"empty, new", 0, -1},
      {"empty, the same there", 0, 0},
      {"one piece, new", 65536, -1},
      {"one piece and a byte, differing in the last", 65537, 65536},
      {"large, new", kLarge + 65536 + 3, -1},
      {"large, the same there", kLarge, static_cast<long>(kLarge)},
      {"large, differing at the first byte", kLarge, 0},
      {"large, differing in its third piece", kLarge + 1, 2 * 65536 + 100},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::error_code ignored;
    fs::remove_all(Path("src"), ignored);
    fs::remove_all(Path("dst"), ignored);
    const std::string bytes = Pattern(c.size);
    Put("src/a.bin", bytes);
    Put("src/b.txt", "small");
    MakeFolder("dst");
    if (c.firstDifference >= 0) {
      std::string there = bytes;
      if (static_cast<size_t>(c.firstDifference) < there.size()) there[c.firstDifference] ^= 0x5A;
      Put("dst/a.bin", there);
    }
    Payload payload;
    InstallFailure failure;
    CopyPlan plan;
    ASSERT_TRUE(WalkPayload(Path("src").c_str(), Path("dst").c_str(), &payload, [](const PayloadProblem&) { return false; }));
    ASSERT_TRUE(PlanCopy(payload, Path("dst"), &plan, &failure));
    const Sha256Digest sha = Sha256::Of(bytes.data(), bytes.size()), small = Sha256::Of("small", 5);
    for (bool right : {false, true}) {
      // First with a wrong digest expected of a.bin: nothing is placed.
      const std::string before = TreeSnapshot("dst");
      Sha256Digest wrong = sha;
      wrong[31] ^= 1;
      CopyDigests digests;
      for (const PayloadEntry& entry : payload.entries)
        digests.expected.push_back(entry.path == "a.bin" ? (right ? &sha : &wrong) : &small);
      InstallTransaction transaction(Path("dst"));
      const bool copied =
          CopyPayload(payload, plan, Path("src"), Path("dst"), transaction, nullptr, nullptr, nullptr, &failure, nullptr,
                      &digests);
      ASSERT_EQ(copied, right) << failure.reason;
      std::vector<InstallFailure> leftovers;
      if (!right) {
        EXPECT_TRUE(failure.distributionChanged);
        EXPECT_EQ(failure.path, Path("src/a.bin"));
        transaction.Rollback(&leftovers);
        EXPECT_EQ(TreeSnapshot("dst"), before);
        continue;
      }
      ASSERT_TRUE(transaction.Commit(&leftovers, &failure)) << failure.reason;
      for (size_t i = 0; i < payload.entries.size(); ++i)
        EXPECT_EQ(digests.found[i], payload.entries[i].path == "a.bin" ? sha : small);
      EXPECT_EQ(Get("dst/a.bin"), bytes);
      EXPECT_EQ(Get("dst/b.txt"), "small");
    }
  }
}

TEST_F(CopyEngineTest, CopiesFilesAndFoldersButNothingNamedWithADot) {
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

TEST_F(CopyEngineTest, ReplacesSameNamedFilesKeepsOthersAndTheSourcesTimes) {
  Put("src/a.txt", "new");
  Put("src/Sub/b.txt", "new b");
  Put("dst/a.txt", "old and longer");
  Put("dst/other.txt", "untouched");
  Put("dst/Sub/c.txt", "also untouched");
  FILETIME past = {0x12345678, 0x01D00000};
  {
    const HANDLE source = CreateFileA(Path("src/a.txt").c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                                      0, nullptr);
    ASSERT_TRUE(SetFileTime(source, nullptr, nullptr, &past));
    CloseHandle(source);
  }
  ASSERT_TRUE(Copy("dst", "src"));
  EXPECT_EQ(Get("dst/a.txt"), "new");
  EXPECT_EQ(Get("dst/Sub/b.txt"), "new b");
  EXPECT_EQ(Get("dst/other.txt"), "untouched");
  EXPECT_EQ(Get("dst/Sub/c.txt"), "also untouched");
  WIN32_FILE_ATTRIBUTE_DATA info;
  ASSERT_TRUE(GetFileAttributesExA(Path("dst/a.txt").c_str(), GetFileExInfoStandard, &info));
  EXPECT_EQ(CompareFileTime(&info.ftLastWriteTime, &past), 0) << "the copy keeps its source's last-write time";
  ExpectNoStaging("dst");
}

// A file already there with exactly the payload file's bytes is left as
// it is (its own times, no second name, nothing to undo); any difference,
// however late in the file, replaces it. A reader holding it, as a host
// holds a loaded plug-in, does not stop an unchanged file's install; a
// writer's lock still fails a changed one's.
TEST_F(CopyEngineTest, AFileWithTheSameBytesIsLeftAsItIs) {
  const std::string big = Pattern(200000);  // more than three chunks
  std::string bigChanged = big;
  bigChanged.back() ^= 1;
  struct Case {
    const char* what;
    std::string there, payload;
    DWORD share;    // a holder's sharing; ~0u: none holds it
    bool left;      // left as it was, else replaced
    bool installs;
  } cases[] = {
      {"the same bytes", "same", "same", ~0u, true, true},
      {"both empty", "", "", ~0u, true, true},
      {"the same large file", big, big, ~0u, true, true},
      {"the last byte differs", bigChanged, big, ~0u, false, true},
      {"another size", "same but longer", "same", ~0u, false, true},
      {"the same bytes, held by a reader", "same", "same", FILE_SHARE_READ, true, true},
      {"other bytes, held without sharing", "old", "new", 0, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::error_code ignored;
    fs::remove_all(Path("src"), ignored);
    fs::remove_all(Path("dst"), ignored);
    Put("src/a.bin", c.payload);
    Put("src/b.txt", "beside it");
    Put("dst/a.bin", c.there);
    const FILETIME past = {0x10000000, 0x01C00000};
    {
      const HANDLE file =
          CreateFileA(Path("dst/a.bin").c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
      SetFileTime(file, &past, nullptr, &past);
      CloseHandle(file);
    }
    const std::string before = TreeSnapshot("dst");
    std::unique_ptr<HeldFile> holder;
    if (c.share != ~0u) holder = std::make_unique<HeldFile>(Path("dst/a.bin"), c.share);
    if (holder) {
      ASSERT_TRUE(holder->Held());
    }
    CopyTally tally;
    RecordingObserver observer;
    EXPECT_EQ(Copy("dst", "src", &observer, &tally), c.installs)
        << (observer.failures.empty() ? "" : observer.failures[0].path + ": " + observer.failures[0].reason);
    holder.reset();
    if (c.installs) {
      EXPECT_EQ(tally.files, 2u) << "a file left in place counts as placed";
      EXPECT_TRUE(Get("dst/a.bin") == c.payload);
      EXPECT_EQ(Get("dst/b.txt"), "beside it");
      WIN32_FILE_ATTRIBUTE_DATA info;
      ASSERT_TRUE(GetFileAttributesExA(Path("dst/a.bin").c_str(), GetFileExInfoStandard, &info));
      EXPECT_EQ(CompareFileTime(&info.ftLastWriteTime, &past) == 0, c.left) << "its own time only when left";
    } else {
      EXPECT_TRUE(TreeSnapshot("dst") == before) << "the earlier install is whole";
    }
    ExpectNoStaging("dst");
  }
}

// Sources are opened shared for reading: another reader, such as a second
// install from the same distribution, does not stop the copy.
TEST_F(CopyEngineTest, ASourceOpenByAnotherReaderIsStillCopied) {
  Put("src/a.txt", "shared");
  HeldFile reader(Path("src/a.txt"), FILE_SHARE_READ);
  ASSERT_TRUE(reader.Held());
  ASSERT_TRUE(Copy("dst", "src"));
  EXPECT_EQ(Get("dst/a.txt"), "shared");
}

TEST_F(CopyEngineTest, ATallyAndTheObserverHearOfEveryFileOnce) {
  Put("src/a.txt", "alpha");
  Put("src/empty.bin", "");
  Put("src/.skipped", "not counted");
  Put("src/Sub/b.bin", Pattern(3 * kCopyChunkSize + 1));
  Put("src/Sub/Deep/c.txt", "c");
  MakeFolder("src/Sub/Empty");
  RecordingObserver observer;
  CopyTally tally;
  ASSERT_TRUE(Copy("dst", "src", &observer, &tally));
  EXPECT_EQ(tally.files, 4u);
  EXPECT_EQ(tally.bytes, 5u + (3 * kCopyChunkSize + 1) + 1u);
  ASSERT_EQ(observer.copied.size(), 4u);
  EXPECT_NE(std::find(observer.copied.begin(), observer.copied.end(),
                      Path("src/Sub/b.bin") + " -> " + Path("dst/Sub/b.bin") + " " +
                          std::to_string(3 * kCopyChunkSize + 1)),
            observer.copied.end());
  EXPECT_TRUE(observer.failures.empty());
  EXPECT_TRUE(IsFolder("dst/Sub/Empty"));
}

// Each way a copy can fail part way, at the first, a middle and the last
// file: the destination ends exactly as it began, bytes and times, with
// the earlier version of every replaced file back; the failure names the
// path and the platform's code.
TEST_F(CopyEngineTest, AFailureAnywhereLeavesTheDestinationAsItWas) {
  // The payload in copy order: 1.txt 2.txt 3.txt (files first), then
  // Sub\4.txt; the destination holds an earlier install of some of them.
  const std::vector<std::string> files = {"1.txt", "2.txt", "3.txt", "Sub/4.txt"};
  struct Case {
    const char* name;
    std::string failing;  // the payload file whose copy fails
    enum How {
      kDestinationHeld,
      kDestinationImmutable,
      kFolderImmutable,
      kSourceHeld,
      kSourceVanished,
      kSourceGrew,
      kSourceTurnedFolder,
      kStopped
    } how;
    DWORD error;
    bool failingPathIsSource;
  };
  const Case cases[] = {
      {"first file, destination in use", "1.txt", Case::kDestinationHeld, ERROR_SHARING_VIOLATION, false},
      {"middle file, destination in use", "3.txt", Case::kDestinationHeld, ERROR_SHARING_VIOLATION, false},
      {"last file, destination in use", "Sub/4.txt", Case::kDestinationHeld, ERROR_SHARING_VIOLATION, false},
      {"middle file, destination cannot be replaced", "2.txt", Case::kDestinationImmutable, ERROR_ACCESS_DENIED,
       false},
      // The second name is made; the rename into the folder is refused.
      {"last file, its folder takes no new name", "Sub/4.txt", Case::kFolderImmutable, ERROR_ACCESS_DENIED, false},
      {"middle file, a folder now where the source was", "2.txt", Case::kSourceTurnedFolder, ERROR_ACCESS_DENIED,
       true},
      {"first file, source held without sharing", "1.txt", Case::kSourceHeld, ERROR_SHARING_VIOLATION, true},
      {"last file, source vanished after the walk", "Sub/4.txt", Case::kSourceVanished, ERROR_FILE_NOT_FOUND, true},
      {"middle file, source grew after the walk", "2.txt", Case::kSourceGrew, ERROR_INVALID_DATA, true},
      {"stopped after the second file", "3.txt", Case::kStopped, ERROR_CANCELLED, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::error_code ignored;
    fs::remove_all(Path("src"), ignored);
    fs::remove_all(Path("dst"), ignored);
    for (const std::string& file : files) Put("src/" + file, "new " + file);
    // An earlier install: 2.txt and Sub\4.txt are there, with a file of its own.
    Put("dst/P/2.txt", "old 2");
    Put("dst/P/Sub/4.txt", "old 4, longer than the new one");
    Put("dst/P/mine.txt", "the user's");
    if (c.how == Case::kDestinationHeld || c.how == Case::kDestinationImmutable)
      Put("dst/P/" + c.failing, "old " + c.failing);
    // A read-only file of the earlier install comes back read-only.
    Put("dst/P/1.txt", "old 1");
    SetFileAttributesA(Path("dst/P/1.txt").c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE);
    const FILETIME past = {0x10000000, 0x01C00000};
    for (const char* old : {"dst/P/2.txt", "dst/P/Sub/4.txt"}) {
      const HANDLE file = CreateFileA(Path(old).c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
      SetFileTime(file, &past, nullptr, &past);
      CloseHandle(file);
    }
    const std::string before = TreeSnapshot("dst");

    Payload payload;
    ASSERT_TRUE(WalkPayload(Path("src").c_str(), Path("dst/P").c_str(), &payload,
                            [](const PayloadProblem&) { return false; }));
    CopyPlan plan;
    InstallFailure failure;
    ASSERT_TRUE(PlanCopy(payload, Path("dst/P"), &plan, &failure)) << failure.reason;

    HeldFile held(c.how == Case::kDestinationHeld ? Path("dst/P/" + c.failing)
                                                  : c.how == Case::kSourceHeld ? Path("src/" + c.failing) : "",
                  0);
    const std::string immutable = c.how == Case::kDestinationImmutable ? UnixPath(Path("dst/P/" + c.failing))
                                  : c.how == Case::kFolderImmutable    ? UnixPath(Path("dst/P/Sub"))
                                                                       : "";
    if (!immutable.empty()) {
      ASSERT_TRUE(RunUnixShell("chattr +i '" + immutable + "'")) << "needs chattr and root";
    }
    if (c.how == Case::kSourceVanished) DeleteFileA(Path("src/" + c.failing).c_str());
    if (c.how == Case::kSourceGrew) Put("src/" + c.failing, "new " + c.failing + " and more");
    if (c.how == Case::kSourceTurnedFolder) {
      DeleteFileA(Path("src/" + c.failing).c_str());
      MakeFolder("src/" + c.failing);
    }
    std::atomic<bool> stop(false);
    RecordingObserver observer;
    if (c.how == Case::kStopped) observer.afterFile = [&](size_t files) { stop = files == 2; };

    InstallTransaction transaction(Path("dst/P"));
    CopyTally tally;
    const bool copied = CopyPayload(payload, plan, Path("src"), Path("dst/P"), transaction, &tally, &observer,
                                    &stop, &failure);
    std::vector<InstallFailure> leftovers;
    transaction.Rollback(&leftovers);
    if (!immutable.empty()) RunUnixShell("chattr -i '" + immutable + "'");
    held.Release();

    EXPECT_FALSE(copied);
    EXPECT_EQ(failure.path, Path((c.failingPathIsSource ? "src/" : "dst/P/") + c.failing));
    EXPECT_EQ(failure.error, c.error) << failure.reason;
    if (c.failingPathIsSource && c.how != Case::kSourceHeld) {
      EXPECT_EQ(failure.reason.rfind(kPayloadChanged, 0), 0u) << failure.reason;
    }
    EXPECT_TRUE(leftovers.empty()) << leftovers.front().path << ": " << leftovers.front().reason;
    EXPECT_EQ(TreeSnapshot("dst"), before);
    EXPECT_EQ(GetFileAttributesA(Path("dst/P/1.txt").c_str()), DWORD(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE));
    SetFileAttributesA(Path("dst/P/1.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
  }
}

// A folder that cannot be made fails with its own path and error, not as
// "path not found" on the first file meant to go in it; what was made
// before it goes again.
TEST_F(CopyEngineTest, AFolderThatCannotBeMadeFailsWithItsOwnPath) {
  Put("src/a.txt", "a");
  Put("src/Sub/Deeper/x.txt", "x");
  Put("dst/Sub/kept.txt", "kept");
  const std::string before = TreeSnapshot("dst");
  const std::string sub = UnixPath(Path("dst/Sub"));
  ASSERT_TRUE(RunUnixShell("chattr +i '" + sub + "'")) << "needs chattr and root";
  RecordingObserver observer;
  const bool copied = Copy("dst", "src", &observer);
  RunUnixShell("chattr -i '" + sub + "'");
  EXPECT_FALSE(copied);
  ASSERT_EQ(observer.failures.size(), 1u);
  EXPECT_EQ(observer.failures[0].path, Path("dst/Sub/Deeper"));
  EXPECT_EQ(observer.failures[0].error, static_cast<uint32_t>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(TreeSnapshot("dst"), before);
}

// The whole tree copy rolls back too, and says why once.
TEST_F(CopyEngineTest, CopyTreeUndoesAFailedCopyAndReportsItOnce) {
  Put("src/a.txt", "a");
  Put("src/Sub/b.txt", "b");
  Put("src/Sub/c.txt", "c");
  Put("dst/Sub/c.txt", "in use");
  const std::string before = TreeSnapshot("dst");
  HeldFile held(Path("dst/Sub/c.txt"), 0);
  RecordingObserver observer;
  SetLastError(0);
  EXPECT_FALSE(Copy("dst", "src", &observer));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  held.Release();
  ASSERT_EQ(observer.failures.size(), 1u);
  EXPECT_EQ(observer.failures[0].path, Path("dst/Sub/c.txt"));
  EXPECT_EQ(TreeSnapshot("dst"), before);
  // A destination that did not exist is gone again.
  HeldFile source(Path("src/Sub/c.txt"), 0);
  EXPECT_FALSE(Copy("fresh", "src"));
  EXPECT_FALSE(Exists("fresh"));
}

// What stands in the way is found before anything is written.
TEST_F(CopyEngineTest, WhatStandsInTheWayFailsThePlan) {
  struct Case {
    const char* name;
    std::function<void()> layOut;
    std::string failing;
    DWORD error;
  };
  const Case cases[] = {
      {"a folder where the payload has a file", [&] { MakeFolder("dst/a.txt"); }, "dst/a.txt", ERROR_ALREADY_EXISTS},
      {"a file where the payload has a folder", [&] { Put("dst/Sub", "file"); }, "dst/Sub", ERROR_ALREADY_EXISTS},
      {"a file where the destination goes", [&] { Put("dst", "file"); }, "dst", ERROR_ALREADY_EXISTS},
      {"a link where the payload has a folder",
       [&] {
         MakeFolder("dst");
         MakeFolder("elsewhere");
         RunUnixShell("ln -s '" + UnixPath(Path("elsewhere")) + "' '" + UnixPath(Path("dst")) + "/Sub'");
       },
       "dst/Sub", ERROR_NOT_SUPPORTED},
      {"a drive that does not exist", [] {}, "J:\\", ERROR_PATH_NOT_FOUND},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::error_code ignored;
    for (const char* folder : {"dst", "src", "elsewhere"}) fs::remove_all(Path(folder), ignored);
    Put("src/a.txt", "a");
    Put("src/Sub/b.txt", "b");
    c.layOut();
    const bool noDrive = c.failing == "J:\\";
    RecordingObserver observer;
    EXPECT_FALSE(noDrive ? CopyTree("J:\\no\\such\\dst", Path("src").c_str(), nullptr, &observer)
                         : Copy("dst", "src", &observer));
    ASSERT_EQ(observer.failures.size(), 1u);
    EXPECT_EQ(observer.failures[0].path, noDrive ? c.failing : Path(c.failing));
    EXPECT_EQ(observer.failures[0].error, c.error);
    EXPECT_TRUE(observer.copied.empty()) << "nothing was written";
    EXPECT_FALSE(Exists("elsewhere/b.txt")) << "nothing was written through the link";
    RunUnixShell("rm -f '" + UnixPath(Path("dst")) + "/Sub'");
  }
}

// Every missing folder of the destination's path is made, and goes again
// with the rest when the copy fails.
TEST_F(CopyEngineTest, MissingFoldersOfTheDestinationAreMadeAndUndone) {
  Put("src/a.txt", "a");
  Put("src/Sub/b.txt", "b");
  MakeFolder("there");
  ASSERT_TRUE(Copy("there/new/deeper/dst", "src"));
  EXPECT_EQ(Listing("there"), "new/ new/deeper/ new/deeper/dst/ new/deeper/dst/Sub/ new/deeper/dst/Sub/b.txt "
                              "new/deeper/dst/a.txt");
  fs::remove_all(Path("there/new"));
  HeldFile held(Path("src/Sub/b.txt"), 0);
  EXPECT_FALSE(Copy("there/new/deeper/dst", "src"));
  EXPECT_EQ(Listing("there"), "");
}

// Where a volume has no hard links, a replaced file's earlier version is
// moved aside instead: replaced, or put back, all the same.
TEST_F(CopyEngineTest, WithoutHardLinksEarlierVersionsAreMovedAside) {
  Put("src/a.txt", "new a");
  Put("src/Sub/b.txt", "new b");
  Put("src/Sub/c.txt", "new c");
  Put("dst/a.txt", "old a");
  Put("dst/Sub/b.txt", "old b");
  const std::string before = TreeSnapshot("dst");
  const auto copy = [&](std::vector<InstallFailure>* leftovers) {
    Payload payload;
    InstallFailure failure;
    CopyPlan plan;
    if (!WalkPayload(Path("src").c_str(), Path("dst").c_str(), &payload, [](const PayloadProblem&) { return false; }) ||
        !PlanCopy(payload, Path("dst"), &plan, &failure))
      return false;
    InstallTransaction transaction(Path("dst"), InstallTransaction::Backups::kMoveAside);
    if (CopyPayload(payload, plan, Path("src"), Path("dst"), transaction, nullptr, nullptr, nullptr, &failure) &&
        transaction.Commit(leftovers, &failure))
      return true;
    transaction.Rollback(leftovers);
    return false;
  };
  std::vector<InstallFailure> leftovers;
  {
    HeldFile held(Path("src/Sub/c.txt"), 0);  // fails the last file, after both replaced
    EXPECT_FALSE(copy(&leftovers));
  }
  EXPECT_TRUE(leftovers.empty());
  EXPECT_EQ(TreeSnapshot("dst"), before);
  EXPECT_TRUE(copy(&leftovers));
  EXPECT_TRUE(leftovers.empty());
  EXPECT_EQ(Listing("dst"), "Sub/ Sub/b.txt Sub/c.txt a.txt");
  EXPECT_EQ(Get("dst/a.txt"), "new a");
  EXPECT_EQ(Get("dst/Sub/b.txt"), "new b");
}

// A read-only file of an earlier install is replaced like any other, and
// its earlier version leaves nothing behind.
TEST_F(CopyEngineTest, ReadOnlyFilesAreReplaced) {
  Put("src/a.txt", "new");
  Put("dst/a.txt", "old");
  SetFileAttributesA(Path("dst/a.txt").c_str(), FILE_ATTRIBUTE_READONLY);
  ASSERT_TRUE(Copy("dst", "src"));
  EXPECT_EQ(Get("dst/a.txt"), "new");
  EXPECT_EQ(GetFileAttributesA(Path("dst/a.txt").c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
  ExpectNoStaging("dst");
}

// Stopping is looked at before every entry, not only inside a file's
// copy: a payload of folders and empty files stops too.
TEST_F(CopyEngineTest, AStopIsSeenBetweenEntries) {
  Put("src/empty1", "");
  Put("src/empty2", "");
  MakeFolder("src/Folder1/Folder2");
  Put("src/Folder1/empty3", "");
  std::atomic<bool> stop(false);
  RecordingObserver observer;
  observer.afterFile = [&](size_t) { stop = true; };
  Payload payload;
  InstallFailure failure;
  ASSERT_TRUE(WalkPayload(Path("src").c_str(), Path("dst").c_str(), &payload, [](const PayloadProblem&) { return false; }));
  CopyPlan plan;
  ASSERT_TRUE(PlanCopy(payload, Path("dst"), &plan, &failure));
  InstallTransaction transaction(Path("dst"));
  EXPECT_FALSE(CopyPayload(payload, plan, Path("src"), Path("dst"), transaction, nullptr, &observer, &stop, &failure));
  EXPECT_EQ(failure.error, static_cast<uint32_t>(ERROR_CANCELLED));
  EXPECT_EQ(observer.copied.size(), 1u);
  std::vector<InstallFailure> leftovers;
  transaction.Rollback(&leftovers);
  EXPECT_FALSE(Exists("dst"));
}

// The walk counts its totals as it goes; a copy that places other totals
// (an entry skipped or placed twice) fails, and is undone.
TEST_F(CopyEngineTest, TheTotalsMustComeToTheWalks) {
  Put("src/a.txt", "alpha");
  Put("dst/kept.txt", "kept");
  const std::string before = TreeSnapshot("dst");
  Payload payload;
  InstallFailure failure;
  ASSERT_TRUE(WalkPayload(Path("src").c_str(), Path("dst").c_str(), &payload, [](const PayloadProblem&) { return false; }));
  CopyPlan plan;
  ASSERT_TRUE(PlanCopy(payload, Path("dst"), &plan, &failure));
  for (uint64_t* total : {&payload.files, &payload.bytes}) {
    ++*total;
    InstallTransaction transaction(Path("dst"));
    EXPECT_FALSE(CopyPayload(payload, plan, Path("src"), Path("dst"), transaction, nullptr, nullptr, nullptr, &failure));
    EXPECT_EQ(failure.error, static_cast<uint32_t>(ERROR_INVALID_DATA));
    EXPECT_NE(failure.reason.find("where the payload has"), std::string::npos) << failure.reason;
    std::vector<InstallFailure> leftovers;
    transaction.Rollback(&leftovers);
    EXPECT_EQ(TreeSnapshot("dst"), before);
    --*total;
  }
}

// A file that shrinks while it is copied is the payload changing, not a
// read fault. It is cut from the Unix side, where no sharing rule stops
// it, once its copy has begun: the file is large enough that the copy is
// still running.
TEST_F(CopyEngineTest, AFileThatShrinksMidCopyIsThePayloadChanging) {
  const std::string big = Path("src/big.bin");
  MakeFolder("src");
  {
    HANDLE file = CreateFileA(big.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    LARGE_INTEGER size;
    size.QuadPart = 256LL << 20;
    SetFilePointerEx(file, size, nullptr, FILE_BEGIN);
    SetEndOfFile(file);
    CloseHandle(file);
  }
  char staging[32];
  std::snprintf(staging, sizeof staging, "dst/.qvsetup-%lx/t0", GetCurrentProcessId());
  const std::string staged = Path(staging);
  std::atomic<bool> done(false);
  std::thread cutter([&] {
    // The staging file of the only entry, once it has bytes in it.
    for (WIN32_FILE_ATTRIBUTE_DATA info; !done; Sleep(1))
      if (GetFileAttributesExA(staged.c_str(), GetFileExInfoStandard, &info) && info.nFileSizeLow > 0) {
        RunUnixShell("truncate -s 4096 '" + UnixPath(big) + "'");
        return;
      }
  });
  RecordingObserver observer;
  const bool copied = Copy("dst", "src", &observer);
  done = true;
  cutter.join();
  ASSERT_FALSE(copied) << "the copy ended before the file was cut";
  ASSERT_EQ(observer.failures.size(), 1u);
  EXPECT_EQ(observer.failures[0].path, big);
  EXPECT_EQ(observer.failures[0].reason.rfind(std::string(kPayloadChanged) + ": the file ended after", 0), 0u)
      << observer.failures[0].reason;
  EXPECT_FALSE(Exists("dst"));
}

// A payload file that is a link to a file elsewhere (Wine shows such a
// link as the file itself) is found when it is opened: what is opened is
// not what the walk found.
TEST_F(CopyEngineTest, AFileReachedThroughALinkIsNotInstalled) {
  Put("src/a.txt", "a");
  Put("secret.txt", "not the payload's");
  ASSERT_TRUE(RunUnixShell("ln -s '" + UnixPath(Path("secret.txt")) + "' '" + UnixPath(Path("src")) + "/b.txt'"));
  RecordingObserver observer;
  EXPECT_FALSE(Copy("dst", "src", &observer));
  ASSERT_EQ(observer.failures.size(), 1u);
  EXPECT_EQ(observer.failures[0].path, Path("src/b.txt"));
  EXPECT_NE(observer.failures[0].reason.find("does not follow links"), std::string::npos);
  EXPECT_FALSE(Exists("dst"));
  RunUnixShell("rm -f '" + UnixPath(Path("src")) + "/b.txt'");
}

TEST_F(CopyEngineTest, CopyFileWholeCopiesEveryChunkBoundary) {
  const uint32_t chunk = 7;
  for (size_t size : {size_t{0}, size_t{1}, size_t{6}, size_t{7}, size_t{8}, size_t{14}, size_t{3 * 7 + 5}}) {
    const std::string bytes = Pattern(size);
    Put("in.bin", bytes);
    DeleteFileA(Path("out.bin").c_str());
    uint64_t copied = 99;
    ASSERT_TRUE(CopyFileWhole(Path("in.bin").c_str(), Path("out.bin").c_str(), chunk, &copied)) << size;
    EXPECT_EQ(copied, size);
    EXPECT_EQ(Get("out.bin"), bytes) << "size " << size;
  }
  SetLastError(0);
  EXPECT_FALSE(CopyFileWhole(Path("in.bin").c_str(), Path("out.bin").c_str())) << "an existing file is kept";
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));
  EXPECT_EQ(Get("out.bin"), Pattern(3 * 7 + 5));
  SetLastError(0);
  EXPECT_FALSE(CopyFileWhole(Path("none.bin").c_str(), Path("new.bin").c_str()));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_FALSE(Exists("new.bin"));
  SetLastError(0);
  EXPECT_FALSE(CopyFileWhole(Path("in.bin").c_str(), Path("no/such/out.bin").c_str()));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

// Files of sysfs claim a page (4096 bytes) and hold a few bytes: a real
// short read. Every Linux machine with sysfs has the first; without any of
// them the removal of a partial file would go untested, so that fails.
TEST_F(CopyEngineTest, AShortReadRemovesThePartialDestination) {
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

// A sparse file past 4 GiB copies whole. The copy itself is not sparse, so
// the test needs that much free space and says so when there is not.
TEST_F(CopyEngineTest, AFileOfMoreThan4GiBCopiesWhole) {
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

}  // namespace

// Every file the commit makes permanent is on the disk before the commit
// line: the flushes, in the order they reach the disk, end with the
// journal's, after every placed file's (an unchanged file left in place
// needs none). A file that cannot be put on the disk fails the commit,
// which writes no commit line, and the install is undone.
std::string JournalName(const InstallTransaction& transaction) {
  const std::string& path = transaction.JournalPath();
  return path.substr(path.rfind('\\') + 1);
}

TEST_F(CopyEngineTest, EveryPlacedFileIsOnTheDiskBeforeTheCommitLine) {
  const struct {
    const char* refused;
    bool commits;
  } cases[] = {
      {"", true},
      {"b.bin", false},  // a file in a new folder
      {"c.bin", false},  // a file that replaced an earlier version
  };
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.refused);
    const std::string src = "src" + std::to_string(++n), dst = "dst" + std::to_string(n);
    Put(src + "/a.bin", std::string(3000, 'a'));
    Put(src + "/sub/b.bin", "b");
    Put(src + "/c.bin", "new c");
    Put(src + "/same.bin", "same");
    Put(dst + "/c.bin", "old c");
    Put(dst + "/same.bin", "same");
    const std::string before = TreeSnapshot(dst);
    Payload payload;
    InstallFailure failure;
    CopyPlan plan;
    ASSERT_TRUE(WalkPayload(Path(src).c_str(), Path(dst).c_str(), &payload, [](const PayloadProblem&) { return false; }));
    ASSERT_TRUE(PlanCopy(payload, Path(dst), &plan, &failure));
    RecordingFlush disk;
    disk.refused = c.refused;
    InstallTransaction transaction(Path(dst));
    transaction.SetDiskFlush(disk);
    ASSERT_TRUE(CopyPayload(payload, plan, Path(src), Path(dst), transaction, nullptr, nullptr, nullptr, &failure))
        << failure.reason;
    std::vector<InstallFailure> leftovers;
    const std::string journal = JournalName(transaction);
    EXPECT_EQ(transaction.Commit(&leftovers, &failure), c.commits);
    std::vector<std::string> files(disk.flushed.begin() + 1, disk.flushed.end());
    if (c.commits) {
      ASSERT_EQ(files.size(), 4u);
      EXPECT_EQ(disk.flushed.front(), journal) << "the plan is on the disk first";
      EXPECT_EQ(files.back(), journal) << "the commit line comes last";
      files.pop_back();
      std::sort(files.begin(), files.end());
      EXPECT_EQ(files, (std::vector<std::string>{"a.bin", "b.bin", "c.bin"}));
      EXPECT_EQ(Get(dst + "/c.bin"), "new c");
      continue;
    }
    EXPECT_EQ(std::count(files.begin(), files.end(), journal), 0) << "no commit line after a failed flush";
    EXPECT_EQ(failure.path, Path(dst + "/" + std::string(c.refused == std::string("b.bin") ? "sub\\b.bin" : c.refused)));
    EXPECT_EQ(failure.error, static_cast<uint32_t>(ERROR_IO_DEVICE));
    EXPECT_EQ(failure.reason, "the file could not be written to the disk");
    transaction.Rollback(&leftovers);
    EXPECT_TRUE(leftovers.empty());
    EXPECT_EQ(TreeSnapshot(dst), before);
  }
}
