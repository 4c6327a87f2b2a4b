// The one walk over a payload: the copy's order, the totals, and every
// name or path an install would have to refuse, found before anything is
// written.
#include "app/install/PayloadWalk.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/app/Scratch.h"

namespace {

class PayloadWalkTest : public ScratchTest {
protected:
  // Walks src, collecting every problem, with the destination dst when
  // given; the entries as "path" or "path/" in the walk's order.
  bool Walk(const std::string& destination = "") {
    problems.clear();
    const std::string installed = destination.empty() ? "" : Path(destination);
    return WalkPayload(Path("src").c_str(), installed.c_str(), &payload, [&](const PayloadProblem& problem) {
      problems.push_back(problem);
      return true;
    });
  }
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    for (const PayloadEntry& entry : payload.entries) names.push_back(entry.path + (entry.isFolder ? "/" : ""));
    return names;
  }
  // Makes a file of a wide name under src.
  void PutWide(const std::wstring& relative) {
    const std::string base = Path("src");
    const std::wstring path = std::wstring(base.begin(), base.end()) + L"\\" + relative;
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
  }

  Payload payload;
  std::vector<PayloadProblem> problems;
};

// The order the copy makes things in: a folder's files, then each of its
// sub-folders, depth first, each folder's entry before what it holds.
TEST_F(PayloadWalkTest, GivesTheCopysOrderAndTotals) {
  Put("src/z.txt", "zz");
  Put("src/A/a1.txt", "a1");
  Put("src/A/B/b.txt", "bbb");
  Put("src/.DS_Store", "skipped");
  Put("src/A/.hidden/x", "skipped with its folder");
  MakeFolder("src/Empty");
  ASSERT_TRUE(Walk());
  const std::vector<std::string> entries = Entries();
  ASSERT_EQ(entries.size(), 6u);
  EXPECT_EQ(entries[0], "z.txt");
  // Sub-folders come in the platform's order; within each, files first.
  const auto at = [&](const std::string& name) { return std::find(entries.begin(), entries.end(), name) - entries.begin(); };
  EXPECT_LT(at("A/"), at("A\\a1.txt"));
  EXPECT_LT(at("A\\a1.txt"), at("A\\B/"));
  EXPECT_LT(at("A\\B/"), at("A\\B\\b.txt"));
  EXPECT_NE(at("Empty/"), static_cast<long>(entries.size()));
  EXPECT_EQ(payload.files, 3u);
  EXPECT_EQ(payload.bytes, 7u);
  ASSERT_EQ(payload.skipped.size(), 2u);
  EXPECT_TRUE(problems.empty());
}

// Every name and path the install must refuse, each once, with its path
// and reason: nothing here may be copied as something else.
TEST_F(PayloadWalkTest, FindsEveryNameAndPathAnInstallMustRefuse) {
  Put("src/good.txt", "fine");
  PutUnix("src/nul.txt", "the device");
  PutUnix("src/Sub/AUX", "the device");
  PutUnix("src/com1.log", "the device");
  PutUnix("src/trailing.", "dropped by Windows");
  PutUnix("src/conin$", "the console");
  // Folders Windows would name "Folder" and "Spaced", made from the Unix
  // side, as a Windows call would drop the dot and the space.
  const std::string src = UnixPath(Path("src"));
  ASSERT_TRUE(RunUnixShell("mkdir '" + src + "/Folder.' '" + src + "/Spaced ' && touch '" + src + "/Folder./in' '" +
                           src + "/Spaced /in'"));
  PutUnix("src/Twice.txt", "one");
  PutUnix("src/TWICE.TXT", "two");
  PutUnix("src/Case/readme", "one");
  PutUnix("src/Case/README", "two");
  PutUnix("src/c:d", "x");
  PutUnix("src/q?", "x");
  // The deepest source path has 259 characters: it can be read; under a
  // destination with a longer name it cannot be installed.
  const std::string deep(259 - Path("src/").size() - std::string("/f.txt").size(), 'd');
  Put("src/" + deep + "/f.txt", "deep");
  ASSERT_EQ(Path("src/" + deep + "/f.txt").size(), 259u);
  EXPECT_FALSE(Walk("dst-with-a-name-long-enough-to-push-the-join-over-the-limit"));
  std::vector<std::string> found;
  for (const PayloadProblem& problem : problems)
    found.push_back(problem.failure.path + " " + std::to_string(problem.failure.error));
  const std::vector<std::string> expected = {
      Path("src/nul.txt") + " 123",
      Path("src/Sub/AUX") + " 123",
      Path("src/com1.log") + " 123",
      Path("src/trailing.") + " 123",
      Path("src/Folder.") + " 123",
      Path("src/Spaced ") + " 123",
      Path("src/conin$") + " 123",
      Path("src/c:d") + " 123",
      Path("src/q?") + " 123",
      Path("dst-with-a-name-long-enough-to-push-the-join-over-the-limit/" + deep) + " 206",
  };
  for (const std::string& problem : expected)
    EXPECT_NE(std::find(found.begin(), found.end(), problem), found.end()) << problem;
  int collisions = 0;
  for (const PayloadProblem& problem : problems) collisions += problem.failure.error == ERROR_ALREADY_EXISTS;
  EXPECT_EQ(collisions, 2) << "Twice.txt/TWICE.TXT and readme/README";
  EXPECT_EQ(problems.size(), expected.size() + 2u);
  for (const PayloadProblem& problem : problems) EXPECT_NE(problem.failure.reason, "") << problem.failure.path;
  for (const PayloadEntry& entry : payload.entries)
    EXPECT_TRUE(entry.path == "good.txt" || entry.path.find("Twice") == 0 || entry.path.find("TWICE") == 0 ||
                entry.path == "Sub" || entry.path == "Case" || entry.path.find("Case\\") == 0 || entry.path == deep)
        << entry.path;
}

