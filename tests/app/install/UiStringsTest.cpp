#include "app/install/UiStrings.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "common/Languages.h"
#include "common/UnicodeText.h"
#include "resources/StringIds.h"

namespace {

// What a translation must keep of the English: the markers the code fills
// in, and a marked access key where English marks one.
std::multiset<std::string> Markers(const std::string& text) {
  std::multiset<std::string> markers;
  for (size_t i = 0; i + 1 < text.size(); ++i)
    if (text[i] == '%' && (text[i + 1] == '1' || text[i + 1] == '2')) markers.insert(text.substr(i, 2));
  return markers;
}

TEST(UiStrings, EveryTableIsAsTheEnglishAsksOfIt) {
  const UiTable& english = UiTables().front();
  ASSERT_STREQ(english.tag, "en");
  std::map<int, std::string> texts;
  for (size_t i = 0; i < english.count; ++i)
    EXPECT_TRUE(texts.emplace(english.strings[i].id, english.strings[i].text).second) << "twice: " << english.strings[i].id;
  for (const UiTable& table : UiTables()) {
    SCOPED_TRACE(table.tag);
    EXPECT_NE(LanguageForTag(table.tag), nullptr) << "a table of no language the installer speaks";
    std::set<int> seen;
    for (size_t i = 0; i < table.count; ++i) {
      const UiString& string = table.strings[i];
      SCOPED_TRACE(string.id);
      EXPECT_TRUE(seen.insert(string.id).second) << "twice";
      ASSERT_TRUE(texts.count(string.id)) << "a text English does not have";
      const std::string& own = string.text;
      const std::string& english_text = texts[string.id];
      EXPECT_FALSE(own.empty());
      EXPECT_EQ(Markers(own), Markers(english_text)) << own;
      EXPECT_EQ(LabelFromMarked(own).key != 0, LabelFromMarked(english_text).key != 0) << own;
      // Whole UTF-8: decoded and encoded again, it is the same.
      const std::u16string decoded = DecodeUtf8(own.data(), own.size());
      EXPECT_EQ(decoded.find(u'\uFFFD'), std::u16string::npos) << own;
    }
  }
}

TEST(UiStrings, ALanguageWithoutATextTakesEnglishs) {
  EXPECT_EQ(UiTextUtf8("en", IDS_WELCOME), "WELCOME!");
  EXPECT_EQ(UiTextUtf8("de", IDS_WELCOME), "WILLKOMMEN!");
  EXPECT_EQ(UiTextUtf8("xx", IDS_WELCOME), "WELCOME!");
  EXPECT_EQ(UiTextUtf8(nullptr, IDS_WELCOME), "WELCOME!");
  EXPECT_EQ(UiTextUtf8("de", 99999), "");
}

TEST(UiStrings, FillingAndLabels) {
  const struct {
    const char* text;
    const char* first;
    const char* second;
    const char* filled;
  } fills[] = {
      {"Install %1", "Foo", "", "Install Foo"},
      {"%1 and %2 other folders", "C:/A", "2", "C:/A and 2 other folders"},
      {"Install %1", "100%2 %1", "x", "Install 100%2 %1"},  // what is put in stays as it is
      {"50% done", "", "", "50% done"},
  };
  for (const auto& c : fills) EXPECT_EQ(FillUiText(c.text, {c.first, c.second}), c.filled) << c.text;
  EXPECT_EQ(FillUiText("%3 of %1", {"a"}), " of a") << "a marker without its argument";
  const struct {
    const char* marked;
    const char* text;
    char key;
  } labels[] = {
      {"C&hange Location...", "Change Location...", 'h'},
      {"Save && Close", "Save & Close", 0},
      {"&Cancel", "Cancel", 'C'},
      {"OK", "OK", 0},
      {"Trailing&", "Trailing&", 0},
  };
  for (const auto& c : labels) {
    const UiLabel label = LabelFromMarked(c.marked);
    EXPECT_EQ(label.text, c.text) << c.marked;
    EXPECT_EQ(label.key, c.key) << c.marked;
  }
}

}  // namespace
