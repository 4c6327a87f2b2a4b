#include "app/install/InstallProgress.h"
#include "app/install/UiStrings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <vector>

#include "common/Languages.h"
#include "common/UnicodeText.h"
#include "resources/StringIds.h"

namespace {

// What a translation must keep of the English: the markers the code fills
// in ("%1" to "%9"), a marked access key where English marks one, the
// spaces a label begins with (they set the check box's text off its box)
// and the line breaks.
std::multiset<std::string> Markers(const std::string& text) {
  std::multiset<std::string> markers;
  for (size_t i = 0; i + 1 < text.size(); ++i)
    if (text[i] == '%' && text[i + 1] >= '1' && text[i + 1] <= '9') markers.insert(text.substr(i, 2));
  return markers;
}

size_t LeadingSpaces(const std::string& text) {
  const size_t first = text.find_first_not_of(' ');
  return first == std::string::npos ? text.size() : first;
}

size_t LineBreaks(const std::string& text) { return static_cast<size_t>(std::count(text.begin(), text.end(), '\n')); }

const UiTable* TableOf(const char* tag) {
  for (const UiTable& table : UiTables())
    if (std::string(table.tag) == tag) return &table;
  return nullptr;
}

// The character a label marks as its key, in lower case (the key is the
// same either way; folded for ASCII, Latin-1 and Cyrillic letters, the
// keys the tables mark); 0 when none is marked. Decoded: a Cyrillic key is
// one character, not the first byte of its UTF-8.
char16_t KeyOf(const std::string& marked) {
  const std::u16string text = DecodeUtf8(marked.data(), marked.size());
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != u'&') continue;
    if (text[i + 1] == u'&') {
      ++i;
      continue;
    }
    const char16_t key = text[i + 1];
    if ((key >= u'A' && key <= u'Z') || (key >= 0xC0 && key <= 0xDE && key != 0xD7) || (key >= 0x410 && key <= 0x42F))
      return static_cast<char16_t>(key + 0x20);
    if (key >= 0x400 && key <= 0x40F) return static_cast<char16_t>(key + 0x50);
    return key;
  }
  return 0;
}

TEST(UiStrings, EveryTableIsAsTheEnglishAsksOfIt) {
  const UiTable& english = UiTables().front();
  ASSERT_STREQ(english.tag, "en");
  std::map<int, std::string> texts;
  for (size_t i = 0; i < english.count; ++i)
    EXPECT_TRUE(texts.emplace(english.strings[i].id, english.strings[i].text).second) << "twice: " << english.strings[i].id;
  for (const UiTable& table : UiTables()) {
    SCOPED_TRACE(table.tag);
    // Arabic and Hebrew are offered once the windows are mirrored for
    // right-to-left; until then their tables must be whole all the same.
    const bool offered = LanguageForTag(table.tag) != nullptr;
    EXPECT_TRUE(offered || std::string(table.tag) == "ar" || std::string(table.tag) == "he")
        << "a table of no language the installer speaks";
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
      EXPECT_EQ(LeadingSpaces(own), LeadingSpaces(english_text)) << own;
      EXPECT_EQ(LineBreaks(own), LineBreaks(english_text)) << own;
      // Whole UTF-8: decoded and encoded again, it is the same.
      const std::u16string decoded = DecodeUtf8(own.data(), own.size());
      EXPECT_EQ(decoded.find(u'\uFFFD'), std::u16string::npos) << own;
    }
    if (!offered) {
      for (const auto& text : texts) EXPECT_TRUE(seen.count(text.first)) << "lacks " << text.first << ": " << text.second;
    }
  }
}

// Every language the installer speaks is translated whole: a window in it
// shows no line of English.
TEST(UiStrings, EveryLanguageHasEveryText) {
  const UiTable& english = UiTables().front();
  for (const Language& language : Languages()) {
    SCOPED_TRACE(language.tag);
    const UiTable* table = TableOf(language.tag);
    ASSERT_NE(table, nullptr) << "no table";
    std::set<int> own;
    for (size_t i = 0; i < table->count; ++i) own.insert(table->strings[i].id);
    for (size_t i = 0; i < english.count; ++i)
      EXPECT_TRUE(own.count(english.strings[i].id)) << "lacks " << english.strings[i].id << ": " << english.strings[i].text;
  }
}

