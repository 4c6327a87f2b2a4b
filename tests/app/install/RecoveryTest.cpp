// Recovery after a killed install: each moment an install can die at,
// laid out by hand on the disk with the journal it would have left, then
// put right by the next run. The earlier install must come back exactly
// (bytes, times, attributes) and the staging folder must go; what cannot
// be trusted is left alone.
#include "app/install/InstallRecovery.h"

#include <windows.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <string>
#include <thread>

#include "app/install/AdminFolder.h"
#include "app/install/InstallJournal.h"
#include "app/install/InstallLock.h"
#include "app/install/InstallLog.h"
#include "app/install/JournalFile.h"
#include "common/Sha256.h"
#include "tests/app/Scratch.h"

namespace {

constexpr uint32_t kReadOnlyArchive = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE;

class RecoveryTest : public ScratchTest {
protected:
  void SetUp() override {
    ScratchTest::SetUp();
    root = Path("dst/P");
  }
  void TearDown() override {
    SetFileAttributesA(Path("dst/P/ro.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
    ClearJournals(root);
    ScratchTest::TearDown();
  }

  // The journals of folder's installs, which lie outside the scratch folder.
  static void ClearJournals(const std::string& folder) {
    const std::string prefix = JournalPrefixOf(folder);
    const std::string journals = prefix.substr(0, prefix.rfind('\\'));
    WIN32_FIND_DATAA data;
    const HANDLE find = FindFirstFileA((prefix + "*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    do DeleteFileA((journals + "\\" + data.cFileName).c_str());
    while (FindNextFileA(find, &data));
    FindClose(find);
  }

  // An earlier install: two files, one read-only, and one in a folder,
  // all with times of their own.
  void EarlierInstall() {
    Put("dst/P/a.txt", "old a");
    Put("dst/P/ro.txt", "old ro");
    Put("dst/P/Sub/b.txt", "old b");
    const FILETIME past = {0x10000000, 0x01C00000};
    for (const char* file : {"dst/P/a.txt", "dst/P/ro.txt", "dst/P/Sub/b.txt"}) {
      const HANDLE handle = CreateFileA(Path(file).c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
      SetFileTime(handle, &past, nullptr, &past);
      CloseHandle(handle);
    }
    SetFileAttributesA(Path("dst/P/ro.txt").c_str(), kReadOnlyArchive);
  }

  std::string Staging(const std::string& relative = "") const {
    return "dst/P/.qvsetup-63" + (relative.empty() ? "" : "/" + relative);
  }
  std::string Header() const { return JournalHeaderLine(root, 99, ".qvsetup-63"); }
  // The journal where the installer keeps its own, for the staging folder.
  std::string JournalPath() const { return JournalPathOf(root, ".qvsetup-63"); }
  void Journal(const std::string& lines) { PutAt(JournalPath(), lines); }
  static void PutAt(const std::string& path, const std::string& bytes) {
    std::vector<std::string> made;
    InstallFailure failure;
    ASSERT_TRUE(MakeAdminFolders(JournalFolder(), &made, &failure)) << failure.reason;
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
  }
  // The step of entry index, which placed a file of these bytes.
  static std::string Step(uint32_t index, const std::string& bytes) {
    return JournalPlaceLine(index, {bytes.size(), Sha256::Of(bytes.data(), bytes.size())});
  }
  // The earlier version of a file, given its second name in the staging
  // folder as the install does.
  void LinkBackup(const std::string& file, uint32_t index) {
    MakeFolder(Staging("b0"));
    ASSERT_TRUE(CreateHardLinkA(Path(Staging("b0/" + std::to_string(index))).c_str(), Path(file).c_str(), nullptr));
  }
  // The new version swapped in, as the install's rename does.
  void SwapIn(const std::string& file, const std::string& bytes) {
    Put("new.tmp", bytes);
    ASSERT_TRUE(MoveFileExA(Path("new.tmp").c_str(), Path(file).c_str(), MOVEFILE_REPLACE_EXISTING));
  }

  bool Recover(InstallFailure* failure) {
    InstallLog log(Path("recovery.log").c_str());
    return RecoverInterruptedInstalls(root, &log, failure);
  }

  std::string root;
};

// Each moment of a re-install: the earlier install comes back whole.
TEST_F(RecoveryTest, EveryMomentOfAReinstallIsUndone) {
  const auto plan = [](JournalStep step, uint32_t index, const char* path, uint32_t attributes = 0) {
    return JournalPlanLine({step, index, attributes, path});
  };
  const std::string replaceA = plan(JournalStep::kReplaceFile, 1, "a.txt", FILE_ATTRIBUTE_ARCHIVE);
  const std::string replaceRo = plan(JournalStep::kReplaceFile, 2, "ro.txt", kReadOnlyArchive);
  const std::string newC = plan(JournalStep::kNewFile, 3, "c.txt");
  // An upgrade's removal of an earlier version's file, and an uninstall's.
  const std::string removeRo = plan(JournalStep::kRemoveFile, 4, "ro.txt", kReadOnlyArchive);
  const struct Case {
    const char* name;
    std::function<void()> crash;  // from the earlier install to the moment of death
  } cases[] = {
      {"killed with the plan written, nothing begun",
       [&] { Journal(Header() + replaceA + newC + JournalPlanEndLine(2)); }},
      {"killed with the new contents staged",
       [&] {
         Journal(Header() + replaceA + JournalPlanEndLine(1) + Step(1, "new a"));
         Put(Staging("t1"), "new a");
       }},
      {"killed with the second name made, not yet swapped",
       [&] {
         Journal(Header() + replaceA + JournalPlanEndLine(1) + Step(1, "new a"));
         LinkBackup("dst/P/a.txt", 1);
         Put(Staging("t1"), "new a");
       }},
      {"killed after the swap",
       [&] {
         Journal(Header() + replaceA + JournalPlanEndLine(1) + Step(1, "new a"));
         LinkBackup("dst/P/a.txt", 1);
         SwapIn("dst/P/a.txt", "new a");
       }},
      {"killed after a read-only file's attribute was cleared",
       [&] {
         Journal(Header() + replaceRo + JournalPlanEndLine(1) + Step(2, "new ro"));
         LinkBackup("dst/P/ro.txt", 2);
         SetFileAttributesA(Path("dst/P/ro.txt").c_str(), FILE_ATTRIBUTE_ARCHIVE);
         Put(Staging("t2"), "new ro");
       }},
      {"killed after a read-only file was swapped",
       [&] {
         Journal(Header() + replaceRo + JournalPlanEndLine(1) + Step(2, "new ro"));
         LinkBackup("dst/P/ro.txt", 2);
         SetFileAttributesA(Path("dst/P/ro.txt").c_str(), FILE_ATTRIBUTE_ARCHIVE);
         SwapIn("dst/P/ro.txt", "new ro");
       }},
      {"killed with the file moved away, on a volume without hard links",
       [&] {
         Journal(Header() + replaceA + JournalPlanEndLine(1) + Step(1, "new a"));
         MakeFolder(Staging("b0"));
         ASSERT_TRUE(MoveFileA(Path("dst/P/a.txt").c_str(), Path(Staging("b0/1")).c_str()));
         Put(Staging("t1"), "new a");
       }},
      {"killed with a removal announced, the file still there",
       [&] { Journal(Header() + removeRo + JournalPlanEndLine(1) + JournalBeginLine(4)); }},
      {"killed with a read-only file removed into the staging folder",
       [&] {
         Journal(Header() + removeRo + JournalPlanEndLine(1) + JournalBeginLine(4));
         MakeFolder(Staging("b0"));
         ASSERT_TRUE(MoveFileA(Path("dst/P/ro.txt").c_str(), Path(Staging("b0/4")).c_str()));
       }},
      {"killed after a new file was placed",
       [&] {
         Journal(Header() + newC + JournalPlanEndLine(1) + Step(3, "new c"));
         Put("dst/P/c.txt", "new c");
       }},
      {"killed with a new file staged, not placed",
       [&] {
         Journal(Header() + newC + JournalPlanEndLine(1) + Step(3, "new c"));
         Put(Staging("t3"), "new c");
       }},
      {"killed in a new folder",
       [&] {
         Journal(Header() + plan(JournalStep::kMakeFolder, 4, "New") + plan(JournalStep::kNewFile, 5, "New\\d.txt") +
                 JournalPlanEndLine(2) + JournalBeginLine(4) + Step(5, "new d"));
         Put("dst/P/New/d.txt", "new d");
       }},
      {"killed while it was undoing itself",
       [&] {
         // a.txt already back, c.txt already gone: undone twice is no harm.
         Journal(Header() + replaceA + newC + JournalPlanEndLine(2) + Step(1, "new a") + Step(3, "new c"));
         MakeFolder(Staging("b0"));
       }},
      {"killed writing the line of a step",
       [&] { Journal(Header() + replaceA + JournalPlanEndLine(1) + Step(1, "new a").substr(0, 3)); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::error_code ignored;
    SetFileAttributesA(Path("dst/P/ro.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
    fs::remove_all(Path("dst"), ignored);
    EarlierInstall();
    const std::string before = TreeSnapshot("dst");
    c.crash();
    InstallFailure failure;
    EXPECT_TRUE(Recover(&failure)) << failure.reason;
    EXPECT_EQ(TreeSnapshot("dst"), before);
    EXPECT_EQ(GetFileAttributesA(Path("dst/P/ro.txt").c_str()), kReadOnlyArchive);
  }
  EXPECT_NE(Get("recovery.log").find("recovered: " + Path(Staging()) + ": the install of process 99 was interrupted; "
                                     "undone: 1 file removed, 0 replaced files put back, 1 folder removed"),
            std::string::npos)
      << Get("recovery.log");
}

// A file placed by someone else while the install ran, under a name the
// install never got to, is not the install's to remove.
TEST_F(RecoveryTest, OnlyWhatTheInstallBeganIsUndone) {
  // Not begun; begun with its contents still staged (the rename that
  // would have placed it never came): either way the file there is not
  // the install's.
  for (bool begun : {false, true}) {
    SCOPED_TRACE(begun ? "begun, still staged" : "not begun");
    EarlierInstall();
    Journal(Header() + JournalPlanLine({JournalStep::kNewFile, 3, 0, "c.txt"}) + JournalPlanEndLine(1) +
            (begun ? Step(3, "the install's") : ""));
    if (begun) Put(Staging("t3"), "the install's");
    Put("dst/P/c.txt", "someone else's");
    InstallFailure failure;
    EXPECT_TRUE(Recover(&failure));
    EXPECT_EQ(Get("dst/P/c.txt"), "someone else's");
    EXPECT_FALSE(Exists(Staging()));
  }
}

// Committed, then killed before the earlier versions were gone: the
// install is finished, not undone.
TEST_F(RecoveryTest, ACommittedInstallIsFinished) {
  EarlierInstall();
  Journal(Header() + JournalPlanLine({JournalStep::kReplaceFile, 2, kReadOnlyArchive, "ro.txt"}) +
          JournalPlanLine({JournalStep::kNewFile, 3, 0, "c.txt"}) + JournalPlanEndLine(2) + Step(2, "new ro") +
          Step(3, "new c") + JournalCommitLine());
  LinkBackup("dst/P/ro.txt", 2);
  SetFileAttributesA(Path("dst/P/ro.txt").c_str(), kReadOnlyArchive);  // the earlier version, read-only
  SwapIn("dst/P/ro.txt", "new ro");
  Put("dst/P/c.txt", "new c");
  InstallFailure failure;
  EXPECT_TRUE(Recover(&failure)) << failure.reason;
  EXPECT_EQ(Listing("dst/P"), "Sub/ Sub/b.txt a.txt c.txt ro.txt");
  EXPECT_EQ(Get("dst/P/ro.txt"), "new ro");
  EXPECT_NE(Get("recovery.log").find("was interrupted after it was done; it is finished"), std::string::npos);
}

// The folders a fresh install made for its location go again, up to the
// first that holds something else.
TEST_F(RecoveryTest, FoldersMadeForTheLocationGo) {
  // The root as the journal names it, or in another letter case: one folder.
  for (bool otherCase : {false, true}) {
    SCOPED_TRACE(otherCase ? "recovered in another letter case" : "recovered as written");
    const std::string written = Path("made/deeper/P");
    root = written;
    if (otherCase)
      for (char& c : root) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    Put("made/kept.txt", "the user's");
    MakeFolder("made/deeper/P/.qvsetup-63");
    PutAt(JournalPathOf(written, ".qvsetup-63"),
          JournalHeaderLine(written, 99, ".qvsetup-63") + JournalMadeLine(Path("made/deeper")) +
              JournalMadeLine(written) + JournalPlanLine({JournalStep::kNewFile, 0, 0, "a.txt"}) +
              JournalPlanEndLine(1) + Step(0, "new a"));
    Put("made/deeper/P/a.txt", "new a");
    InstallFailure failure;
    EXPECT_TRUE(Recover(&failure)) << failure.reason;
    EXPECT_EQ(Listing("made"), "kept.txt");
  }
}

// A staging folder that cannot be trusted is kept, as it is, and told;
// nothing outside the root is ever touched. Only a journal where the
// installer keeps its own is acted on: one inside the staging folder is
// what whoever can write to the install folder can lay out.
TEST_F(RecoveryTest, WhatCannotBeTrustedIsLeftAlone) {
  Put("outside/secret.txt", "not the install's");
  const std::string outside = TreeSnapshot("outside");
  const std::string untrusted = "no journal of this installer's own tells what it holds";
  const struct Case {
    const char* name;
    std::function<void()> layOut;
    std::string told;
  } cases[] = {
      {"no journal (an installer without one)", [&] { Put(Staging("b0/1"), "an earlier version"); },
       Path(Staging()) + ": " + untrusted},
      {"a journal inside the staging folder, whose backup is a link to a file outside",
       [&] {
         EarlierInstall();
         Put(Staging("journal"), Header() + JournalPlanLine({JournalStep::kReplaceFile, 1, 0x20, "x.txt"}) +
                                     JournalPlanEndLine(1) + Step(1, "x"));
         MakeFolder(Staging("b0"));
         ASSERT_TRUE(RunUnixShell("ln -s '" + UnixPath(Path("outside/secret.txt")) + "' '" +
                                  UnixPath(Path(Staging("b0/1"))) + "'"));
       },
       Path(Staging()) + ": " + untrusted},
      {"a journal inside the staging folder naming the user's files and folders",
       [&] {
         EarlierInstall();
         Put(Staging("journal"),
             Header() + JournalMadeLine(root) + JournalPlanLine({JournalStep::kMakeFolder, 1, 0, "Empty"}) +
                 JournalPlanLine({JournalStep::kNewFile, 2, 0, "a.txt"}) +
                 JournalPlanLine({JournalStep::kReplaceFile, 3, 0x21, "ro.txt"}) + JournalPlanEndLine(3) +
                 JournalBeginLine(1) + Step(2, "old a") + Step(3, "planted"));
         MakeFolder("dst/P/Empty");
         Put(Staging("b0/3"), "planted");
       },
       Path(Staging()) + ": " + untrusted},
      {"a damaged journal",
       [&] {
         MakeFolder(Staging());
         std::string lines = Header() + JournalPlanLine({JournalStep::kNewFile, 1, 0, "a.txt"}) + JournalPlanEndLine(1);
         lines[lines.size() / 2] ^= 1;
         Journal(lines);
       },
       "it cannot be read: a line is damaged"},
      {"a journal that leads out of the root",
       [&] {
         MakeFolder(Staging());
         Journal(Header() + JournalPlanLine({JournalStep::kNewFile, 1, 0, "..\\..\\outside\\secret.txt"}) +
                 JournalPlanEndLine(1) + JournalBeginLine(1));
       },
       "it cannot be read"},
      {"a staging folder that is a link",
       [&] {
         MakeFolder("dst/P");
         ASSERT_TRUE(RunUnixShell("ln -s '" + UnixPath(Path("outside")) + "' '" + UnixPath(Path(Staging())) + "'"));
       },
       Path(Staging()) + ": it is a link or a junction"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetFileAttributesA(Path("dst/P/ro.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
    RunUnixShell("rm -rf '" + UnixPath(Path("dst")) + "'");
    ClearJournals(root);
    DeleteFileA(Path("recovery.log").c_str());
    c.layOut();
    const std::string before = TreeSnapshot("dst");
    InstallFailure failure;
    EXPECT_TRUE(Recover(&failure)) << "an install may go on beside it";
    EXPECT_EQ(TreeSnapshot("dst"), before);
    EXPECT_EQ(TreeSnapshot("outside"), outside);
    EXPECT_NE(Get("recovery.log").find("kept: "), std::string::npos);
    EXPECT_NE(Get("recovery.log").find(c.told), std::string::npos) << Get("recovery.log");
  }
  SetFileAttributesA(Path("dst/P/ro.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
  RunUnixShell("rm -rf '" + UnixPath(Path("dst")) + "'");
}

// A journal's steps act only on what the install itself made: a backup
// that is a link, or a second name of a file outside, and a file in place
// with names elsewhere are never moved, deleted or changed through, and
// the run says what it left. Whoever can write to an install folder can
// lay any of these out.
TEST_F(RecoveryTest, ForgedStepsNeverActThroughLinks) {
  const auto plan = [](JournalStep step, uint32_t index, const char* path, uint32_t attributes = 0) {
    return JournalPlanLine({step, index, attributes, path});
  };
  const struct Case {
    const char* name;
    std::function<void()> layOut;
    const char* told;
  } cases[] = {
      {"a backup that is a second name of a file outside",
       [&] {
         Journal(Header() + plan(JournalStep::kReplaceFile, 1, "a.txt", FILE_ATTRIBUTE_ARCHIVE) + JournalPlanEndLine(1) +
                 Step(1, "new a"));
         LinkBackup("outside/secret.txt", 1);
       },
       "is not the earlier version of"},
      {"a backup that is a symbolic link to a file outside",
       [&] {
         Journal(Header() + plan(JournalStep::kReplaceFile, 1, "a.txt", FILE_ATTRIBUTE_ARCHIVE) + JournalPlanEndLine(1) +
                 Step(1, "new a"));
         MakeFolder(Staging("b0"));
         ASSERT_TRUE(RunUnixShell("ln -s '" + UnixPath(Path("outside/secret.txt")) + "' '" +
                                  UnixPath(Path(Staging("b0/1"))) + "'"));
       },
       "is not the earlier version of"},
      {"a new file that has a name outside",
       [&] {
         Journal(Header() + plan(JournalStep::kNewFile, 1, "a.txt") + JournalPlanEndLine(1) +
                 Step(1, "not the install's"));
         ASSERT_TRUE(DeleteFileA(Path("dst/P/a.txt").c_str()));
         ASSERT_TRUE(CreateHardLinkA(Path("dst/P/a.txt").c_str(), Path("outside/secret.txt").c_str(), nullptr));
       },
       "is not a file the install placed"},
      {"a read-only file outside linked in place and as the backup, not yet swapped",
       [&] {
         Journal(Header() + plan(JournalStep::kReplaceFile, 1, "ro.txt", kReadOnlyArchive) + JournalPlanEndLine(1) +
                 Step(1, "new ro"));
         Put(Staging("t1"), "new ro");
         SetFileAttributesA(Path("dst/P/ro.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
         ASSERT_TRUE(DeleteFileA(Path("dst/P/ro.txt").c_str()));
         ASSERT_TRUE(CreateHardLinkA(Path("dst/P/ro.txt").c_str(), Path("outside/secret.txt").c_str(), nullptr));
         LinkBackup("outside/secret.txt", 1);
       },
       "is not the earlier version of"},
      // Trusted steps still remove only the bytes the install placed.
      {"a new file step over a file of other bytes (the user's, since)",
       [&] { Journal(Header() + plan(JournalStep::kNewFile, 1, "a.txt") + JournalPlanEndLine(1) + Step(1, "new a")); },
       "is not a file the install placed"},
      {"a replaced file changed since it was placed",
       [&] {
         Journal(Header() + plan(JournalStep::kReplaceFile, 1, "a.txt", FILE_ATTRIBUTE_ARCHIVE) +
                 JournalPlanEndLine(1) + Step(1, "new a"));
         MakeFolder(Staging("b0"));
         ASSERT_TRUE(MoveFileA(Path("dst/P/a.txt").c_str(), Path(Staging("b0/1")).c_str()));
         Put("dst/P/a.txt", "the user's own since");
       },
       "is not the file the install placed"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RunUnixShell("rm -rf '" + UnixPath(Path("dst")) + "' '" + UnixPath(Path("outside")) + "'");
    DeleteFileA(Path("recovery.log").c_str());
    Put("outside/secret.txt", "not the install's");
    SetFileAttributesA(Path("outside/secret.txt").c_str(), kReadOnlyArchive);
    EarlierInstall();
    c.layOut();
    // What is there but the hidden staging folder, which may go.
    const auto files = [&] {
      std::string kept, snapshot = TreeSnapshot("dst");
      for (size_t at = 0, end; at < snapshot.size(); at = end + 1) {
        end = snapshot.find('\n', at);
        const std::string line = snapshot.substr(at, end - at);
        if (line.find(".qvsetup-") == std::string::npos) kept += line + "\n";
      }
      return kept;
    };
    const std::string inside = files(), outside = TreeSnapshot("outside");
    InstallFailure failure;
    Recover(&failure);
    EXPECT_EQ(TreeSnapshot("outside"), outside);
    EXPECT_EQ(GetFileAttributesA(Path("outside/secret.txt").c_str()), kReadOnlyArchive);
    EXPECT_EQ(files(), inside);
    EXPECT_NE(Get("recovery.log").find(c.told), std::string::npos) << Get("recovery.log");
    SetFileAttributesA(Path("outside/secret.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
  }
  RunUnixShell("rm -rf '" + UnixPath(Path("dst")) + "' '" + UnixPath(Path("outside")) + "'");
}

// A journal still open for writing belongs to an install that is running.
TEST_F(RecoveryTest, AnInstallStillRunningIsNotTouched) {
  EarlierInstall();
  Journal(Header() + JournalPlanLine({JournalStep::kNewFile, 3, 0, "c.txt"}) + JournalPlanEndLine(1) +
          Step(3, "being installed"));
  Put("dst/P/c.txt", "being installed");
  const HANDLE running = CreateFileA(JournalPath().c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                     OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(running, INVALID_HANDLE_VALUE);
  InstallFailure failure;
  EXPECT_FALSE(Recover(&failure));
  CloseHandle(running);
  EXPECT_EQ(failure.reason, kAnotherInstallation);
  EXPECT_EQ(Get("dst/P/c.txt"), "being installed");
}

// An earlier version that cannot be put back keeps its staging folder and
// stops the install that found it; a later run finishes the job.
TEST_F(RecoveryTest, WhatCannotBeUndoneIsTakenUpAgainLater) {
  EarlierInstall();
  const std::string before = TreeSnapshot("dst");
  Journal(Header() + JournalPlanLine({JournalStep::kReplaceFile, 1, FILE_ATTRIBUTE_ARCHIVE, "Sub\\b.txt"}) +
          JournalPlanEndLine(1) + Step(1, "new b"));
  LinkBackup("dst/P/Sub/b.txt", 1);
  SwapIn("dst/P/Sub/b.txt", "new b");
  const std::string sub = UnixPath(Path("dst/P/Sub"));
  ASSERT_TRUE(RunUnixShell("chattr +i '" + sub + "'")) << "needs chattr and root";
  InstallFailure failure;
  const bool recovered = Recover(&failure);
  RunUnixShell("chattr -i '" + sub + "'");
  EXPECT_FALSE(recovered);
  EXPECT_NE(failure.reason.find("could not all be undone"), std::string::npos) << failure.reason;
  EXPECT_EQ(Get(Staging("b0/1")), "old b") << "the earlier version is kept";
  EXPECT_TRUE(Recover(&failure)) << failure.reason;
  EXPECT_EQ(TreeSnapshot("dst"), before);

  // A staged file that cannot go keeps the journal, which a later run
  // needs to know what the staging folder holds.
  Journal(Header() + JournalPlanLine({JournalStep::kNewFile, 3, 0, "c.txt"}) + JournalPlanEndLine(1) +
          Step(3, "new c"));
  Put(Staging("t3"), "new c");
  {
    const HANDLE held = CreateFileA(Path(Staging("t3")).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(Recover(&failure));
    CloseHandle(held);
  }
  EXPECT_NE(GetFileAttributesA(JournalPath().c_str()), INVALID_FILE_ATTRIBUTES)
      << "the journal went before the staged file";
  EXPECT_TRUE(Recover(&failure)) << failure.reason;
  EXPECT_FALSE(Exists(Staging()));
}

// A staging folder whose contents cannot be listed (here a file where it
// should be) tells nothing of what was staged or kept: no step is undone
// by guessing, each one that began is told, and the journal stays.
TEST_F(RecoveryTest, AStagingFolderThatCannotBeListedIsToldNotGuessed) {
  EarlierInstall();
  Journal(Header() + JournalPlanLine({JournalStep::kReplaceFile, 1, FILE_ATTRIBUTE_ARCHIVE, "a.txt"}) +
          JournalPlanLine({JournalStep::kNewFile, 2, 0, "c.txt"}) + JournalPlanEndLine(2) + Step(1, "new a") +
          Step(2, "new c"));
  SwapIn("dst/P/a.txt", "new a");
  Put("dst/P/c.txt", "new c");
  Put(Staging(), "not a folder");
  const std::string before = TreeSnapshot("dst");
  InstallFailure failure;
  EXPECT_FALSE(Recover(&failure));
  EXPECT_EQ(TreeSnapshot("dst"), before);
  const std::string log = Get("recovery.log");
  for (const char* file : {"a.txt", "c.txt"})
    EXPECT_NE(log.find(Path("dst/P/") + file + ": not recovered: the staging folder " + Path(Staging()) +
                       " could not be listed, so this step was not undone"),
              std::string::npos)
        << log;
  EXPECT_NE(GetFileAttributesA(JournalPath().c_str()), INVALID_FILE_ATTRIBUTES) << "the journal went";
}

// One install per folder: a second one, on another thread or by another
// spelling of the folder, is refused until the first lets go.
TEST_F(RecoveryTest, TheLockKeepsOneInstallPerFolder) {
  MakeFolder("dst/P");
  const auto takeElsewhere = [](const std::string& folder) {
    bool taken = false;
    InstallFailure failure;
    std::thread([&] {
      InstallLock other;
      taken = other.Take(folder, &failure);
    }).join();
    return taken;
  };
  {
    InstallLock lock;
    InstallFailure failure;
    ASSERT_TRUE(lock.Take(root, &failure)) << failure.reason;
    EXPECT_FALSE(takeElsewhere(root));
    std::string upper = root;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_FALSE(takeElsewhere(upper)) << "letter case does not make another folder";
    // Nor for a folder that is not there yet, whose name the platform
    // cannot resolve.
    InstallLock unmade;
    ASSERT_TRUE(unmade.Take(Path("dst/Not Yet"), &failure)) << failure.reason;
    EXPECT_FALSE(takeElsewhere(Path("dst/NOT YET")));
    EXPECT_TRUE(takeElsewhere(Path("dst/Other")));
    EXPECT_TRUE(takeElsewhere(Path("dst"))) << "the folder above is another install's";
  }
  EXPECT_TRUE(takeElsewhere(root)) << "released when the install ends";
  // An install killed holding the lock leaves it abandoned: the next run
  // takes it. (The lock is left unreleased by a thread that ends, as a
  // process that is killed leaves it.)
  InstallLock* killed = new InstallLock;
  std::thread([&] {
    InstallFailure failure;
    ASSERT_TRUE(killed->Take(root, &failure));
  }).join();
  EXPECT_TRUE(takeElsewhere(root)) << "an abandoned lock is free";
  delete killed;  // its handle closed; its release, on another thread, does nothing
  {
    // Another's lock that this process may not even open (as an elevated
    // install's is to one that is not): held, not a reason to take a lock
    // of this session alone.
    PSECURITY_DESCRIPTOR denied = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:(D;;GA;;;WD)", SDDL_REVISION_1, &denied,
                                                                     nullptr));
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, denied, FALSE};
    const HANDLE theirs = CreateMutexW(&attributes, FALSE, InstallLockName(root).c_str());
    LocalFree(denied);
    ASSERT_NE(theirs, nullptr);
    InstallLock lock;
    InstallFailure failure;
    EXPECT_FALSE(lock.Take(root, &failure));
    EXPECT_EQ(failure.reason, kAnotherInstallation);
    CloseHandle(theirs);
  }
  EXPECT_TRUE(takeElsewhere(root));
}

// A path is inside a folder at a backslash, whatever the letter case; a
// sibling whose name only begins like the folder's is not ("P2" beside "P").
TEST_F(RecoveryTest, APathIsInsideAFolderOnlyBelowIt) {
  MakeFolder("P/Sub");
  MakeFolder("P2");
  std::string upper = Path("P");
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  const struct {
    std::string path;
    bool inside;
  } cases[] = {
      {Path("P"), true},
      {Path("P/Sub/install.log"), true},
      {upper + "\\Sub\\install.log", true},
      {Path("P2/install.log"), false},
      {Path("P2"), false},
      {Path("install.log"), false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsInsideFolder(c.path, Path("P")), c.inside) << c.path;
}

}  // namespace
