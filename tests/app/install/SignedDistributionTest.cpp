// A signed distribution as the installer reads it: the list the slot
// vouches for, the files read before anything (each checked before it is
// used), and the payload checked by the walk and hashed in the pass that
// copies it. Whatever differs from the list installs nothing, or is undone.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/install/DistributionFiles.h"
#include "app/install/InstallJob.h"
#include "app/install/InstallSetup.h"
#include "tests/app/Scratch.h"

namespace {

class Recording : public InstallObserver {
public:
  void TotalsCounted(const CopyTally&) override {}
  void FileCopied(const char*, const char*, uint64_t) override {
    if (afterFile) afterFile();
  }
  void CopyFailed(const InstallFailure&) override {}
  std::function<void()> afterFile;
};

class SignedDistributionTest : public ScratchTest {
protected:
  // "dist/install files" with the four files and an "FX Files" payload,
  // listed as make-dist lists them; the slot for that list.
  void SetUp() override {
    ScratchTest::SetUp();
    manifest = DistributionManifest();
    Put("dist/install files/product.txt", "Signed Tool\r\nVersion: 1.0\r\n");
    Put("dist/install files/bkgd.jpg", "not decoded here");
    Put("dist/install files/readme.txt", "notes");
    Put("dist/install files/eula.txt", "terms");
    Put("dist/install files/FX Files/Tool.fxplug", std::string(200000, 'x'));
    Put("dist/install files/FX Files/Sub/a.txt", "alpha");
    Put("dist/install files/FX Files/Sub/b.txt", "beta");
    MakeFolder("place");
    for (const char* name : {"product.txt", "bkgd.jpg", "readme.txt", "eula.txt"}) List(name);
    manifest.entries.push_back({"FX Files", true, 0, {}});
    List("FX Files\\Tool.fxplug");
    manifest.entries.push_back({"FX Files\\Sub", true, 0, {}});
    List("FX Files\\Sub\\a.txt");
    List("FX Files\\Sub\\b.txt");
    Sign();
  }
  void List(const std::string& path) {
    std::string unix = path;
    for (char& c : unix)
      if (c == '\\') c = '/';
    const std::string bytes = Get("dist/install files/" + unix);
    manifest.entries.push_back({path, false, bytes.size(), Sha256::Of(bytes.data(), bytes.size())});
  }
  // Writes the list and fills the slot for it, as make-dist does.
  void Sign() {
    const std::string text = ManifestText(manifest);
    Put("dist/install files/manifest.txt", text);
    slot.filled = true;
    slot.manifestSize = text.size();
    slot.manifestDigest = Sha256::Of(text.data(), text.size());
  }
  InstallSetup Prepare() {
    return PrepareInstallFrom(Path("dist/install files"), "", SetupOptions(), SetupMode::kUnattended, slot);
  }
  InstallOutcome Install(const InstallSetup& setup, InstallObserver* observer = nullptr) {
    const std::string location = Path("place");
    return RunInstallJob(setup.JobInto(location.c_str()), observer, nullptr);
  }

