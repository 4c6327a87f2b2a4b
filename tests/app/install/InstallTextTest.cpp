#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "app/install/InstallLogText.h"
#include "app/install/InstallNames.h"
#include "app/install/InstallProgress.h"
#include "app/install/TextFields.h"

namespace {

// A stand-in for a double-byte ANSI code page: bytes from 0x81 lead.
bool HighBytesLead(uint8_t byte) { return byte >= 0x81; }

std::string Cut(std::string name, LeadBytePredicate isLeadByte = nullptr) {
  name.push_back('\0');
  const size_t kept = CutProductName(&name[0], isLeadByte);
  name.resize(std::strlen(name.c_str()));
  EXPECT_EQ(kept, name.size());
  return name;
}

TEST(ProductName, IsCutSoThatEveryTextFromItFits) {
  EXPECT_EQ(Cut(""), "");
  EXPECT_EQ(Cut("Quorvin Tools"), "Quorvin Tools");
  EXPECT_EQ(Cut(std::string(226, 'n')), std::string(226, 'n'));
  EXPECT_EQ(Cut(std::string(227, 'n')), std::string(226, 'n'));
  EXPECT_EQ(Cut(std::string(1023, 'n')), std::string(226, 'n'));
  const std::string longest = Cut(std::string(1023, 'n'));
  for (const std::string& text : {"Install " + longest, "Follow these 4 steps to install " + longest + ".",
                                  "About " + longest})
    EXPECT_LE(text.size(), 259u) << text.substr(0, 40);
  EXPECT_EQ(std::string("Follow these 4 steps to install ").size() + 226 + 1, 259u) << "the longest text is full";
}

TEST(ProductName, IsNeverCutInsideADoubleByteCharacter) {
  const std::string pair = "\x93\xfa";  // one double-byte character
  // 225 single bytes and a pair: the pair would end at 227, so it goes.
  EXPECT_EQ(Cut(std::string(225, 'a') + pair + "zz", HighBytesLead), std::string(225, 'a'));
  EXPECT_EQ(Cut(std::string(224, 'a') + pair + "zz", HighBytesLead), std::string(224, 'a') + pair);
  std::string pairs;
  for (int i = 0; i < 200; ++i) pairs += pair;
  EXPECT_EQ(Cut(pairs, HighBytesLead).size(), 226u);
  // A lead byte with nothing after it is a single byte.
  EXPECT_EQ(Cut(std::string(225, 'a') + "\x93", HighBytesLead), std::string(225, 'a') + "\x93");
  // Without the code page's rule, bytes are characters.
  EXPECT_EQ(Cut(std::string(225, 'a') + pair + "zz").size(), 226u);
}

std::string Destination(const std::string& location, const char* product, TargetKind kind) {
  char out[260] = "untouched";
  if (!InstallDestination(location.c_str(), product, kind, out)) return std::string("<refused>") + out;
  return out;
}

TEST(InstallDestination, ProductSubFolderUnlessFxPlug) {
  struct {
    const char* location;
    const char* product;
    TargetKind kind;
    const char* expected;
  } const cases[] = {
      {"C:\\Program Files", "Quorvin Tools", TargetApplication, "C:\\Program Files\\Quorvin Tools"},
      {"C:\\Plug-ins", "Quorvin Tools", TargetAfterEffects, "C:\\Plug-ins\\Quorvin Tools"},
      {"C:\\Plug-ins", "Quorvin Tools", TargetPhotoshop, "C:\\Plug-ins\\Quorvin Tools"},
      {"C:\\Plug-ins", "Quorvin Tools", TargetNone, "C:\\Plug-ins\\Quorvin Tools"},
      {"C:\\FxPlugs", "Quorvin Tools", TargetFxPlug, "C:\\FxPlugs"},
      {"C:\\", "Quorvin Tools", TargetApplication, "C:\\Quorvin Tools"},
      {"C:\\", "Quorvin Tools", TargetFxPlug, "C:\\"},
      // Without a product folder only FxPlug goes into the location itself.
      {"C:\\Program Files", "", TargetApplication, "<refused>"},
      {"C:\\FxPlugs", "", TargetFxPlug, "C:\\FxPlugs"},
  };
  for (const auto& c : cases) EXPECT_EQ(Destination(c.location, c.product, c.kind), c.expected) << c.location;
}

// A destination past 259 characters is refused whole: cutting its head off
// would install somewhere nobody chose.
TEST(InstallDestination, ADestinationThatDoesNotFitIsRefusedNeverCut) {
  const std::string product(40, 'p');
  const std::string fits = "C:\\" + std::string(259 - 3 - 1 - 40, 'l');  // + "\" + product = 259
  EXPECT_EQ(Destination(fits, product.c_str(), TargetApplication).size(), 259u);
  EXPECT_EQ(Destination(fits + "l", product.c_str(), TargetApplication), "<refused>");
  EXPECT_EQ(Destination(fits + "\\", product.c_str(), TargetApplication).size(), 259u)
      << "no second backslash, so the same length fits";
  EXPECT_EQ(Destination(std::string(259, 'x'), "", TargetFxPlug).size(), 259u);
  EXPECT_EQ(Destination(std::string(260, 'x'), "", TargetFxPlug), "<refused>");
  EXPECT_EQ(Destination(std::string(300, 'x'), "p", TargetApplication), "<refused>");
}

// Files and bytes, each by its own measure.
TEST(ProgressText, CountsFilesAndBytes) {
  struct {
    uint64_t files, filesTotal, bytes, bytesTotal;
    const char* expected;
  } const cases[] = {
      {0, 10000, 0, 5000000, "Installing. Please wait... 0 of 10,000 files, 0 bytes of 4.8 MB"},
      {1179, 5006, 3355443, 4928307, "Installing. Please wait... 1,179 of 5,006 files, 3.2 MB of 4.7 MB"},
      {1, 1, 7, 7, "Installing. Please wait... 1 of 1 file, 7 bytes of 7 bytes"},
      // Nothing to copy, or only empty files: no bytes to show.
      {0, 0, 0, 0, "Installing. Please wait... 0 of 0 files"},
      {2, 3, 0, 0, "Installing. Please wait... 2 of 3 files"},
      // The payload grew after it was counted: never past the whole.
      {12, 10, 900, 500, "Installing. Please wait... 12 of 12 files, 900 bytes of 900 bytes"},
      {5000000000ULL, 10000000000ULL, 1ULL << 62, 1ULL << 63,
       "Installing. Please wait... 5,000,000,000 of 10,000,000,000 files, 4.0 EB of 8.0 EB"},
  };
  for (const auto& c : cases) EXPECT_EQ(ProgressText(c.files, c.filesTotal, c.bytes, c.bytesTotal), c.expected);
}

// Units of 1,024 with one decimal, rounded; a rounding that reaches 1,024
// of a unit is the next unit.
TEST(ProgressText, SizesAsPeopleReadThem) {
  const std::pair<uint64_t, const char*> cases[] = {
      {0, "0 bytes"},          {1, "1 byte"},           {1023, "1,023 bytes"},
      {1024, "1.0 KB"},        {1075, "1.0 KB"},        {1076, "1.1 KB"},
      {21196800, "20.2 MB"},   {1048575, "1.0 MB"},     {1073741823, "1.0 GB"},
      {1610612736, "1.5 GB"},  {UINT64_MAX, "16.0 EB"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatSize(c.first), c.second) << c.first;
}

TEST(ProgressText, FormatCountGroupsThousands) {
  const std::pair<uint64_t, const char*> cases[] = {
      {0, "0"}, {999, "999"}, {1000, "1,000"}, {123456, "123,456"}, {1234567, "1,234,567"},
      {UINT64_MAX, "18,446,744,073,709,551,615"}};
  for (const auto& c : cases) EXPECT_EQ(FormatCount(c.first), c.second);
}

TEST(RepaintThrottle, AtMostOneRepaintPerInterval) {
  RepaintThrottle throttle(100);
  // tick -> due
  const std::pair<uint32_t, bool> steps[] = {
      {5000, true}, {5000, false}, {5050, false}, {5099, false}, {5100, true},
      {5150, false}, {5350, true}, {5351, false}, {5449, false}, {5450, true},
  };
  for (const auto& step : steps) EXPECT_EQ(throttle.Due(step.first), step.second) << "tick " << step.first;

  // The tick count wraps after 49.7 days.
  RepaintThrottle wrapping(100);
  EXPECT_TRUE(wrapping.Due(0xFFFFFFF0u));
  EXPECT_FALSE(wrapping.Due(0x00000010u));
  EXPECT_TRUE(wrapping.Due(0x00000060u));
  // A first tick of 0 is due too.
  EXPECT_TRUE(RepaintThrottle(100).Due(0));
}

TEST(LogText, Lines) {
  EXPECT_EQ(LogStartLine({2024, 5, 1, 9, 4, 7}, 1234), "---- 2024-05-01 09:04:07 process 1234");
  EXPECT_EQ(LogStartLine({2024, 12, 31, 23, 59, 59}, 4294967295u), "---- 2024-12-31 23:59:59 process 4294967295");
  EXPECT_EQ(LogField("product", "Quorvin Tools"), "product: Quorvin Tools");
  EXPECT_EQ(LogTargetText(TargetAfterEffects, "AE Files"), "After Effects plug-in (AE Files)");
  EXPECT_EQ(LogTargetText(TargetNone, "Temp Files"), "no payload (Temp Files)");
  EXPECT_EQ(LogTallyText(1, 1), "1 file, 1 byte");
  EXPECT_EQ(LogTallyText(12, 3456), "12 files, 3,456 bytes");
  EXPECT_EQ(LogTallyText(0, 0), "0 files, 0 bytes");
  EXPECT_EQ(LogCopiedLine("C:\\P\\Q\\a.aex", 1234), "copied: C:\\P\\Q\\a.aex (1,234 bytes)");
  EXPECT_EQ(LogUnchangedLine("C:\\P\\Q\\a.aex", 1), "unchanged: C:\\P\\Q\\a.aex (1 byte, left in place)");
  EXPECT_EQ(LogErrorLine("C:\\P\\b.aex", 5, "Access denied."), "error: C:\\P\\b.aex: Access denied. (error 5)");
  EXPECT_EQ(LogErrorLine(nullptr, 0, "unknown product"), "error: unknown product");
  EXPECT_EQ(LogErrorLine("", 32, ""), "error: (error 32)");
  EXPECT_EQ(LogResultLine(true, 12, 3456, 0.4234), "result: installed, 12 files, 3,456 bytes, 0.42 seconds");
  EXPECT_EQ(LogResultLine(false, 1, 1234, 0.1), "result: failed, 1 file, 1,234 bytes, 0.10 seconds");
  EXPECT_EQ(LogResultLine(false, 0, 0, -0.001), "result: failed, 0 files, 0 bytes, 0.00 seconds");
}

// A name may hold any byte but zero; the log line stays one line, and the
// escape cannot be mistaken for a name, which never holds "<" or ">".
TEST(LogText, ControlCharactersAreWrittenEscaped) {
  EXPECT_EQ(LogEscaped("copied: C:\\P\\a\nb.txt (1 byte)"), "copied: C:\\P\\a<0A>b.txt (1 byte)");
  EXPECT_EQ(LogEscaped(std::string("\r\t\x01\x1f\x7f", 5)), "<0D><09><01><1F><7F>");
  EXPECT_EQ(LogEscaped("caf\xe9 \x80 ~"), "caf\xe9 \x80 ~") << "ANSI letters stay";
  EXPECT_EQ(LogEscaped(""), "");
}

TEST(LogText, PlatformMessagesBecomeOneLine) {
  EXPECT_EQ(OneLineMessage("Access denied.\r\n"), "Access denied.");
  EXPECT_EQ(OneLineMessage("  The process cannot access the file\r\nbecause it is in use.\r\n\r\n"),
            "The process cannot access the file because it is in use.");
  EXPECT_EQ(OneLineMessage("a\t\tb"), "a b");
  EXPECT_EQ(OneLineMessage(""), "");
  EXPECT_EQ(OneLineMessage("\r\n \t"), "");
}

// A folder is above another only at a backslash: a name that only
// begins like it is a sibling.
TEST(FolderText, AFolderIsAboveAnotherOnlyAtABackslash) {
  const struct {
    const char* folder;
    const char* root;
    bool above;
  } cases[] = {
      {"C:\\A", "C:\\A", true},
      {"C:\\A", "C:\\A\\B", true},
      {"C:\\A", "C:\\AB", false},
      {"C:\\A", "C:\\AB\\C", false},
      {"C:\\A\\B", "C:\\A", false},
      {"C:\\A\\", "C:\\A\\B", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsRootOrAbove(c.folder, c.root), c.above) << c.folder << " / " << c.root;
}

}  // namespace
