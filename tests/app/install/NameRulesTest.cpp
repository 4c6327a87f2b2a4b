// The rules that keep an install inside the chosen folder: what a name may
// be, and how "product.txt" turns into a product name.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/install/InstallNames.h"
#include "app/install/PayloadRules.h"
#include "common/UnicodeText.h"

namespace {

// A stand-in for a double-byte ANSI code page: bytes from 0x81 lead.
bool HighBytesLead(uint8_t byte) { return byte >= 0x81; }

TEST(NameRules, WhatWindowsMakesAsItIs) {
  const struct {
    const char* name;
    NameProblem problem;
  } cases[] = {
      {"Quorvin Tools", NameProblem::kNone},
      {"Tools 2.0", NameProblem::kNone},
      {".hidden", NameProblem::kNone},  // the copy skips it; as a name it is fine
      {"CONSOLE", NameProblem::kNone},
      {"COM0", NameProblem::kNone},
      {"LPT10", NameProblem::kNone},
      {"Nul Effects", NameProblem::kNone},
      {"con-fig.txt", NameProblem::kNone},
      {"\xe9t\xe9", NameProblem::kNone},
      {"", NameProblem::kEmpty},
      {"   ", NameProblem::kEmpty},
      {".", NameProblem::kDotName},
      {"..", NameProblem::kDotName},
      {"..\\..\\escaped", NameProblem::kReservedCharacter},
      {"..\\Windows", NameProblem::kReservedCharacter},
      {"a/b", NameProblem::kReservedCharacter},
      {"C:", NameProblem::kReservedCharacter},
      {"a*b", NameProblem::kReservedCharacter},
      {"a?b", NameProblem::kReservedCharacter},
      {"a\"b", NameProblem::kReservedCharacter},
      {"a<b", NameProblem::kReservedCharacter},
      {"a>b", NameProblem::kReservedCharacter},
      {"a|b", NameProblem::kReservedCharacter},
      {"tab\there", NameProblem::kControlCharacter},
      {"bell\x07", NameProblem::kControlCharacter},
      {"del\x7f", NameProblem::kControlCharacter},
      {"Tools ", NameProblem::kTrailingDotOrSpace},
      {"Tools.", NameProblem::kTrailingDotOrSpace},
      {"a...", NameProblem::kTrailingDotOrSpace},
      {"CON", NameProblem::kDeviceName},
      {"con", NameProblem::kDeviceName},
      {"Nul", NameProblem::kDeviceName},
      {"nul.txt", NameProblem::kDeviceName},
      {"NUL.tar.gz", NameProblem::kDeviceName},
      {"nul .txt", NameProblem::kDeviceName},
      {"AUX", NameProblem::kDeviceName},
      {"PRN", NameProblem::kDeviceName},
      {"COM1", NameProblem::kDeviceName},
      {"com9.log", NameProblem::kDeviceName},
      {"LPT1", NameProblem::kDeviceName},
      {"lpt9.x", NameProblem::kDeviceName},
      {"CONIN$", NameProblem::kDeviceName},
      {"conout$.txt", NameProblem::kDeviceName},
      {"COM\xb9", NameProblem::kDeviceName},  // a superscript digit names the port too
      {"lpt\xb3.log", NameProblem::kDeviceName},
      {"COM\xc2\xb9", NameProblem::kDeviceName},  // the same in UTF-8
      {"lpt\xc2\xb2.txt", NameProblem::kDeviceName},
      {"COM\xc2\xb4", NameProblem::kNone},
      {"COM1\xc2\xb9", NameProblem::kNone},
      {"CONIN", NameProblem::kNone},
      {"CONOUT$X", NameProblem::kNone},
      {"COM\xb4", NameProblem::kNone},
  };
  for (const auto& c : cases) EXPECT_EQ(CheckName(c.name), c.problem) << "\"" << c.name << "\"";
}

// A double-byte character may have a backslash or other reserved byte as
// its second byte; with the code page's rule that byte is no separator.
TEST(NameRules, TrailBytesOfDoubleByteCharactersAreNotSeparators) {
  const char* const table = "\x95\x5c";  // one double-byte character ending in 0x5C
  EXPECT_EQ(CheckName(table, HighBytesLead), NameProblem::kNone);
  EXPECT_EQ(CheckName((std::string("a") + table + "b").c_str(), HighBytesLead), NameProblem::kNone);
  EXPECT_EQ(CheckName(table), NameProblem::kReservedCharacter) << "without the rule the byte is a backslash";
  EXPECT_EQ(CheckName("\x95", HighBytesLead), NameProblem::kNone) << "a lone lead byte at the end";
  EXPECT_EQ(CheckName("\x95\x5c\\x", HighBytesLead), NameProblem::kReservedCharacter) << "a real backslash after it";
}

TEST(NameRules, TheProductNameMustBeOneFolderNameUnlessFxPlug) {
  for (TargetKind kind : {TargetApplication, TargetAfterEffects, TargetPhotoshop, TargetNone}) {
    EXPECT_EQ(ProductNameRefusal("Quorvin Tools", kind), "");
    for (const char* bad : {"", "  ", "..", "..\\..\\escaped", "..\\Windows", "C:\\Windows", "\\\\server\\share",
                            "Tools.", "AUX", "nul.txt"})
      EXPECT_NE(ProductNameRefusal(bad, kind), "") << kind << " \"" << bad << "\"";
  }
  // FxPlug installs into the chosen folder itself: the name is only text.
  for (const char* any : {"", "a\\b", "Tools."}) EXPECT_EQ(ProductNameRefusal(any, TargetFxPlug), "") << any;
  EXPECT_EQ(ProductNameRefusal("AUX", TargetApplication),
            "the product name names the folder installed into, and \"AUX\" is a reserved device name");
}

TEST(NameRules, FilesTakeWholeClusters) {
  const struct {
    uint64_t size, cluster, taken;
  } cases[] = {
      {0, 4096, 0},       {1, 4096, 4096},       {4096, 4096, 4096}, {4097, 4096, 8192},
      {1000, 0, 1000},  // no cluster size known: bytes
      {(1ULL << 40) + 1, 65536, (1ULL << 40) + 65536},
  };
  for (const auto& c : cases) EXPECT_EQ(BytesOnVolume(c.size, c.cluster), c.taken) << c.size << " / " << c.cluster;
}

// A stand-in for the platform's conversion from the ANSI code page:
// Latin-1 to UTF-8.
std::string Latin1(const std::string& text) {
  std::u16string wide;
  for (unsigned char c : text) wide += char16_t(c);  // Latin-1 is the first 256 code points
  std::string utf8;
  EncodeUtf8(wide, &utf8);
  return utf8;
}

ProductLine LineOf(const std::vector<uint8_t>& bytes) { return ProductLineFromBytes(bytes.data(), bytes.size(), Latin1); }

TEST(ProductFile, FirstNonBlankLineInEachEncoding) {
  const struct {
    const char* what;
    std::vector<uint8_t> bytes;
    const char* line;  // null: refused
  } cases[] = {
      {"ANSI, CR LF", {'F', 'o', 'o', '\r', '\n', 'x'}, "Foo"},
      {"ANSI, blank lines first", {'\r', '\n', '\n', '\r', 'F', 'o', 'o'}, "Foo"},
      {"ANSI letters converted", {'C', 'a', 'f', 0xE9, '\n'}, "Caf\xc3\xa9"},
      {"UTF-8 without a mark", {'C', 'a', 'f', 0xC3, 0xA9, '\n'}, "Caf\xc3\xa9"},
      {"UTF-8 without a mark, emoji", {0xF0, 0x9F, 0x8E, 0xA8}, "\xf0\x9f\x8e\xa8"},
      {"empty file", {}, ""},
      {"only line ends", {'\r', '\n', '\r', '\n'}, ""},
      {"UTF-8 mark dropped", {0xEF, 0xBB, 0xBF, 'R', 'a', 'y', '\r', '\n'}, "Ray"},
      {"UTF-8 mark, two-byte letter", {0xEF, 0xBB, 0xBF, 'C', 'a', 'f', 0xC3, 0xA9}, "Caf\xc3\xa9"},
      {"UTF-8 mark, blank lines first", {0xEF, 0xBB, 0xBF, '\n', '\n', 'A'}, "A"},
      {"UTF-8 mark, any script", {0xEF, 0xBB, 0xBF, 0xE6, 0x97, 0xA5}, "\xe6\x97\xa5"},
      {"UTF-8 mark, overlong slash", {0xEF, 0xBB, 0xBF, 'a', 0xC0, 0xAF, 'b'}, nullptr},
      {"UTF-8 mark, cut sequence", {0xEF, 0xBB, 0xBF, 'a', 0xC3}, nullptr},
      {"UTF-8 mark, encoded surrogate", {0xEF, 0xBB, 0xBF, 0xED, 0xA0, 0x80}, nullptr},
      // FF FE, then little-endian units: "R", "a", CR, LF, "x".
      {"UTF-16 LE", {0xFF, 0xFE, 'R', 0, 'a', 0, '\r', 0, '\n', 0, 'x', 0}, "Ra"},
      {"UTF-16 BE", {0xFE, 0xFF, 0, 'R', 0, 'a', 0, '\n'}, "Ra"},
      {"UTF-16 LE, blank lines first", {0xFF, 0xFE, '\n', 0, '\r', 0, 'Q', 0}, "Q"},
      {"UTF-16 LE, e acute", {0xFF, 0xFE, 'C', 0, 0xE9, 0}, "C\xc3\xa9"},
      {"UTF-16 LE, odd last byte ignored", {0xFF, 0xFE, 'A', 0, 'B'}, "A"},
      {"UTF-16 LE, any script", {0xFF, 0xFE, 'A', 0, 0xE5, 0x65}, "A\xe6\x97\xa5"},
      {"UTF-16 LE, a pair", {0xFF, 0xFE, 0x3C, 0xD8, 0xA8, 0xDF}, "\xf0\x9f\x8e\xa8"},
      {"UTF-16 LE, lone surrogate", {0xFF, 0xFE, 0x00, 0xD8, 'A', 0}, nullptr},
      {"UTF-16 LE, zero character", {0xFF, 0xFE, 'A', 0, 0, 0, 'B', 0}, nullptr},
      {"UTF-16 LE, only the mark", {0xFF, 0xFE}, ""},
      {"UTF-16 without its mark", {'R', 0, 'a', 0}, nullptr},
      {"ANSI with a zero byte", {'A', 0, 'B'}, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const ProductLine line = LineOf(c.bytes);
    if (c.line) {
      EXPECT_EQ(line.refusal, "");
      EXPECT_EQ(line.text, c.line);
    } else {
      EXPECT_NE(line.refusal, "");
      EXPECT_EQ(line.text, "");
    }
  }
}

// "Version:" on the line after the name, in any encoding; a line that
// says it is a version and is none refuses the file.
TEST(ProductFile, TheVersionLineFollowsTheName) {
  const auto bytes = [](const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); };
  std::vector<uint8_t> utf16 = {0xFF, 0xFE};
  for (char c : std::string("F\nVersion:3")) utf16.insert(utf16.end(), {static_cast<uint8_t>(c), 0});
  const struct {
    const char* what;
    std::vector<uint8_t> bytes;
    const char* version;  // null: refused
  } cases[] = {
      {"none", bytes("F\r\nx"), ""},
      {"X.Y.Z", bytes("F\r\nVersion: 2.1.0\r\n"), "2.1.0"},
      {"any letter case, blank lines, spaces", bytes("F\n\nvERSION:  7 \t"), "7"},
      {"four numbers", bytes("F\nVersion:1.2.3.4"), "1.2.3.4"},
      {"five numbers", bytes("F\nVersion:1.2.3.4.5"), nullptr},
      {"past 65535", bytes("F\nVersion:65536"), nullptr},
      {"65535 itself", bytes("F\nVersion:65535.65535"), "65535.65535"},
      {"a space before the colon", bytes("F\nVersion : 3.4"), nullptr},
      {"spaces before the line", bytes("F\n  Version: 3.4"), nullptr},
      {"no colon", bytes("F\nVersion 3.4"), nullptr},
      {"a word that only begins so", bytes("F\nVersions for every host"), ""},
      {"the word alone", bytes("F\nVersion"), ""},
      {"a letter", bytes("F\nVersion:2b"), nullptr},
      {"empty", bytes("F\nVersion:"), nullptr},
      {"a dot too many", bytes("F\nVersion:2..1"), nullptr},
      {"not on the second line", bytes("F\nx\nVersion:2"), ""},
      {"UTF-16 LE", utf16, "3"},
      {"UTF-8 mark", bytes("\xef\xbb\xbf" "F\nVersion:4.0"), "4.0"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const ProductLine line = LineOf(c.bytes);
    if (c.version) {
      EXPECT_EQ(line.refusal, "");
      EXPECT_EQ(line.text, "F");
      EXPECT_EQ(line.version, c.version);
    } else {
      EXPECT_NE(line.refusal.find("version"), std::string::npos) << line.refusal;
    }
  }
}

TEST(ProductFile, VersionsCompareNumberByNumber) {
  EXPECT_LT(CompareVersions("2.9", "2.10"), 0);
  EXPECT_GT(CompareVersions("10.0", "9.99.99"), 0);
  EXPECT_EQ(CompareVersions("2.1", "2.1.0.0"), 0);
  // Down is a lower version, or none over one.
  const struct {
    const char* version;
    const char* installed;
    bool down;
  } cases[] = {{"1.9", "2.0", true}, {"2.0", "2.0", false}, {"2.1", "2.0", false},
               {"", "2.0", true},    {"2.0", "", false},    {"", "", false}};
  for (const auto& c : cases)
    EXPECT_EQ(IsVersionDowngrade(c.version, c.installed), c.down) << c.version << " over " << c.installed;
  EXPECT_LT(CompareVersions("2.1", "2.1.0.1"), 0);
  EXPECT_EQ(CompareVersions("", "0"), 0);
}

TEST(ProductFile, TheLineStopsAt1023Characters) {
  std::vector<uint8_t> ansi(5000, 'n');
  EXPECT_EQ(LineOf(ansi).text.size(), 1023u);
  std::vector<uint8_t> wide = {0xFF, 0xFE};
  for (int i = 0; i < 3000; ++i) wide.insert(wide.end(), {'w', 0});
  EXPECT_EQ(LineOf(wide).text.size(), 1023u);
  std::vector<uint8_t> utf8 = {0xEF, 0xBB, 0xBF};
  for (int i = 0; i < 3000; ++i) utf8.insert(utf8.end(), {0xC3, 0xA9});
  std::string acute;
  for (int i = 0; i < 1023; ++i) acute += "\xc3\xa9";
  EXPECT_EQ(LineOf(utf8).text, acute) << "1023 characters, not 1023 bytes";
  // A pair is never cut in half: 1022 units and the pair's two would pass.
  std::vector<uint8_t> pairs = {0xFF, 0xFE};
  for (int i = 0; i < 600; ++i) pairs.insert(pairs.end(), {0x3C, 0xD8, 0xA8, 0xDF});
  EXPECT_EQ(LineOf(pairs).text.size(), 511u * 4);
}

}  // namespace