// Japanese, Chinese and Korean mark a Latin key after the label, as
// "参照(&B)...": a character of their own script cannot be typed as a key.
TEST(UiStrings, TheEastAsianKeysAreLatinInParentheses) {
  for (const char* tag : {"ja", "zh-CN", "zh-TW", "ko"}) {
    SCOPED_TRACE(tag);
    const UiTable* table = TableOf(tag);
    ASSERT_NE(table, nullptr);
    for (size_t i = 0; i < table->count; ++i) {
      const std::string text = table->strings[i].text;
      if (!LabelFromMarked(text).key) continue;
      const size_t at = text.find("(&");
      ASSERT_NE(at, std::string::npos) << text;
      EXPECT_EQ(text.find('&'), at + 1) << "the key in parentheses is the one marked: " << text;
      ASSERT_LT(at + 3, text.size()) << text;
      const char key = text[at + 2];
      EXPECT_TRUE(((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) && text[at + 3] == ')') << text;
    }
  }
}

// The labels a window offers at the same time mark different keys: a key
// marked twice reaches only one of them. A text a table lacks is English's
// there, as the window shows it.
TEST(UiStrings, TheLabelsShownTogetherMarkDifferentKeys) {
  const std::vector<std::vector<int>> together = {
      // The installer's steps and its two buttons; once it has run, Quit
      // beside Cancel while it runs, and beside Do Another after.
      {IDS_SHOW_RELEASE_NOTES, IDS_ACCEPT, IDS_READ_LICENSE, IDS_CHANGE_LOCATION, IDS_CANCEL, IDS_INSTALL},
      {IDS_QUIT, IDS_CANCEL},
      {IDS_QUIT, IDS_DO_ANOTHER},
      {IDS_OTHER_FOLDER, IDS_OK, IDS_CANCEL},  // the host chooser
      {IDS_REMOVE, IDS_CANCEL},                // the uninstaller
      {IDS_CLOSE, IDS_SAVE},                   // the text viewer
  };
  // Keys are told apart by character, letter case aside: "О" and "У"
  // begin with the same byte in UTF-8.
  EXPECT_EQ(KeyOf("C&hange"), u'h');
  EXPECT_EQ(KeyOf("Save && &Close"), u'c');
  EXPECT_EQ(KeyOf("&Отмена"), KeyOf("&отмена"));
  EXPECT_NE(KeyOf("&Отмена"), KeyOf("&Удалить"));
  EXPECT_EQ(KeyOf("OK"), 0);
  for (const UiTable& table : UiTables()) {
    SCOPED_TRACE(table.tag);
    for (const std::vector<int>& ids : together) {
      std::map<char16_t, int> keys;
      for (int id : ids) {
        const char16_t key = KeyOf(UiTextUtf8(table.tag, id));
        if (!key) continue;
        const auto mark = keys.emplace(key, id);
        EXPECT_TRUE(mark.second) << id << " and " << mark.first->second << " both mark "
                                 << UiTextUtf8(table.tag, id);
      }
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

// Numbers and sizes as each language writes them; English as the log does.
TEST(UiStrings, NumbersAndSizesInTheLanguagesOwnWay) {
  const struct {
    const char* tag;
    uint64_t bytes;
    const char* count;
    const char* size;
  } cases[] = {
      {"en", 1234567, "1,234,567", "1.2 MB"},
      {"en", 1, "1", "1 byte"},
      {"de", 1234567, "1.234.567", "1,2 MB"},
      {"de", 512, "512", "512 Bytes"},
      {"fr", 1234567, "1\u00a0234\u00a0567", "1,2 Mo"},
      {"ru", 3 * 1024, "3\u00a0072", "3,0 \u041a\u0411"},
      {"ja", 100, "100", "100 \u30d0\u30a4\u30c8"},
      {"pl", 1536, "1\u00a0536", "1,5 KB"},
  };
  for (const auto& c : cases) {
    SetUiLanguage(c.tag);
    EXPECT_EQ(UiCount(c.bytes), c.count) << c.tag;
    EXPECT_EQ(UiSize(c.bytes), c.size) << c.tag;
    if (std::string(c.tag) == "en") {
      EXPECT_EQ(UiCount(c.bytes), FormatCount(c.bytes));
      EXPECT_EQ(UiSize(c.bytes), FormatSize(c.bytes));
    }
  }
  SetUiLanguage("en");
}