// Names of any script are walked as they are, in UTF-8, whatever the
// code page: never as question marks or look-alikes of other names.
TEST_F(PayloadWalkTest, NamesOfAnyScriptAreWalkedAsTheyAre) {
  Put("src/a.txt", "a");
  const struct {
    std::wstring name;
    const char* utf8;
  } names[] = {
      {L"\x65e5\x672c.txt", "\xE6\x97\xA5\xE6\x9C\xAC.txt"},            // Japanese
      {L"\x0142\x00f3" L"d\x017a", "\xC5\x82\xC3\xB3" "d\xC5\xBA"},          // Polish, which 1252 would best-fit
      {L"\xD83C\xDFA8 art.png", "\xF0\x9F\x8E\xA8 art.png"},             // an emoji: a pair of units
      {L"\xFF44ist.txt", "\xEF\xBD\x84ist.txt"},                        // full width, not "dist.txt"
  };
  for (const auto& n : names) PutWide(n.name);
  MakeFolder("src/Folder");
  const std::string folder = Path("src/Folder");
  ASSERT_TRUE(CreateDirectoryW((std::wstring(folder.begin(), folder.end()) + L"\\\x65e5").c_str(), nullptr));
  EXPECT_TRUE(Walk());
  EXPECT_TRUE(problems.empty());
  std::vector<std::string> paths;
  for (const PayloadEntry& entry : payload.entries) paths.push_back(entry.path);
  for (const auto& n : names) EXPECT_NE(std::find(paths.begin(), paths.end(), n.utf8), paths.end()) << n.utf8;
  EXPECT_NE(std::find(paths.begin(), paths.end(), "Folder\\\xE6\x97\xA5"), paths.end());
  EXPECT_EQ(payload.files, 5u);
}

// Links are never followed: one inside the payload is a problem of its
// own (the walk does not go through it, so a loop ends and nothing outside
// is counted), and so is a payload folder that is itself a link.
TEST_F(PayloadWalkTest, LinksAreRefusedAndNeverFollowed) {
  Put("src/a.txt", "a");
  Put("elsewhere/secret/x.txt", "not the payload's");
  const std::string src = UnixPath(Path("src")), elsewhere = UnixPath(Path("elsewhere"));
  ASSERT_TRUE(RunUnixShell("ln -s '" + elsewhere + "' '" + src + "/Linked' && ln -s . '" + src + "/Loop' && mkdir '" +
                           src + "/Sub' && ln -s .. '" + src + "/Sub/Up'"));
  EXPECT_FALSE(Walk());
  std::vector<std::string> refused;
  for (const PayloadProblem& problem : problems) {
    EXPECT_EQ(problem.failure.error, static_cast<uint32_t>(ERROR_NOT_SUPPORTED));
    EXPECT_EQ(problem.failure.reason, kPayloadLink);
    refused.push_back(problem.failure.path);
  }
  std::sort(refused.begin(), refused.end());
  EXPECT_EQ(refused, (std::vector<std::string>{Path("src/Linked"), Path("src/Loop"), Path("src/Sub/Up")}));
  EXPECT_EQ(Entries(), (std::vector<std::string>{"a.txt", "Sub/"}));

  ASSERT_TRUE(RunUnixShell("ln -s '" + src + "' '" + UnixPath(Path("linked-payload")) + "'"));
  EXPECT_FALSE(WalkPayload(Path("linked-payload").c_str(), "", &payload, [&](const PayloadProblem& problem) {
    EXPECT_NE(problem.failure.reason.find(kPayloadLink), std::string::npos);
    return true;
  }));
  EXPECT_TRUE(payload.entries.empty());
  RunUnixShell("rm -f '" + src + "/Linked' '" + src + "/Loop' '" + src + "/Sub/Up' '" + UnixPath(Path("linked-payload")) + "'");
}

// Folders deeper than the walk goes are a problem, not a hang.
TEST_F(PayloadWalkTest, TheWalkGoesSoDeepAndNoDeeper) {
  std::string deepest = "src";
  for (int level = 0; level < kMaxPayloadDepth; ++level) deepest += "/d";
  Put(deepest + "/bottom.txt", "too deep");
  EXPECT_FALSE(Walk());
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_EQ(problems[0].failure.path, Path(deepest));
  EXPECT_EQ(payload.files, 0u);
  fs::remove_all(Path(deepest));
  Put(deepest.substr(0, deepest.size() - 2) + "/bottom.txt", "deep enough");
  EXPECT_TRUE(Walk());
  EXPECT_EQ(payload.files, 1u);
}

// A payload folder that is missing or a file has nothing to install.
TEST_F(PayloadWalkTest, NoPayloadFolderIsAProblem) {
  EXPECT_FALSE(Walk());
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_EQ(problems[0].failure.path, Path("src"));
  EXPECT_EQ(problems[0].failure.error, static_cast<uint32_t>(ERROR_FILE_NOT_FOUND));
  Put("src", "a file");
  EXPECT_FALSE(Walk());
  EXPECT_EQ(problems[0].failure.error, static_cast<uint32_t>(ERROR_DIRECTORY));
  // The sink may stop the walk at the first problem.
  fs::remove(Path("src"));
  PutUnix("src/nul", "x");
  PutUnix("src/con", "x");
  int told = 0;
  EXPECT_FALSE(WalkPayload(Path("src").c_str(), "", &payload, [&](const PayloadProblem&) { return ++told < 1; }));
  EXPECT_EQ(told, 1);
}

}  // namespace
