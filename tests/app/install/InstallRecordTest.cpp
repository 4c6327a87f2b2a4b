// The install record as bytes: what an install writes reads back the same,
// and nothing changed, cut short or aimed outside the install folder is
// ever taken for a record.
#include "app/install/InstallRecord.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "app/install/InstallJournal.h"
#include "common/UnicodeText.h"

namespace {

InstallRecord Sample() {
  InstallRecord record;
  record.product = "Kestrova Lumen";
  record.version = "2.1.0";
  record.kind = TargetAfterEffects;
  record.location = "C:\\Plug-ins";
  record.destination = "C:\\Plug-ins\\Kestrova Lumen";
  record.madeAbove = 2;
  record.folders = {"Presets", "Presets\\Deep"};
  record.files = {{"Lumen.aex", 1234, 0, Sha256::Of("Lumen", 5)}, {"Presets\\One ffx #1.ffx", 0, 0, Sha256::Of("", 0)}};
  return record;
}

// The sample as the first installs wrote it: XXH64 for each file.
InstallRecord FirstFormSample() {
  InstallRecord record = Sample();
  record.form = RecordForm::kXxh64;
  record.files = {{"Lumen.aex", 1234, 0xef46db3751d8e999ull}, {"Presets\\One ffx #1.ffx", 0, 1}};
  return record;
}



bool Read(const std::string& bytes, InstallRecord* record, std::string* why) {
  return ReadRecord(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), record, why);
}