  DistributionManifest manifest;
  ManifestSlot slot;
};

TEST_F(SignedDistributionTest, AsSignedItInstallsAndRecordsTheSignedDigests) {
  Put("dist/install files/desktop.ini", "[.ShellClassInfo]");
  MakeFolder("dist/install files/__MACOSX");
  const InstallSetup setup = Prepare();
  ASSERT_TRUE(setup.coverage.Covered()) << setup.coverage.FirstProblem();
  EXPECT_EQ(setup.coverage.CoveredFiles(), 7u);
  EXPECT_EQ(setup.coverage.ignored, (std::vector<std::string>{"__MACOSX\\", "desktop.ini"}));
  EXPECT_EQ(setup.product.name, "Signed Tool");
  EXPECT_EQ(setup.licence.bytes, "terms");
  EXPECT_TRUE(setup.picture.whole);
  const InstallOutcome outcome = Install(setup);
  ASSERT_TRUE(outcome.installed) << outcome.failure.reason;
  EXPECT_EQ(Listing("place"), "Sub/ Sub/a.txt Sub/b.txt Tool.fxplug");
}

// The files read before anything, and the list itself: each way one can
// differ leaves the distribution changed, with nothing of it used.
TEST_F(SignedDistributionTest, AChangedListOrFileReadFirstIsRefusedBeforeItIsUsed) {
  const struct {
    const char* what;
    std::function<void()> change;
    const char* told;  // the beginning of the first problem
  } cases[] = {
      {"the licence changed", [this] { Put("dist/install files/eula.txt", "termz"); },
       "\"eula.txt\" was changed after the distribution was signed (its bytes"},
      {"the picture grew", [this] { Put("dist/install files/bkgd.jpg", "not decoded here!"); },
       "\"bkgd.jpg\" was changed after the distribution was signed (17 bytes where 16 were signed)"},
      {"the product file removed",
       [this] { DeleteFileA(Path("dist/install files/product.txt").c_str()); },
       "\"product.txt\" is missing"},
      {"release notes not signed",
       [this] {
         manifest.entries.erase(manifest.entries.begin() + 2);
         Sign();
       },
       "\"readme.txt\" was added after the distribution was signed"},
      {"the list changed",
       [this] {
         Put("dist/install files/manifest.txt", ManifestText(manifest) + "\n");
       },
       "\"manifest.txt\", the list of the files signed, was changed"},
      {"the list removed",
       [this] { DeleteFileA(Path("dist/install files/manifest.txt").c_str()); },
       "\"manifest.txt\", the list of the files signed, is missing"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TearDown();
    SetUp();
    c.change();
    const InstallSetup setup = Prepare();
    ASSERT_TRUE(setup.DistributionChanged());
    EXPECT_EQ(setup.coverage.FirstProblem().rfind(c.told, 0), 0u) << setup.coverage.FirstProblem();
    EXPECT_EQ(setup.product.name, "") << "nothing of a changed distribution is parsed";
    EXPECT_TRUE(setup.licence.bytes.empty() && setup.picture.bytes.empty() && setup.releaseNotes.bytes.empty());
    const InstallOutcome outcome = Install(setup);
    EXPECT_FALSE(outcome.installed);
    EXPECT_TRUE(outcome.distributionChanged);
    EXPECT_EQ(Listing("place"), "");
  }
}

// A file absent from both the list and the folder is no change: the
// viewer tells it is missing, as without a signature.
TEST_F(SignedDistributionTest, AFileNeitherListedNorThereIsNoChange) {
  DeleteFileA(Path("dist/install files/readme.txt").c_str());
  manifest.entries.erase(manifest.entries.begin() + 2);
  Sign();
  const InstallSetup setup = Prepare();
  EXPECT_TRUE(setup.coverage.Covered()) << setup.coverage.FirstProblem();
  EXPECT_FALSE(setup.releaseNotes.read);
  EXPECT_EQ(setup.releaseNotes.error, static_cast<uint32_t>(ERROR_FILE_NOT_FOUND));
}

// The payload: what the walk finds that is not as listed is refused before
// anything is written; bytes that differ are found as they are copied,
// and the copy undone.
TEST_F(SignedDistributionTest, APayloadNotAsSignedInstallsNothing) {
  const struct {
    const char* what;
    std::function<void()> change;
    bool copyBegan;
    const char* path;  // the file the failure names, inside "dist/install files"
  } cases[] = {
      {"a DLL planted", [this] { Put("dist/install files/FX Files/version.dll", "MZ"); },
       false, "FX Files\\version.dll"},
      {"a file removed",
       [this] { DeleteFileA(Path("dist/install files/FX Files/Sub/a.txt").c_str()); }, false,
       "FX Files\\Sub\\a.txt"},
      {"a file grown", [this] { Put("dist/install files/FX Files/Sub/b.txt", "beta!"); },
       false, "FX Files\\Sub\\b.txt"},
      {"one byte changed, the size kept",
       [this] { Put("dist/install files/FX Files/Sub/b.txt", "bet4"); }, true,
       "FX Files\\Sub\\b.txt"},
      {"another payload folder added",
       [this] { Put("dist/install files/PS Files/Evil.8bf", "MZ"); }, false,
       "PS Files\\Evil.8bf"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TearDown();
    SetUp();
    Put("place/Tool/keep.txt", "the user's");
    const std::string before = TreeSnapshot("place");
    c.change();
    const InstallOutcome outcome = Install(Prepare());
    EXPECT_FALSE(outcome.installed);
    EXPECT_TRUE(outcome.distributionChanged);
    EXPECT_TRUE(outcome.failure.distributionChanged);
    EXPECT_EQ(outcome.copyBegan, c.copyBegan);
    EXPECT_EQ(outcome.failure.path, Path("dist/install files") + "\\" + c.path);
    EXPECT_TRUE(TreeSnapshot("place") == before) << Listing("place");
  }
}

// A file changed while the install runs, after the copy of another has
// begun (and before its own is read): its bytes are hashed as they are
// copied, and the whole install is undone.
TEST_F(SignedDistributionTest, AFileChangedDuringTheInstallUndoesIt) {
  const InstallSetup setup = Prepare();
  Recording observer;
  bool changed = false;
  observer.afterFile = [&] {
    if (!changed) Put("dist/install files/FX Files/Sub/b.txt", "BETA");
    changed = true;
  };
  const InstallOutcome outcome = Install(setup, &observer);
  ASSERT_TRUE(changed);
  EXPECT_FALSE(outcome.installed);
  EXPECT_TRUE(outcome.distributionChanged);
  EXPECT_TRUE(outcome.copyBegan);
  EXPECT_EQ(outcome.failure.path, Path("dist/install files/FX Files/Sub/b.txt"));
  EXPECT_EQ(Listing("place"), "");
}

// The slot read by the program itself: this test program's is as the
// build leaves it, empty, and an empty slot covers nothing.
TEST_F(SignedDistributionTest, TheBuildsOwnSlotIsEmptyAndCoversNothing) {
  ManifestSlot own;
  std::string why;
  ASSERT_TRUE(OwnManifestSlot(&own, &why)) << why;
  EXPECT_FALSE(own.filled);
  slot = own;
  const InstallSetup setup = Prepare();
  EXPECT_EQ(setup.coverage.state, DistributionCoverage::State::kNotCovered);
  EXPECT_EQ(setup.product.name, "Signed Tool");
  Put("dist/install files/FX Files/extra.txt", "not listed, and nothing checks");
  EXPECT_TRUE(Install(setup).installed);
}

}  // namespace
