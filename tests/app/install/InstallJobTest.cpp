#include "app/install/InstallJob.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/install/InstallLog.h"
#include "app/install/InstallTarget.h"
#include "tests/app/Scratch.h"

namespace {

class InstallJobTest : public ScratchTest {
protected:
  // A payload of three files (one empty) in two folders, and a file the copy skips.
  void PutPayload(const std::string& folder) {
    Put(folder + "/a.txt", "alpha");
    Put(folder + "/empty.bin", "");
    Put(folder + "/Sub/b.txt", "beta!");
    Put(folder + "/.DS_Store", "skipped");
  }
  bool Run(TargetKind kind, const std::string& location, const char* product, InstallObserver* observer,
           InstallLog* log) {
    const std::string source = Path("payload");
    const InstallJob job = {product, kind, "App Files", source.c_str(), location.c_str()};
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

TEST_F(InstallJobTest, ReadsTheProductNameAsTheWindowDoes) {
  const struct {
    const char* name;
    std::string content;
    std::string expected;
  } cases[] = {
      {"CR LF", "Foo\r\nsecond line\r\n", "Foo"},
      {"LF", "Foo Bar\n", "Foo Bar"},
      {"no line end", "Foo", "Foo"},
      {"blank lines first", "\r\n\r\n\nFoo\r\n", "Foo"},
      {"spaces are not blank", "  Foo  \r\n", "  Foo  "},
      {"only blank lines", "\r\n\r\n", ""},
      {"empty", "", ""},
      {"long name cut", std::string(300, 'n') + "\r\n", std::string(226, 'n')},
      {"longer than the line buffer", std::string(5000, 'n'), std::string(226, 'n')},
  };
  for (const auto& c : cases) {
    Put("product.txt", c.content);
    char name[kProductLineSize] = "untouched";
    EXPECT_TRUE(ReadProductName(Path("product.txt").c_str(), name)) << c.name;
    EXPECT_EQ(name, c.expected) << c.name;
  }
  char line[kProductLineSize];
  Put("product.txt", std::string(5000, 'n'));
  ASSERT_TRUE(ReadProductLine(Path("product.txt").c_str(), line));
  EXPECT_EQ(std::string(line).size(), 1023u) << "the uncut line fills the buffer, no more";
  char name[kProductLineSize] = "untouched";
  EXPECT_FALSE(ReadProductName(Path("none.txt").c_str(), name));
  EXPECT_STREQ(name, "") << "a missing file is an unknown product";
}

class RecordingInstall : public InstallObserver {
public:
  void TotalsCounted(const CopyTally& counted) override { totals.push_back(counted); }
  void FileCopied(const char*, const char* destination, uint64_t bytes) override {
    copied.push_back(std::string(destination) + " " + std::to_string(bytes));
  }
  void CopyFailed(const char* path, uint32_t code) override {
    failures.push_back(path);
    error = code;
  }
  std::vector<CopyTally> totals;
  std::vector<std::string> copied, failures;
  uint32_t error = 0;
};

TEST_F(InstallJobTest, InstallsIntoTheProductFolderAndLogsEveryStep) {
  PutPayload("payload");
  MakeFolder("Program Files");
  RecordingInstall observer;
  {
    InstallLog log(Path("setup.log").c_str());
    ASSERT_TRUE(log.IsOpen());
    ASSERT_TRUE(Run(TargetApplication, Path("Program Files"), "Quorvin Tools", &observer, &log));
  }
  EXPECT_EQ(Listing("Program Files"), "Quorvin Tools/ Quorvin Tools/Sub/ Quorvin Tools/Sub/b.txt "
                                      "Quorvin Tools/a.txt Quorvin Tools/empty.bin");
  ASSERT_EQ(observer.totals.size(), 1u);
  EXPECT_EQ(observer.totals[0].files, 3u);
  EXPECT_EQ(observer.totals[0].bytes, 10u);
  EXPECT_EQ(observer.copied.size(), 3u);
  EXPECT_TRUE(observer.failures.empty());

  const std::vector<std::string> lines = LogLines("setup.log");
  ASSERT_EQ(lines.size(), 10u) << Get("setup.log");
  EXPECT_EQ(lines[0].substr(0, 5), "---- ");
  EXPECT_EQ(lines[0].size(), 24u) << "---- YYYY-MM-DD HH:MM:SS";
  EXPECT_EQ(lines[1], "product: Quorvin Tools");
  EXPECT_EQ(lines[2], "target: Program Files application (App Files)");
  EXPECT_EQ(lines[3], "source: " + Path("payload"));
  EXPECT_EQ(lines[4], "destination: " + Path("Program Files/Quorvin Tools"));
  EXPECT_EQ(lines[5], "payload: 3 files, 10 bytes");
  const std::vector<std::string> copiedLines(lines.begin() + 6, lines.begin() + 9);
  for (const char* line : {"Quorvin Tools\\a.txt (5 bytes)", "Quorvin Tools\\empty.bin (0 bytes)",
                           "Quorvin Tools\\Sub\\b.txt (5 bytes)"}) {
    const std::string expected = "copied: " + Path("Program Files") + "\\" + line;
    EXPECT_NE(std::find(copiedLines.begin(), copiedLines.end(), expected), copiedLines.end()) << expected;
  }
  EXPECT_EQ(lines[9].substr(0, 36), "result: installed, 3 files, 10 bytes");
}

// Only one level is made: a location that does not exist fails at its
// first file, which the log names with the platform's words.
TEST_F(InstallJobTest, AMissingLocationFailsAtTheFirstFile) {
  PutPayload("payload");
  RecordingInstall observer;
  {
    InstallLog log(Path("setup.log").c_str());
    EXPECT_FALSE(Run(TargetApplication, Path("no/such"), "Quorvin Tools", &observer, &log));
  }
  EXPECT_FALSE(Exists("no"));
  ASSERT_EQ(observer.failures.size(), 1u);
  EXPECT_EQ(observer.error, static_cast<uint32_t>(ERROR_PATH_NOT_FOUND));
  const std::string log = Get("setup.log");
  const std::string errorLine = "error: " + observer.failures[0] + ": " + SystemErrorText(ERROR_PATH_NOT_FOUND) +
                                " (error 3)\r\nresult: failed, 0 files, 0 bytes, ";
  EXPECT_NE(log.find(errorLine), std::string::npos) << log;
  EXPECT_NE(SystemErrorText(ERROR_PATH_NOT_FOUND), "unknown error") << "the platform has words for it";
}

// A destination past 259 characters is refused before anything is made:
// the product name is never cut to fit, nor the location's head dropped.
TEST_F(InstallJobTest, ADestinationThatDoesNotFitIsRefused) {
  PutPayload("payload");
  const std::string location = Path("loc");
  MakeFolder("loc");
  const std::string product(259 - location.size(), 'p');  // one too many with the backslash
  RecordingInstall observer;
  {
    InstallLog log(Path("setup.log").c_str());
    EXPECT_FALSE(Run(TargetApplication, location, product.c_str(), &observer, &log));
  }
  EXPECT_EQ(Listing("loc"), "");
  EXPECT_TRUE(observer.totals.empty());
  ASSERT_EQ(observer.failures.size(), 1u);
  EXPECT_EQ(observer.failures[0], location + "\\" + product);
  EXPECT_EQ(observer.error, static_cast<uint32_t>(ERROR_FILENAME_EXCED_RANGE));
  const std::string log = Get("setup.log");
  EXPECT_NE(log.find("destination: " + location + "\\" + product + "\r\n"), std::string::npos) << log;
  EXPECT_NE(log.find("(error 206)\r\nresult: failed, 0 files"), std::string::npos) << log;
  // One character less: the destination is taken and made, and the copy
  // then fails at the first file path past the limit.
  const std::string fits(product.size() - 1, 'p');
  RecordingInstall shorter;
  EXPECT_FALSE(Run(TargetApplication, location, fits.c_str(), &shorter, nullptr));
  EXPECT_EQ(shorter.totals.size(), 1u);
  EXPECT_TRUE(IsFolder("loc/" + fits));
  ASSERT_EQ(shorter.failures.size(), 1u);
  EXPECT_EQ(shorter.failures[0].substr(0, location.size() + 1 + fits.size() + 1), location + "\\" + fits + "\\");
  EXPECT_EQ(shorter.error, static_cast<uint32_t>(ERROR_FILENAME_EXCED_RANGE));
}

TEST_F(InstallJobTest, TheLogIsAppendedToAndNeverStopsAnInstall) {
  PutPayload("payload");
  MakeFolder("dest");
  Put("setup.log", "earlier text\r\n");
  for (int run = 0; run < 2; ++run) {
    InstallLog log(Path("setup.log").c_str());
    ASSERT_TRUE(Run(TargetApplication, Path("dest"), "P", nullptr, &log));
  }
  const std::string text = Get("setup.log");
  EXPECT_EQ(text.substr(0, 14), "earlier text\r\n");
  size_t blocks = 0;
  for (size_t at = text.find("\r\n---- "); at != std::string::npos; at = text.find("\r\n---- ", at + 1)) ++blocks;
  EXPECT_EQ(blocks, 2u);

  // A log in a folder that does not exist, or one that is in use.
  InstallLog nowhere(Path("no/such/setup.log").c_str());
  EXPECT_FALSE(nowhere.IsOpen());
  EXPECT_TRUE(Run(TargetApplication, Path("dest"), "P", nullptr, &nowhere));
  HANDLE holder = CreateFileA(Path("held.log").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  InstallLog held(Path("held.log").c_str());
  EXPECT_FALSE(held.IsOpen());
  EXPECT_TRUE(Run(TargetApplication, Path("dest"), "P", nullptr, &held));
  CloseHandle(holder);
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