// The text with its last line made anew, as a hand that knows the format
// would: only the record's own rules stop it then.
std::string Resealed(std::string text) {
  text.resize(text.rfind("end "));
  size_t lines = 0;
  for (char c : text) lines += c == '\n';
  char end[48];
  std::snprintf(end, sizeof end, "end %zu %08x\r\n", lines,
                static_cast<unsigned>(Crc32(reinterpret_cast<const uint8_t*>(text.data()), text.size())));
  return text + end;
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  const size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

TEST(InstallRecord, WhatIsWrittenReadsBackTheSame) {
  const std::string text = RecordText(Sample());
  EXPECT_EQ(text.substr(0, 48), "qvsetup-record 3\r\nproduct 14:Kestrova Lumen\r\nver");
  EXPECT_NE(text.find("\r\nfile 1234 " + DigestText(Sha256::Of("Lumen", 5)) + " 9:Lumen.aex\r\n"), std::string::npos);
  InstallRecord record;
  std::string why;
  ASSERT_TRUE(Read(text, &record, &why)) << why;
  EXPECT_EQ(RecordText(record), text);
  EXPECT_EQ(record.files[1].path, "Presets\\One ffx #1.ffx");
  EXPECT_EQ(record.OutermostMadeFolder(), "C:\\Plug-ins");
  // No version, FxPlug (the location is the destination), nothing made.
  InstallRecord fx = Sample();
  fx.version.clear();
  fx.kind = TargetFxPlug;
  fx.destination = fx.location;
  fx.madeAbove = 0;
  ASSERT_TRUE(Read(RecordText(fx), &record, &why)) << why;
  EXPECT_EQ(record.version, "");
  EXPECT_EQ(record.OutermostMadeFolder(), "");
}

// Records the first installs wrote stay readable, with their XXH64, and
// are written back as they were.
TEST(InstallRecord, TheFirstFormStaysReadable) {
  const std::string text = RecordText(FirstFormSample());
  EXPECT_EQ(text.substr(0, 18), "qvsetup-record 1\r\n");
  EXPECT_NE(text.find("\r\nfile 1234 ef46db3751d8e999 9:Lumen.aex\r\n"), std::string::npos);
  InstallRecord record;
  std::string why;
  ASSERT_TRUE(Read(text, &record, &why)) << why;
  EXPECT_EQ(record.form, RecordForm::kXxh64);
  EXPECT_EQ(record.files[0].hash, 0xef46db3751d8e999ull);
  EXPECT_EQ(RecordText(record), text);
  // Each form's digests only: a SHA-256 in a first-form record, or an
  // XXH64 in a second-form one, is refused.
  const std::string sha = DigestText(Sha256::Of("Lumen", 5));
  EXPECT_FALSE(Read(Resealed(Replaced(text, "ef46db3751d8e999", sha)), &record, &why));
  EXPECT_FALSE(Read(Resealed(Replaced(RecordText(Sample()), sha, "ef46db3751d8e999")), &record, &why));
}

TEST(InstallRecord, ChangedOrCutShortIsRefused) {
  const std::string text = RecordText(Sample());
  InstallRecord record;
  std::string why;
  for (size_t cut = 0; cut < text.size(); ++cut)
    EXPECT_FALSE(Read(text.substr(0, cut), &record, &why)) << "cut at " << cut;
  EXPECT_FALSE(Read(Replaced(text, "Lumen.aex", "Lumen.aey"), &record, &why));
  EXPECT_NE(why.find("CRC"), std::string::npos) << why;
  EXPECT_FALSE(Read(text + "x", &record, &why));
  EXPECT_FALSE(Read(Replaced(text, "\r\nend 11 ", "\r\nend 10 "), &record, &why));
}

// Each hostile change below is resealed, so its own rule must catch it.
TEST(InstallRecord, EveryFieldIsChecked) {
  const std::string text = RecordText(Sample());
  const struct {
    const char* what;
    const char* from;
    const char* to;
  } cases[] = {
      {"a file climbing out", "9:Lumen.aex", "12:..\\Lumen.aex"},
      {"an absolute file path", "9:Lumen.aex", "11:C:\\boot.ini"},
      {"a device name", "9:Lumen.aex", "3:NUL"},
      {"a folder climbing out", "7:Presets\r\n", "10:..\\Presets\r\n"},
      {"a destination elsewhere", "destination 26:C:\\Plug-ins\\Kestrova Lumen", "destination 10:C:\\Windows"},
      {"a destination above the location", "destination 26:C:\\Plug-ins\\Kestrova Lumen",
       "destination 11:C:\\Plug-ins"},
      {"a relative location", "location 11:C:\\Plug-ins", "location 7:Plug-in"},
      {"a product that climbs", "product 14:Kestrova Lumen", "product 2:.."},
      {"a kind of no payload", "kind 2", "kind 0"},
      {"an unknown kind", "kind 2", "kind 9"},
      {"a malformed version", "version 5:2.1.0", "version 5:2.x.0"},
      {"more made folders than the path has", "made-above 2", "made-above 3"},
      {"a file twice, letter case aside", "9:Lumen.aex", "22:PRESETS\\ONE FFX #1.FFX"},
      {"a digest too short", "e3b0c442", "e3b0c44"},
      {"a digest in capitals", "e3b0c442", "E3B0C442"},
      {"a size past 64 bits", "file 1234 ", "file 18446744073709551616 "},
      {"a negative size", "file 1234 ", "file -1234 "},
      {"a line of an unknown kind", "folder 7:Presets\r\n", "delete 7:Presets\r\n"},
      {"a field with more after it", "made-above 2", "made-above 2 x"},
      {"a magic of a form to come", "qvsetup-record 3", "qvsetup-record 4"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    InstallRecord record;
    std::string why;
    EXPECT_FALSE(Read(Resealed(Replaced(text, c.from, c.to)), &record, &why));
    EXPECT_NE(why, "");
  }
  InstallRecord record;
  std::string why;
  EXPECT_TRUE(Read(Resealed(text), &record, &why)) << why;
  // A folder after the files.
  const std::string lumen = "file 1234 " + DigestText(Sha256::Of("Lumen", 5)) + " 9:Lumen.aex\r\n";
  EXPECT_FALSE(Read(Resealed(Replaced(Replaced(text, "folder 12:Presets\\Deep\r\n", ""), lumen,
                                      lumen + "folder 12:Presets\\Deep\r\n")),
                    &record, &why));
}

// A Shift-JIS name whose trail byte is 0x5C ("\\") is one name, not two.
bool ShiftJisLead(uint8_t byte) { return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC); }

// The texts of an earlier form, in code page 1252 here, as UTF-8.
std::string Latin1ToUtf8(const std::string& text) {
  std::u16string wide;
  for (unsigned char c : text) wide += char16_t(c);  // Latin-1 is the first 256 code points
  std::string utf8;
  EncodeUtf8(wide, &utf8);
  return utf8;
}

// Records of each form and the texts they hold: UTF-8 in the third form
// (any script, checked well formed), the code page's in the earlier two,
// read by its rules and handed back in UTF-8.
TEST(InstallRecord, EachFormsTextsAreReadInTheirEncoding) {
  const struct {
    RecordForm form;
    const char* product;
    const char* file;
    AnsiForm ansi;
    bool readable;
    const char* productRead;
    const char* fileRead;
  } cases[] = {
      {RecordForm::kSha256, "Lumi\xC3\xA8re", "\xE6\x97\xA5\xE6\x9C\xAC.aex", {}, true, "Lumi\xC3\xA8re",
       "\xE6\x97\xA5\xE6\x9C\xAC.aex"},
      {RecordForm::kSha256, "Kestrova Lumen", "\xF0\x9F\x8E\xA8 art.png", {}, true, "Kestrova Lumen",
       "\xF0\x9F\x8E\xA8 art.png"},  // an emoji, four bytes
      {RecordForm::kSha256, "Lumi\xE8re", "a.aex", {}, false, "", ""},  // a code page's byte is no UTF-8
      {RecordForm::kSha256, "Kestrova Lumen", "\xED\xA0\x80.aex", {}, false, "", ""},  // a surrogate
      {RecordForm::kSha256Ansi, "Lumi\xE8re", "caf\xE9.aex", {nullptr, Latin1ToUtf8}, true, "Lumi\xC3\xA8re",
       "caf\xC3\xA9.aex"},
      {RecordForm::kXxh64, "Lumi\xE8re", "a.aex", {nullptr, Latin1ToUtf8}, true, "Lumi\xC3\xA8re", "a.aex"},
      {RecordForm::kSha256Ansi, "Kestrova Lumen", "\x95\x5c" "nul.aex", {ShiftJisLead, nullptr}, true, "Kestrova Lumen",
       "\x95\x5c" "nul.aex"},
      {RecordForm::kSha256Ansi, "Kestrova Lumen", "\x95\x5c" "nul.aex", {}, false, "", ""},  // two names without the rule
      {RecordForm::kSha256, "Kestrova Lumen", "\x95\x5c" "nul.aex", {ShiftJisLead, nullptr}, false, "", ""},  // UTF-8 has none
  };
  for (const auto& c : cases) {
    InstallRecord sample = Sample();
    sample.form = c.form;
    sample.product = c.product;
    sample.destination = sample.location + "\\" + c.product;
    sample.files = {{c.file, 1, 7, Sha256::Of("x", 1)}};
    const std::string text = RecordText(sample);
    InstallRecord record;
    std::string why;
    const bool read = ReadRecord(reinterpret_cast<const uint8_t*>(text.data()), text.size(), &record, &why, c.ansi);
    EXPECT_EQ(read, c.readable) << c.product << " / " << c.file << ": " << why;
    if (!read || !c.readable) continue;
    EXPECT_EQ(record.form, c.form);
    EXPECT_EQ(record.product, c.productRead);
    EXPECT_EQ(record.files.at(0).path, c.fileRead);
    EXPECT_EQ(record.destination, sample.location + "\\" + c.productRead);
  }
}

TEST(InstallJournal, ARemovedFileKeepsItsAttributes) {
  const std::string line = JournalPlanLine({JournalStep::kRemoveFile, 9, 0x20, "Old.aex"});
  EXPECT_EQ(line.substr(0, 16), "D 9 20 7:Old.aex");
  Journal journal;
  std::string why;
  const std::string bytes = JournalHeaderLine("C:\\P", 1, ".qvsetup-1") + line + JournalPlanEndLine(1) + JournalBeginLine(9);
  ASSERT_TRUE(ReadJournal(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &journal, &why)) << why;
  ASSERT_EQ(journal.plan.size(), 1u);
  EXPECT_EQ(journal.plan[0].step, JournalStep::kRemoveFile);
  EXPECT_EQ(journal.plan[0].attributes, 0x20u);
  EXPECT_TRUE(KeepsEarlierVersion(JournalStep::kRemoveFile));
}

}  // namespace
