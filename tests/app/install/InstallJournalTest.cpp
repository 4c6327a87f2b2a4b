// The install journal as bytes: what the installer writes reads back the
// same, a line cut by a process's end is dropped, and nothing a hostile
// hand could write reaches outside the root or out of order.
#include "app/install/InstallJournal.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

const char kRoot[] = "C:\\Plug-ins\\Quorvin Tools";
const char kStaging[] = ".qvsetup-1092";
const char kRegistration[] = "C:\\Program Files\\Common Files\\Kestrova Uninstall\\Quorvin Tools";

std::string Header(const std::string& root = kRoot, uint32_t process = 1) {
  return JournalHeaderLine(root, process, kStaging);
}

// The bytes of a placed file: its size and a digest with one byte set.
PlacedFile Placed(uint64_t size, uint8_t first) {
  PlacedFile placed;
  placed.size = size;
  placed.digest[0] = first;
  return placed;
}

// A line sealed as the installer seals its own, for lines it never writes.
std::string Sealed(const std::string& body) {
  char crc[16];
  std::snprintf(crc, sizeof crc, " #%08x\r\n",
                static_cast<unsigned>(Crc32(reinterpret_cast<const uint8_t*>(body.data()), body.size())));
  return body + crc;
}

bool Read(const std::string& bytes, Journal* journal, std::string* why) {
  return ReadJournal(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), journal, why);
}

// A journal of an install that made its root, planned a folder, a new file
// and a replaced one, began two steps and committed.
std::string WholeJournal() {
  return Header(kRoot, 4242) + JournalMadeLine("C:\\Plug-ins") + JournalMadeLine(kRoot) +
         JournalPlanLine({JournalStep::kMakeFolder, 3, 0, "Presets"}) +
         JournalPlanLine({JournalStep::kNewFile, 4, 0, "Presets\\One.ffx"}) +
         JournalPlanLine({JournalStep::kReplaceFile, 7, 0x21, "Plugin.aex"}) +
         JournalPlanLine({JournalStep::kRegister, 8, 1, std::string(kRegistration) + "\\install record"}) +
         JournalPlanLine({JournalStep::kEntry, 9, 1, kRegistration, "20261201"}) + JournalPlanEndLine(5) +
         JournalBeginLine(3) + JournalPlaceLine(7, Placed(1234, 0xab)) + JournalBeginLine(8) + JournalCommitLine();
}

TEST(InstallJournal, LinesAreTextWithTheirCrc) {
  // CRC-32 of "123456789", the check value of the ZIP and PNG one.
  EXPECT_EQ(Crc32(reinterpret_cast<const uint8_t*>("123456789"), 9), 0xCBF43926u);
  const std::string line = JournalPlanLine({JournalStep::kReplaceFile, 7, 0x21, "a b#c.aex"});
  //         kind index attributes length:path (spaces and '#' inside)   CRC
  EXPECT_EQ(line.substr(0, 20), "R 7 21 9:a b#c.aex #");
  EXPECT_EQ(line.size(), 20u + 8 + 2);
  EXPECT_EQ(line.substr(line.size() - 2), "\r\n");
  EXPECT_EQ(JournalCommitLine().substr(0, 3), "C #");
  //        step size digest (64 digits)
  EXPECT_EQ(JournalPlaceLine(7, Placed(1234, 0xab)).substr(0, 14), "S 7 1234 ab000");
  //        index had date   folder
  EXPECT_EQ(JournalPlanLine({JournalStep::kEntry, 9, 1, "C:\\R", "20261201"}).substr(0, 23), "E 9 1 8:20261201 4:C:\\R");
  EXPECT_EQ(JournalPlanLine({JournalStep::kUnregister, 0, 0, "C:\\R"}).substr(0, 10), "U 0 4:C:\\R");
}

