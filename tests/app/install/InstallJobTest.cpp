// One install as the window and the unattended mode run it: the product
// file, the checks before anything is written, the log, and the install
// undone when the volume fills up.
#include "app/install/InstallJob.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <atomic>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "app/install/FileTree.h"
#include "app/install/InstallLock.h"
#include "app/install/InstallLog.h"
#include "app/install/InstallTarget.h"
#include "app/install/ProductFile.h"
#include "app/install/ProductRegistration.h"
#include "tests/app/Scratch.h"

namespace {

class RecordingInstall : public InstallObserver {
public:
  void TotalsCounted(const CopyTally& counted) override { totals.push_back(counted); }
  void FileCopied(const char*, const char* destination, uint64_t bytes) override {
    copied.push_back(std::string(destination) + " " + std::to_string(bytes));
    if (afterFile) afterFile();
  }
  void CopyFailed(const InstallFailure& failure) override { failures.push_back(failure); }
  std::vector<CopyTally> totals;
  std::vector<std::string> copied;
  std::vector<InstallFailure> failures;
  std::function<void()> afterFile;
};

class InstallJobTest : public ScratchTest {
protected:
  // A payload of three files (one empty) in two folders, and a file the copy skips.
  void PutPayload(const std::string& folder) {
    Put(folder + "/a.txt", "alpha");
    Put(folder + "/empty.bin", "");
    Put(folder + "/Sub/b.txt", "beta!");
    Put(folder + "/.DS_Store", "skipped");
  }
  InstallOutcome Run(TargetKind kind, const std::string& location, const char* product,
                     InstallObserver* observer = nullptr, InstallLog* log = nullptr,
                     const std::string& source = std::string()) {
    const std::string from = source.empty() ? Path("payload") : source;
    const InstallJob job = {product, kind, "App Files", from.c_str(), location.c_str()};
    return RunInstallJob(job, observer, log);
  }
  std::vector<std::string> LogLines(const std::string& relative) {
    std::vector<std::string> lines;
    const std::string text = Get(relative);
    for (size_t at = 0, end; at < text.size(); at = end + 2) {
      end = text.find("\r\n", at);
      if (end == std::string::npos) {
        lines.push_back("<no CRLF>" + text.substr(at));
        break;
      }
      lines.push_back(text.substr(at, end - at));
    }
    return lines;
  }
};

// A name in any encoding comes back in UTF-8, whatever its script; text
// without a mark that is not UTF-8 is the code page's (1252 here).
TEST_F(InstallJobTest, ReadsTheProductFileInAnyEncoding) {
  const struct {
    const char* name;
    std::string content;
    const char* expected;  // null: refused
  } cases[] = {
      {"CR LF", "Foo\r\nsecond line\r\n", "Foo"},
      {"blank lines first", "\r\n\r\n\nFoo\r\n", "Foo"},
      {"long name cut", std::string(300, 'n') + "\r\n", nullptr},
      {"UTF-8 mark", "\xEF\xBB\xBF" "Caf\xC3\xA9\r\n", "Caf\xC3\xA9"},
      {"UTF-8 without a mark", "Lumi\xC3\xA8re\r\n", "Lumi\xC3\xA8re"},
      {"the code page's", "Lumi\xE8re\r\n", "Lumi\xC3\xA8re"},
      {"UTF-16 LE", std::string("\xFF\xFE" "C\0a\0f\0\xE9\0\r\0\n\0", 14), "Caf\xC3\xA9"},
      {"UTF-16 LE, Japanese", std::string("\xFF\xFE\xE5\x65\x2C\x67", 6), "\xE6\x97\xA5\xE6\x9C\xAC"},
      {"UTF-16 LE, half a pair", std::string("\xFF\xFE\x3C\xD8" "A\0", 6), nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Put("product.txt", c.content);
    Product product;
    uint32_t error = 0;
    ASSERT_TRUE(ReadProductFile(Path("product.txt").c_str(), &product, &error));
    if (c.expected) {
      EXPECT_EQ(product.name, c.expected);
      EXPECT_EQ(ProductRefusal(product, TargetApplication), "");
    } else if (product.refusal.empty()) {
      EXPECT_EQ(product.name, std::string(226, 'n')) << "cut to the longest name kept";
      EXPECT_EQ(product.line.size(), 300u);
    } else {
      EXPECT_EQ(product.name, "");
      EXPECT_NE(ProductRefusal(product, TargetFxPlug), "") << "refused whatever the kind";
    }
  }
  Product product;
  uint32_t error = 0;
  EXPECT_FALSE(ReadProductFile(Path("none.txt").c_str(), &product, &error));
  EXPECT_EQ(error, static_cast<uint32_t>(ERROR_FILE_NOT_FOUND)) << "a missing file is an unknown product";
}

TEST_F(InstallJobTest, InstallsIntoTheProductFolderAndLogsEveryStep) {
  PutPayload("payload");
  MakeFolder("Program Files");
  RecordingInstall observer;
  {
    InstallLog log(Path("setup.log").c_str());
    ASSERT_TRUE(log.IsOpen());
    ASSERT_TRUE(Run(TargetApplication, Path("Program Files"), "Quorvin Tools", &observer, &log).installed);
  }
  EXPECT_EQ(Listing("Program Files"), "Quorvin Tools/ Quorvin Tools/Sub/ Quorvin Tools/Sub/b.txt "
                                      "Quorvin Tools/a.txt Quorvin Tools/empty.bin");
  ASSERT_EQ(observer.totals.size(), 1u);
  EXPECT_EQ(observer.totals[0].files, 3u);
  EXPECT_EQ(observer.totals[0].bytes, 10u);
  EXPECT_EQ(observer.copied.size(), 3u);
  EXPECT_TRUE(observer.failures.empty());

  const std::vector<std::string> lines = LogLines("setup.log");
  ASSERT_EQ(lines.size(), 12u) << Get("setup.log");
  EXPECT_EQ(lines[0].substr(0, 5), "---- ");
  EXPECT_EQ(lines[0].substr(24), " process " + std::to_string(GetCurrentProcessId()));
  EXPECT_EQ(lines[1], "product: Quorvin Tools");
  EXPECT_EQ(lines[2], "target: Program Files application (App Files)");
  EXPECT_EQ(lines[3], "source: " + Path("payload"));
  EXPECT_EQ(lines[4], "destination: " + Path("Program Files/Quorvin Tools"));
  EXPECT_EQ(lines[5], "payload: 3 files, 10 bytes");
  EXPECT_EQ(lines[6].substr(0, 13), "space: needs ");
  const std::vector<std::string> copiedLines(lines.begin() + 7, lines.begin() + 10);
  for (const char* line : {"Quorvin Tools\\a.txt (5 bytes)", "Quorvin Tools\\empty.bin (0 bytes)",
                           "Quorvin Tools\\Sub\\b.txt (5 bytes)"}) {
    const std::string expected = "copied: " + Path("Program Files") + "\\" + line;
    EXPECT_NE(std::find(copiedLines.begin(), copiedLines.end(), expected), copiedLines.end()) << expected;
  }
  // Where the time went, each part its own figure.
  EXPECT_EQ(lines[10].substr(0, 15), "timing: checks ");
  for (const char* part : {"; copy: opening files ", ", reading, comparing, hashing and writing ", ", staging ",
                           ", placing ", "; record ", "; commit "})
    EXPECT_NE(lines[10].find(part), std::string::npos) << part;
  EXPECT_EQ(lines[11].substr(0, 36), "result: installed, 3 files, 10 bytes");
}

// Each check before the copy fails the install with its path and cause,
// and nothing at all is written.
TEST_F(InstallJobTest, ChecksFailBeforeAnythingIsWritten) {
  PutPayload("payload");
  PutUnix("bad/nul.txt", "device");
  Put("bad/ok.txt", "fine");
  MakeFolder("loc");
  const std::string location = Path("loc");
  const std::string tooLong(259 - location.size(), 'p');  // one too many with the backslash
  struct Case {
    const char* name;
    TargetKind kind;
    std::string location;
    std::string product;
    std::string source;
    std::string failing;
    DWORD error;
  } const cases[] = {
      {"no payload folder", TargetNone, location, "P", Path("Temp Files"), Path("Temp Files"), ERROR_PATH_NOT_FOUND},
      {"a relative location", TargetApplication, "loc", "P", "", "loc", ERROR_BAD_PATHNAME},
      {"a location without a drive", TargetApplication, "\\loc", "P", "", "\\loc", ERROR_BAD_PATHNAME},
      {"a drive that does not exist", TargetApplication, "J:\\no\\such", "P", "", "J:\\", ERROR_PATH_NOT_FOUND},
      {"a location that climbs out of a folder that is not there", TargetApplication, Path("no/such/../../loc"), "P",
       "", Path("no/such/../../loc"), ERROR_BAD_PATHNAME},
      {"a location above its drive", TargetApplication, "C:\\..\\loc", "P", "", "C:\\..\\loc", ERROR_BAD_PATHNAME},
      {"a device in the location", TargetApplication, Path("loc/nul"), "P", "", Path("loc/nul"), ERROR_BAD_PATHNAME},
      {"a location that ends in a dot", TargetApplication, Path("loc/x."), "P", "", Path("loc/x."), ERROR_BAD_PATHNAME},
      {"a destination past 259 characters", TargetApplication, location, tooLong, "", location + "\\" + tooLong,
       ERROR_FILENAME_EXCED_RANGE},
      {"a payload path past 259 characters once installed", TargetApplication, location, tooLong.substr(1 + 5), "",
       location + "\\" + tooLong.substr(6) + "\\a.txt", ERROR_FILENAME_EXCED_RANGE},
      {"a device name in the payload", TargetFxPlug, location, "P", Path("bad"), Path("bad/nul.txt"),
       ERROR_INVALID_NAME},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RecordingInstall observer;
    const InstallOutcome outcome = Run(c.kind, c.location, c.product.c_str(), &observer, nullptr, c.source);
    EXPECT_FALSE(outcome.installed);
    EXPECT_EQ(outcome.failure.path, c.failing);
    EXPECT_EQ(outcome.failure.error, c.error);
    ASSERT_EQ(observer.failures.size(), 1u);
    EXPECT_TRUE(observer.totals.empty()) << "no copy began";
    EXPECT_EQ(Listing("loc"), "");
  }
  EXPECT_FALSE(Exists("no"));
}

TEST_F(InstallJobTest, TheLogIsAppendedToAndNeverStopsAnInstall) {
  PutPayload("payload");
  MakeFolder("dest");
  Put("setup.log", "earlier text\r\n");
  for (int run = 0; run < 2; ++run) {
    InstallLog log(Path("setup.log").c_str());
    ASSERT_TRUE(Run(TargetApplication, Path("dest"), "P", nullptr, &log).installed);
  }
  const std::string text = Get("setup.log");
  EXPECT_EQ(text.substr(0, 14), "earlier text\r\n");
  size_t blocks = 0;
  for (size_t at = text.find("\r\n---- "); at != std::string::npos; at = text.find("\r\n---- ", at + 1)) ++blocks;
  EXPECT_EQ(blocks, 2u);

  // A log in a folder that does not exist, or one that is in use.
  InstallLog nowhere(Path("no/such/setup.log").c_str());
  EXPECT_FALSE(nowhere.IsOpen());
  EXPECT_TRUE(Run(TargetApplication, Path("dest"), "P", nullptr, &nowhere).installed);
  HANDLE holder = CreateFileA(Path("held.log").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  InstallLog held(Path("held.log").c_str());
  EXPECT_FALSE(held.IsOpen());
  EXPECT_TRUE(Run(TargetApplication, Path("dest"), "P", nullptr, &held).installed);
  CloseHandle(holder);
}

// Writers appending to one log at once, each by its own handle and some by
// another spelling of its path, lose no write and cut no line.
TEST_F(InstallJobTest, WritersSharingALogLoseNothing) {
  MakeFolder("logs");
  const std::string spellings[] = {Path("logs/shared.log"), Path("LOGS/Shared.LOG"), Path("logs/./shared.log")};
  constexpr int kWriters = 6, kLines = 200;
  std::vector<std::thread> writers;
  for (int writer = 0; writer < kWriters; ++writer)
    writers.emplace_back([&, writer] {
      InstallLog log(spellings[writer % 3].c_str());
      for (int line = 0; line < kLines; ++line) {
        log.Line("writer " + std::to_string(writer) + " line " + std::to_string(line) + " " + std::string(40, 'x'));
        log.Flush();
      }
    });
  for (std::thread& writer : writers) writer.join();
  const std::vector<std::string> lines = LogLines("logs/shared.log");
  EXPECT_EQ(lines.size(), static_cast<size_t>(kWriters * kLines));
  std::vector<int> next(kWriters, 0);
  for (const std::string& line : lines) {
    int writer = -1, number = -1;
    ASSERT_EQ(std::sscanf(line.c_str(), "writer %d line %d", &writer, &number), 2) << line;
    ASSERT_TRUE(writer >= 0 && writer < kWriters) << line;
    EXPECT_EQ(number, next[writer]++) << "each writer's lines whole and in order";
    EXPECT_EQ(line.size(), line.find(" x") + 41) << line;
  }
}

// A volume too small for the payload is refused before anything is
// written; one that fills up during the copy (another program took the
// room) fails with "disk full", not a write fault, and the install is
// undone: the earlier install on it is whole again.
TEST_F(InstallJobTest, AFullVolumeIsRefusedOrUndone) {
  SmallVolume volume('q', 2);
  ASSERT_TRUE(volume.Ready()) << "needs root to mount a small volume";
  Put("payload/big.bin", std::string(3 << 20, 'b'));
  RecordingInstall observer;
  InstallOutcome outcome = Run(TargetApplication, volume.Path(), "P", &observer);
  EXPECT_FALSE(outcome.installed);
  EXPECT_EQ(outcome.failure.error, static_cast<uint32_t>(ERROR_DISK_FULL));
  EXPECT_NE(outcome.failure.reason.find("needs 3,145,728 bytes"), std::string::npos) << outcome.failure.reason;
  EXPECT_TRUE(observer.totals.empty());
  EXPECT_FALSE(FolderExists(volume.Path("P").c_str()));

  // An earlier install, then a new one whose second file finds the volume full.
  std::error_code ignored;
  fs::remove_all(Path("payload"), ignored);
  Put("payload/1.bin", std::string(100 << 10, '1'));
  Put("payload/2.bin", std::string(600 << 10, '2'));
  ASSERT_TRUE(Run(TargetApplication, volume.Path(), "P").installed);
  Put("payload/1.bin", std::string(100 << 10, 'x'));
  Put("payload/2.bin", std::string(600 << 10, 'y'));
  RecordingInstall filling;
  filling.afterFile = [&] {
    const HANDLE filler = CreateFileA(volume.Path("filler").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    std::string block(64 << 10, 'f');
    DWORD written = 1;
    while (written) WriteFile(filler, block.data(), static_cast<DWORD>(block.size()), &written, nullptr) || (written = 0);
    CloseHandle(filler);
  };
  outcome = Run(TargetApplication, volume.Path(), "P", &filling);
  EXPECT_FALSE(outcome.installed);
  EXPECT_EQ(outcome.failure.path, volume.Path("P\\2.bin"));
  EXPECT_EQ(outcome.failure.error, static_cast<uint32_t>(ERROR_DISK_FULL));
  EXPECT_TRUE(outcome.leftovers.empty()) << outcome.leftovers.front().path << ": " << outcome.leftovers.front().reason;
  std::ifstream one(volume.Path("P\\1.bin"), std::ios::binary), two(volume.Path("P\\2.bin"), std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(one), {}), std::string(100 << 10, '1')) << "put back";
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(two), {}), std::string(600 << 10, '2')) << "never touched";
}

// Free space is counted in whole clusters: 600 files of one byte fit a
// 2 MiB volume byte for byte, but take 600 clusters of 4 KiB.
TEST_F(InstallJobTest, SpaceIsCountedInWholeClusters) {
  SmallVolume volume('q', 2);
  ASSERT_TRUE(volume.Ready()) << "needs root to mount a small volume";
  for (int i = 0; i < 600; ++i) Put("payload/f" + std::to_string(i), "x");
  const InstallOutcome outcome = Run(TargetApplication, volume.Path(), "P");
  EXPECT_FALSE(outcome.installed);
  EXPECT_EQ(outcome.failure.error, static_cast<uint32_t>(ERROR_DISK_FULL));
  EXPECT_NE(outcome.failure.reason.find("needs 2,457,600 bytes"), std::string::npos) << outcome.failure.reason;
  EXPECT_FALSE(FolderExists(volume.Path("P").c_str()));
}

// A volume out of the slots it keeps names in, with bytes still free,
// says so against the payload file being placed, not a hidden file of the
// install's own.
TEST_F(InstallJobTest, AVolumeOutOfFileSlotsSaysSo) {
  SmallVolume volume('q', 8);
  ASSERT_TRUE(volume.Ready()) << "needs root to mount a small volume";
  // Most of the volume's slots taken from the Unix side first.
  ASSERT_TRUE(RunUnixShell("mount -o remount,nr_inodes=20 '" + UnixPath(volume.Path()) + "'"));
  for (int i = 0; i < 30; ++i) Put("payload/f" + std::to_string(i), "x");
  RecordingInstall observer;
  const InstallOutcome outcome = Run(TargetApplication, volume.Path(), "P", &observer);
  EXPECT_FALSE(outcome.installed);
  EXPECT_EQ(outcome.failure.error, static_cast<uint32_t>(ERROR_DISK_FULL));
  EXPECT_EQ(outcome.failure.path.rfind(volume.Path("P\\f"), 0), 0u) << outcome.failure.path;
  EXPECT_NE(outcome.failure.reason.find("out of file slots"), std::string::npos) << outcome.failure.reason;
  EXPECT_FALSE(FolderExists(volume.Path("P").c_str()));
}

// A log held until the destination is known is never written inside it:
// the install is refused before anything is written; beside it, the log
// is written.
TEST_F(InstallJobTest, AHeldLogInsideTheInstallFolderIsRefused) {
  PutPayload("payload");
  MakeFolder("dest/P");
  for (const char* inside : {"dest/P/setup.log", "dest/P/Sub/setup.log", "DEST/p/SETUP.LOG"}) {
    SCOPED_TRACE(inside);
    InstallLog log;
    log.Hold(Path(inside).c_str());
    const InstallOutcome outcome = Run(TargetApplication, Path("dest"), "P", nullptr, &log);
    EXPECT_FALSE(outcome.installed);
    EXPECT_TRUE(outcome.refusedRequest);
    EXPECT_EQ(outcome.failure.error, static_cast<uint32_t>(ERROR_BAD_ARGUMENTS));
    EXPECT_EQ(Listing("dest"), "P/");
  }
  InstallLog beside;
  beside.Hold(Path("dest/setup.log").c_str());
  EXPECT_TRUE(Run(TargetApplication, Path("dest"), "P", nullptr, &beside).installed);
  EXPECT_NE(Get("dest/setup.log").find("result: installed"), std::string::npos);
}

// While one install holds a folder, a second into it fails at once,
// writing nothing; the folder above is another install's.
TEST_F(InstallJobTest, OneInstallIntoAFolderAtATime) {
  PutPayload("payload");
  MakeFolder("dest");
  std::atomic<bool> holding(false), release(false);
  std::thread first([&] {
    InstallLock lock;
    InstallFailure failure;
    holding = lock.Take(Path("dest/P"), &failure);
    while (!release) Sleep(1);
  });
  while (!holding) Sleep(1);
  const InstallOutcome refused = Run(TargetApplication, Path("dest"), "P");
  EXPECT_FALSE(refused.installed);
  EXPECT_EQ(refused.failure.reason, kAnotherInstallation);
  EXPECT_EQ(Listing("dest"), "");
  EXPECT_TRUE(Run(TargetFxPlug, Path("dest"), "P").installed);
  release = true;
  first.join();
  EXPECT_TRUE(Run(TargetApplication, Path("dest"), "P").installed);
}

TEST_F(InstallJobTest, ResolvesTheTargetOfAnyInstallFilesFolder) {
  struct {
    std::vector<std::string> folders;
    TargetKind kind;
    const char* payload;
    const char* location;
  } const cases[] = {
      {{}, TargetNone, "Temp Files", ""},
      {{"App Files"}, TargetApplication, "App Files", "C:\\Program Files"},
      {{"App Files", "FX Files"}, TargetFxPlug, "FX Files", "C:\\Program Files"},
      {{"FX Files", "App Files"}, TargetFxPlug, "FX Files", "C:\\Program Files"},
  };
  int n = 0;
  for (const auto& c : cases) {
    const std::string dist = "dist" + std::to_string(n++);
    MakeFolder(dist + "/install files");
    for (const std::string& folder : c.folders) MakeFolder(dist + "/install files/" + folder);
    InstallTarget target;
    ResolveInstallTargetIn(Path(dist + "/install files").c_str(), &target);
    EXPECT_EQ(target.kind, c.kind) << dist;
    EXPECT_STREQ(target.payloadFolder, c.payload);
    EXPECT_STREQ(target.location, c.location);
  }
  InstallTarget target;
  ResolveInstallTargetIn("", &target);
  EXPECT_EQ(target.kind, TargetNone) << "no folder finds nothing, not the root of the drive";
}

}  // namespace

