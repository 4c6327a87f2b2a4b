// Removing what a record names, in-process: exactly the unchanged recorded
// files and the empty made folders go, all or nothing, never through a
// link.
#include "app/install/UninstallJob.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/install/CopyEngine.h"
#include "app/install/InstallRecord.h"
#include "app/install/InstallTransaction.h"
#include "app/install/PayloadWalk.h"
#include "common/ContentHash.h"
#include "common/Sha256.h"
#include "tests/app/Scratch.h"

namespace {

class UninstallJobTest : public ScratchTest {
protected:
  // An install of files (path, bytes) into made/P, the record of it: the
  // install made "made" and "P" and the folders the files name.
  InstallRecord Installed(std::initializer_list<std::pair<std::string, std::string>> files,
                          std::initializer_list<std::string> folders) {
    InstallRecord record;
    record.product = "P";
    record.kind = TargetApplication;
    record.location = Path("made");
    record.destination = Path("made/P");
    record.madeAbove = 2;
    MakeFolder("made/P");
    for (const std::string& folder : folders) {
      MakeFolder("made/P/" + folder);
      record.folders.push_back(Windows(folder));
    }
    for (const auto& file : files) {
      Put("made/P/" + file.first, file.second);
      // Both digests: the record is good in either form.
      record.files.push_back({Windows(file.first), file.second.size(),
                              ContentHash::Of(file.second.data(), file.second.size()),
                              Sha256::Of(file.second.data(), file.second.size())});
    }
    return record;
  }
  static std::string Windows(std::string path) {
    for (char& c : path)
      if (c == '/') c = '\\';
    return path;
  }
};

TEST_F(UninstallJobTest, OnlyUnchangedRecordedFilesAndEmptyMadeFoldersGo) {
  const InstallRecord record =
      Installed({{"a.txt", "alpha"}, {"Sub/b.txt", "beta"}, {"Sub/Deep/c.txt", "gamma"}, {"gone.txt", "g"}},
                {"Sub", "Sub/Deep"});
  Put("made/P/Sub/b.txt", "betA");         // changed since: same size, other bytes
  Put("made/P/Sub/Deep/mine.txt", "mine");  // the user's own
  DeleteFileA(Path("made/P/gone.txt").c_str());
  const RemovalOutcome outcome = RemoveInstalledFiles(record, nullptr);
  ASSERT_TRUE(outcome.removed) << outcome.failure.reason;
  EXPECT_EQ(outcome.files, 2u);
  ASSERT_EQ(outcome.kept.size(), 1u);
  EXPECT_EQ(outcome.kept[0], "Sub\\b.txt");
  EXPECT_EQ(Listing("made"), "P/ P/Sub/ P/Sub/Deep/ P/Sub/Deep/mine.txt P/Sub/b.txt");

  // Without what held them, the made folders go, up to the outermost.
  DeleteFileA(Path("made/P/Sub/Deep/mine.txt").c_str());
  Put("made/P/Sub/b.txt", "beta");
  EXPECT_TRUE(RemoveInstalledFiles(record, nullptr).removed);
  EXPECT_FALSE(Exists("made"));
  EXPECT_NE(GetFileAttributesA(root.c_str()), INVALID_FILE_ATTRIBUTES) << "a folder more than the install made went";
  // A folder that is gone leaves nothing to do.
  EXPECT_TRUE(RemoveInstalledFiles(record, nullptr).removed);
}

TEST_F(UninstallJobTest, AFileInUseFailsItWithNothingChanged) {
  const InstallRecord record = Installed({{"1.txt", "one"}, {"Sub/2.txt", "two"}, {"Sub/3.txt", "three"}}, {"Sub"});
  const std::string before = TreeSnapshot("made");
  // Shared for reading, not for deletion: the hash reads it, the removal
  // cannot take it.
  const HANDLE held = CreateFileA(Path("made/P/Sub/3.txt").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  const RemovalOutcome outcome = RemoveInstalledFiles(record, nullptr);
  CloseHandle(held);
  EXPECT_FALSE(outcome.removed);
  EXPECT_EQ(outcome.failure.path, Path("made/P/Sub/3.txt"));
  EXPECT_EQ(outcome.failure.error, static_cast<uint32_t>(ERROR_SHARING_VIOLATION));
  EXPECT_TRUE(TreeSnapshot("made") == before) << "the files removed before it are back, with their times";
  EXPECT_TRUE(RemoveInstalledFiles(record, nullptr).removed);
  EXPECT_FALSE(Exists("made"));
}

TEST_F(UninstallJobTest, NothingIsRemovedThroughALink) {
  const InstallRecord record = Installed({{"Sub/b.txt", "beta"}}, {"Sub"});
  // "Sub" is now a link to a folder elsewhere that holds the same bytes.
  Put("elsewhere/b.txt", "beta");
  RunUnixShell("rm -rf '" + UnixPath(Path("made/P/Sub")) + "'");
  ASSERT_TRUE(RunUnixShell("ln -s '" + UnixPath(Path("elsewhere")) + "' '" + UnixPath(Path("made/P/Sub")) + "'"));
  const RemovalOutcome outcome = RemoveInstalledFiles(record, nullptr);
  EXPECT_TRUE(outcome.removed);
  EXPECT_EQ(outcome.files, 0u);
  EXPECT_EQ(Get("elsewhere/b.txt"), "beta");
  RunUnixShell("rm -f '" + UnixPath(Path("made/P/Sub")) + "'");
}

// Each record is checked by its own form's digest: with b.txt's XXH64
// alone made wrong, a first-form record keeps it and a second-form one
// (whose SHA-256 still matches) removes it.
TEST_F(UninstallJobTest, EachRecordFormIsCheckedByItsOwnDigest) {
  for (RecordForm form : {RecordForm::kXxh64, RecordForm::kSha256}) {
    InstallRecord record = Installed({{"a.txt", "alpha"}, {"b.txt", "beta"}}, {});
    record.form = form;
    record.files[1].hash ^= 1;
    const RemovalOutcome outcome = RemoveInstalledFiles(record, nullptr);
    ASSERT_TRUE(outcome.removed) << outcome.failure.reason;
    EXPECT_EQ(outcome.kept, form == RecordForm::kXxh64 ? std::vector<std::string>{"b.txt"} : std::vector<std::string>{});
    RunUnixShell("rm -rf '" + UnixPath(Path("made")) + "'");
  }
}

// An upgrade leaves the new payload's paths to the copy, letter case aside.
TEST_F(UninstallJobTest, AnUpgradePlansOnlyTheFilesItDoesNotHave) {
  const InstallRecord record = Installed({{"a.txt", "a"}, {"old.txt", "o"}, {"Sub/x.txt", "x"}}, {"Sub"});
  RemovalPlan plan;
  InstallFailure failure;
  ASSERT_TRUE(PlanRemovals(record, {RecordedPathKey("A.TXT"), RecordedPathKey("sub\\X.txt")}, 7, &plan, &failure));
  ASSERT_EQ(plan.steps.size(), 1u);
  EXPECT_EQ(plan.steps[0].path, "old.txt");
  EXPECT_EQ(plan.steps[0].index, 7u);
  EXPECT_EQ(plan.steps[0].step, JournalStep::kRemoveFile);
}

// An upgrade whose removal of an earlier version's file fails (a program
// holds it) fails whole: nothing of it stays, the earlier install is back.
TEST_F(UninstallJobTest, AnUpgradeThatCannotRemoveAnEarlierFileIsUndone) {
  const InstallRecord record = Installed({{"a.txt", "a"}, {"old.txt", "o"}}, {});
  Put("src/a.txt", "A, the new one");
  Put("src/new.txt", "new");
  const std::string before = TreeSnapshot("made");
  Payload payload;
  InstallFailure failure;
  ASSERT_TRUE(WalkPayload(Path("src").c_str(), Path("made/P").c_str(), &payload,
                          [](const PayloadProblem&) { return false; }));
  CopyPlan plan;
  ASSERT_TRUE(PlanCopy(payload, Path("made/P"), &plan, &failure));
  RemovalPlan removals;
  ASSERT_TRUE(PlanRemovals(record, {RecordedPathKey("a.txt"), RecordedPathKey("new.txt")},
                           static_cast<uint32_t>(payload.entries.size()), &removals, &failure));
  ASSERT_EQ(removals.steps.size(), 1u);
  const HANDLE held =
      CreateFileA(Path("made/P/old.txt").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  InstallTransaction transaction(Path("made/P"));
  EXPECT_FALSE(CopyPayload(payload, plan, Path("src"), Path("made/P"), transaction, nullptr, nullptr, nullptr,
                           &failure, &removals.steps));
  EXPECT_EQ(failure.path, Path("made/P") + "\\old.txt");
  std::vector<InstallFailure> leftovers;
  transaction.Rollback(&leftovers);
  CloseHandle(held);
  EXPECT_TRUE(leftovers.empty());
  EXPECT_EQ(TreeSnapshot("made"), before);
}

}  // namespace