TEST(InstallJournal, WhatIsWrittenReadsBackTheSame) {
  Journal journal;
  std::string why;
  ASSERT_TRUE(Read(WholeJournal(), &journal, &why)) << why;
  EXPECT_EQ(journal.root, kRoot);
  EXPECT_EQ(journal.processId, 4242u);
  EXPECT_EQ(journal.staging, kStaging);
  ASSERT_EQ(journal.made.size(), 2u);
  EXPECT_EQ(journal.made[1], kRoot);
  ASSERT_EQ(journal.plan.size(), 5u);
  EXPECT_EQ(journal.plan[1].step, JournalStep::kNewFile);
  EXPECT_EQ(journal.plan[1].path, "Presets\\One.ffx");
  EXPECT_EQ(journal.plan[2].attributes, 0x21u);
  EXPECT_EQ(journal.plan[3].path, std::string(kRegistration) + "\\install record");
  EXPECT_EQ(journal.plan[4].note, "20261201");
  EXPECT_TRUE(journal.planWhole);
  EXPECT_EQ(journal.begun, (std::set<uint32_t>{3, 7, 8}));
  ASSERT_EQ(journal.placed.size(), 1u);
  EXPECT_EQ(journal.placed[7].size, 1234u);
  EXPECT_EQ(journal.placed[7].digest, Placed(1234, 0xab).digest);
  EXPECT_TRUE(journal.committed);
}

// Whatever moment a process dies at, what it wrote reads: a line it never
// finished is as if never begun.
TEST(InstallJournal, ALineCutShortIsDropped) {
  const std::string whole = WholeJournal();
  const size_t commit = whole.rfind("C #");
  Journal journal;
  std::string why;
  for (size_t cut = whole.find("\r\n") + 2; cut < whole.size(); ++cut) {
    ASSERT_TRUE(Read(whole.substr(0, cut), &journal, &why)) << "cut at " << cut << ": " << why;
    EXPECT_FALSE(journal.committed);
    EXPECT_LE(journal.begun.size(), 3u);
  }
  ASSERT_TRUE(Read(whole.substr(0, commit), &journal, &why));
  EXPECT_EQ(journal.begun.size(), 3u);
  EXPECT_FALSE(journal.committed);
  // Cut inside the plan: no step may have begun.
  ASSERT_TRUE(Read(whole.substr(0, whole.find("P ") + 1), &journal, &why));
  EXPECT_FALSE(journal.planWhole);
  // Zeros where the last write went (a volume's unwritten blocks).
  ASSERT_TRUE(Read(whole.substr(0, commit) + std::string(512, '\0'), &journal, &why)) << why;
  EXPECT_FALSE(journal.committed);
}