namespace {

std::string EntryVersion(const RegistrationPlace& place) {
  char value[64] = {};
  DWORD size = sizeof value - 1;
  const std::string name(place.key.begin(), place.key.end());
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, name.c_str(), 0, KEY_QUERY_VALUE | KEY_WOW64_32KEY, &key) != ERROR_SUCCESS)
    return "<none>";
  const LONG read = RegQueryValueExA(key, "DisplayVersion", nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size);
  RegCloseKey(key);
  return read == ERROR_SUCCESS ? value : "<none>";
}

std::string Bytes(const std::string& path) {
  std::string bytes;
  const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "<none>";
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got) bytes.append(buffer, got);
  CloseHandle(file);
  return bytes;
}

}  // namespace

// The record and the uninstaller are put in force by steps of the
// install's journal: one that cannot be (a file in force held by another
// program) fails the install, which is undone with its registration.
TEST_F(InstallJobTest, ARegistrationThatCannotBePutInForceUndoesTheInstall) {
  const char product[] = "Registration Step Test";
  const RegistrationPlace place = RegistrationPlaceOf(product);
  std::vector<InstallFailure> ignored;
  Unregister(place, &ignored);
  const auto install = [&](const char* version) {
    const std::string from = Path("payload"), location = Path("dst");
    InstallJob job = {product, TargetApplication, "App Files", from.c_str(), location.c_str()};
    job.registers = true;
    job.version = version;
    job.allowDowngrade = true;
    return RunInstallJob(job, nullptr, nullptr);
  };
  PutPayload("payload");
  ASSERT_TRUE(install("1.0").installed);
  Put("payload/a.txt", "alpha, the second");
  for (const std::string& held : {place.record, place.uninstaller}) {
    SCOPED_TRACE(held);
    const std::string before = TreeSnapshot("dst"), record = Bytes(place.record);
    const HANDLE holder = CreateFileA(held.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    const InstallOutcome outcome = install("2.0");
    CloseHandle(holder);
    EXPECT_FALSE(outcome.installed);
    EXPECT_EQ(outcome.failure.path, held);
    EXPECT_EQ(outcome.failure.reason, "the file in force could not be moved aside");
    EXPECT_EQ(TreeSnapshot("dst"), before);
    EXPECT_EQ(Bytes(place.record), record);
    EXPECT_EQ(EntryVersion(place), "1.0");
    WIN32_FIND_DATAA found;
    const HANDLE find = FindFirstFileA((place.folder + "\\*-*").c_str(), &found);
    EXPECT_EQ(find, INVALID_HANDLE_VALUE) << "left: " << found.cFileName;
    if (find != INVALID_HANDLE_VALUE) FindClose(find);
  }
  ASSERT_TRUE(install("2.0").installed);
  EXPECT_EQ(EntryVersion(place), "2.0");
  Unregister(place, &ignored);
}
