#include "common/Languages.h"

#include <gtest/gtest.h>

namespace {

// The user's UI language: exact, else the primary language (Chinese by
// its script), else English.
TEST(Languages, TheUsersLanguageExactThenPrimaryThenEnglish) {
  const struct {
    uint16_t id;
    const char* tag;
  } cases[] = {
      {0x0409, "en"},    {0x0809, "en"},    {0x0407, "de"},    {0x0C07, "de"},  // German (Austria)
      {0x040C, "fr"},    {0x0C0C, "fr"},    {0x0C0A, "es"},    {0x040A, "es"},  // traditional sort
      {0x080A, "es"},    {0x0416, "pt-BR"}, {0x0816, "pt-BR"}, {0x0411, "ja"},  // Portugal: the one Portuguese
      {0x0804, "zh-CN"}, {0x1004, "zh-CN"}, {0x0404, "zh-TW"}, {0x0C04, "zh-TW"},  // Hong Kong reads Traditional
      {0x1404, "zh-TW"}, {0x0412, "ko"},    {0x0419, "ru"}, {0x0C01, "ar"}, {0x040D, "he"},    {0x0415, "pl"},
      {0x0401, "ar"},    {0x1401, "ar"},    {0x041F, "en"},    {0x0000, "en"},  // Algeria: Arabic; Turkish: none yet
  };
  for (const auto& c : cases) EXPECT_STREQ(LanguageForId(c.id).tag, c.tag) << std::hex << c.id;
}

TEST(Languages, TagsAsSlashLangGivesThem) {
  const struct {
    const char* given;
    const char* tag;  // null: no language
  } cases[] = {
      {"de", "de"},       {"DE", "de"},           {"de-AT", "de"},       {"pt-BR", "pt-BR"}, {"pt-br", "pt-BR"},
      {"pt", "pt-BR"},    {"pt-PT", "pt-BR"},     {"zh", "zh-CN"},       {"zh-TW", "zh-TW"}, {"zh-HK", "zh-TW"},
      {"zh-Hant", "zh-TW"}, {"zh-Hant-TW", "zh-TW"}, {"zh-Hans", "zh-CN"}, {"ja-JP", "ja"},    {"en-GB", "en"},
      {"", nullptr},      {"xx", nullptr},        {"de_DE", nullptr},    {"de.txt", nullptr}, {"..\\de", nullptr},
      {"d e", nullptr},   {"deutschland-und-mehr", nullptr},
  };
  for (const auto& c : cases) {
    const Language* language = LanguageForTag(c.given);
    EXPECT_STREQ(language ? language->tag : nullptr, c.tag) << c.given;
  }
  EXPECT_EQ(LanguageTagList(), "en, de, fr, es, it, pt-BR, pl, ru, ja, zh-CN, zh-TW, ko, ar, he");
}

TEST(Languages, AVendorsTextsExactThenPrimaryThenPlain) {
  EXPECT_EQ(LocalizedTextNames("eula", *LanguageForTag("pt-BR")),
            (std::vector<std::string>{"eula.pt-BR.txt", "eula.pt.txt", "eula.txt"}));
  EXPECT_EQ(LocalizedTextNames("readme", *LanguageForTag("de")),
            (std::vector<std::string>{"readme.de.txt", "readme.txt"}));
  const struct {
    const char* name;
    const char* tag;  // null: not a localized text of "eula"
  } cases[] = {
      {"eula.de.txt", "de"}, {"EULA.pt-BR.TXT", "pt-BR"}, {"eula.xx.txt", "xx"},
      {"eula.txt", nullptr}, {"eula..txt", nullptr},      {"eula.de.old.txt", nullptr},
      {"readme.de.txt", nullptr}, {"eulade.txt", nullptr}, {"eula.de.txt.bak", nullptr},
  };
  for (const auto& c : cases) {
    std::string tag;
    EXPECT_EQ(LocalizedTextTag(c.name, "eula", &tag), c.tag != nullptr) << c.name;
    if (c.tag) EXPECT_EQ(tag, c.tag) << c.name;
  }
}

}  // namespace