TEST(InstallJournal, DamageOrDisorderMakesItUnreadable) {
  const std::string header = Header();
  const auto plan = [](JournalStep step, uint32_t index, const char* path) {
    return JournalPlanLine({step, index, 0, path});
  };
  const std::string file = plan(JournalStep::kNewFile, 1, "a.txt");
  std::string flipped = WholeJournal();
  flipped[flipped.find("One.ffx")] = 'X';  // the CRC no longer holds, and lines follow
  const struct {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"empty", ""},
      {"not a journal", "hello\r\n"},
      {"no header", file + JournalPlanEndLine(1)},
      {"a damaged line with more after it", flipped},
      {"a relative root", Header("Plug-ins")},
      {"a root with a line break", Header("C:\\a\r\nb")},
      {"a form-1 journal, kept in the staging folder", Sealed("qvsetup-journal 1 1 " + std::to_string(sizeof kRoot - 1) + ":" + kRoot)},
      {"no staging folder", Sealed("qvsetup-journal 2 1 4:C:\\P")},
      {"a staging folder that climbs out", JournalHeaderLine(kRoot, 1, "..\\..\\Windows")},
      {"a staging folder of another name", JournalHeaderLine(kRoot, 1, "Presets")},
      {"a replaced file's step without its bytes", header + plan(JournalStep::kReplaceFile, 1, "a") +
                                                     JournalPlanEndLine(1) + JournalBeginLine(1)},
      {"a folder's step with bytes", header + plan(JournalStep::kMakeFolder, 1, "a") + JournalPlanEndLine(1) +
                                         JournalPlaceLine(1, Placed(1, 1))},
      {"a placed size with a leading zero", header + file + JournalPlanEndLine(1) + Sealed("S 1 01 " + std::string(64, '0'))},
      {"a digest cut short", header + file + JournalPlanEndLine(1) + Sealed("S 1 1 " + std::string(63, '0'))},
      {"a digest in capitals", header + file + JournalPlanEndLine(1) + Sealed("S 1 1 " + std::string(63, '0') + "A")},
      {"a registration's relative folder", header + JournalPlanLine({JournalStep::kUnregister, 1, 0, "Uninstall"})},
      {"a registration file that was there twice", header + Sealed("K 1 2 4:C:\\R")},
      {"an entry's date of letters", header + JournalPlanLine({JournalStep::kEntry, 1, 0, "C:\\R", "2026120x"})},
      {"an entry's date cut short", header + JournalPlanLine({JournalStep::kEntry, 1, 0, "C:\\R", "2026"})},
      {"a registration file planned twice",
       header + JournalPlanLine({JournalStep::kRegister, 1, 0, "C:\\R\\x"}) +
           JournalPlanLine({JournalStep::kRegister, 2, 1, "c:\\r\\X"})},
      {"climbing out of the root", header + plan(JournalStep::kNewFile, 1, "..\\..\\Windows\\win.ini")},
      {"an absolute plan path", header + plan(JournalStep::kReplaceFile, 1, "C:\\Windows\\win.ini")},
      {"a share as a plan path", header + plan(JournalStep::kNewFile, 1, "\\\\server\\share\\x")},
      {"a device", header + plan(JournalStep::kNewFile, 1, "Sub\\nul.txt")},
      {"an empty name", header + plan(JournalStep::kNewFile, 1, "Sub\\\\x")},
      {"a trailing dot", header + plan(JournalStep::kMakeFolder, 1, "Sub.")},
      {"a made folder outside the root", header + JournalMadeLine("C:\\Windows")},
      {"a made folder below the root", header + JournalMadeLine(std::string(kRoot) + "\\Sub")},
      {"made folders innermost first", header + JournalMadeLine(kRoot) + JournalMadeLine("C:\\Plug-ins")},
      {"a made folder after the plan", header + file + JournalMadeLine(kRoot)},
      {"entries out of order", header + plan(JournalStep::kNewFile, 5, "a") + plan(JournalStep::kNewFile, 5, "b")},
      {"a made folder twice", header + JournalMadeLine(kRoot) + JournalMadeLine(kRoot)},
      {"a folder planned twice", header + plan(JournalStep::kMakeFolder, 1, "Sub") + plan(JournalStep::kMakeFolder, 2, "Sub")},
      {"a path planned twice, in another letter case",
       header + plan(JournalStep::kNewFile, 1, "Sub\\a.txt") + plan(JournalStep::kRemoveFile, 2, "SUB\\A.TXT")},
      {"a plan end that miscounts", header + file + JournalPlanEndLine(2)},
      {"a step before the plan's end", header + file + JournalBeginLine(1)},
      {"a step of no entry", header + file + JournalPlanEndLine(1) + JournalBeginLine(2)},
      {"a plan entry after its end", header + JournalPlanEndLine(0) + file},
      {"a commit before the plan's end", header + file + JournalCommitLine()},
      {"a line after the commit", header + file + JournalPlanEndLine(1) + JournalCommitLine() + JournalBeginLine(1)},
      {"a group before the plan's end", header + file + JournalGroupLine("group-0123456789abcdef", "C:\\R")},
      {"a group named like a path", header + file + JournalPlanEndLine(1) + JournalGroupLine("..\\..\\x", "C:\\R")},
      {"a group in capitals", header + file + JournalPlanEndLine(1) + JournalGroupLine("group-0123456789ABCDEF", "C:\\R")},
      {"two groups", header + file + JournalPlanEndLine(1) + JournalGroupLine("group-0123456789abcdef", "C:\\R") +
                         JournalGroupLine("group-0123456789abcdee", "C:\\R")},
      {"a group of a relative registration", header + file + JournalPlanEndLine(1) +
                                                 JournalGroupLine("group-0123456789abcdef", "Uninstall")},
      {"a group after the commit",
       header + file + JournalPlanEndLine(1) + JournalCommitLine() + JournalGroupLine("group-0123456789abcdef", "C:\\R")},
      {"a number past 32 bits", header + Sealed("N 4294967296 1:a")},
      {"a path longer than it says", header + Sealed("N 1 9:a")},
      {"more after the record", header + Sealed("N 1 1:a x")},
      {"attributes that are not hexadecimal", header + Sealed("R 1 zz 1:a")},
      {"an unknown kind", header + Sealed("X 1 1:a")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Journal journal;
    std::string why;
    EXPECT_FALSE(Read(c.bytes, &journal, &why));
    EXPECT_FALSE(why.empty());
  }
}

// A plan path whose full path is exactly as long as the installer's
// paths may be is one the install could have made; one more is not.
TEST(InstallJournal, APlanPathMayReachTheLongestPath) {
  for (const size_t length : {kMaxPathLength, kMaxPathLength + 1}) {
    SCOPED_TRACE(length);
    const std::string name(length - (sizeof kRoot - 1) - 1, 'n');
    const std::string bytes = Header() + JournalPlanLine({JournalStep::kNewFile, 1, 0, name}) + JournalPlanEndLine(1);
    Journal journal;
    std::string why;
    EXPECT_EQ(Read(bytes, &journal, &why), length == kMaxPathLength) << why;
  }
}

TEST(InstallJournal, TooLargeIsRefusedUnread) {
  Journal journal;
  std::string why;
  EXPECT_FALSE(ReadJournal(reinterpret_cast<const uint8_t*>(""), kMaxJournalBytes + 1, &journal, &why));
  EXPECT_NE(why.find("larger"), std::string::npos);
}

// A line of the journal as an earlier version wrote it: the second form,
// whose texts are in the ANSI code page.
std::string SecondForm(const std::string& line) {
  std::string body = line.substr(0, line.rfind(" #"));
  if (body.compare(0, 17, "qvsetup-journal 3") == 0) body[16] = '2';
  char seal[16];
  std::snprintf(seal, sizeof seal, " #%08x\r\n",
                static_cast<unsigned>(Crc32(reinterpret_cast<const uint8_t*>(body.data()), body.size())));
  return body + seal;
}

std::string ToUtf8(const std::string& text) { return "<" + text + ">"; }

// Each form's names by its own rules: a double-byte character whose second
// byte is a backslash is one name in the second form read with its code
// page, and its texts come back converted; the third form's are UTF-8,
// checked so.
TEST(InstallJournal, EachFormsNamesAreReadByItsOwnRules) {
  const auto lead = [](uint8_t byte) { return byte >= 0x81 && byte <= 0x9F; };
  const std::string doubleByte = "\x95\x5c" "nul.txt";
  const struct {
    bool secondForm;
    const char* path;
    AnsiForm ansi;
    bool readable;
    const char* pathRead;
  } cases[] = {
      {true, doubleByte.c_str(), {lead, ToUtf8}, true, "<\x95\x5cnul.txt>"},
      {true, doubleByte.c_str(), {}, false, ""},  // single bytes: "nul.txt" is a name of its own
      {false, doubleByte.c_str(), {lead, ToUtf8}, false, ""},  // the third form has no lead bytes
      {false, "\xE6\x97\xA5\xE6\x9C\xAC\\\xF0\x9F\x8E\xA8.txt", {lead, ToUtf8}, true,
       "\xE6\x97\xA5\xE6\x9C\xAC\\\xF0\x9F\x8E\xA8.txt"},
      {false, "caf\xE9.txt", {}, false, ""},  // a code page's byte in the third form
  };
  for (const auto& c : cases) {
    std::string bytes = Header() + JournalPlanLine({JournalStep::kNewFile, 1, 0, c.path});
    if (c.secondForm) bytes = SecondForm(Header()) + SecondForm(JournalPlanLine({JournalStep::kNewFile, 1, 0, c.path}));
    Journal journal;
    std::string why;
    const bool read = ReadJournal(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &journal, &why, c.ansi);
    EXPECT_EQ(read, c.readable) << c.path << ": " << why;
    if (read && c.readable) {
      ASSERT_EQ(journal.plan.size(), 1u);
      EXPECT_EQ(journal.plan[0].path, c.pathRead);
    }
  }
}

// One install of a group: its "G" line names the group's marker and the
// product's registration, and may come between its steps and its commit.
TEST(InstallJournal, AGroupLineNamesItsGroup) {
  const std::string bytes = Header() + JournalPlanLine({JournalStep::kNewFile, 1, 0, "a.txt"}) + JournalPlanEndLine(1) +
                            JournalPlaceLine(1, Placed(1, 1)) + JournalGroupLine("group-0123456789abcdef", "C:\\R");
  Journal journal;
  std::string why;
  ASSERT_TRUE(ReadJournal(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &journal, &why)) << why;
  EXPECT_EQ(journal.group, "group-0123456789abcdef");
  EXPECT_EQ(journal.groupOwner, "C:\\R");
  EXPECT_FALSE(journal.committed) << "the marker, not the line, commits it";
}

}  // namespace
