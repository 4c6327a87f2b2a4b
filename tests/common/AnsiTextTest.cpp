// The conversion to the ANSI code page (1252 in the test prefix) one
// character at a time: a look-alike never stands in for a character.
#include "common/AnsiText.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// One character the code page lacks spoils only its own place: a surrogate
// pair is one character, a lone surrogate one too.
TEST(AnsiText, MarkingPutsTheMarkForEachCharacterThatDoesNotConvert) {
  const struct {
    std::wstring text;
    const char* marked;
  } cases[] = {
      {L"C:\\fw\\sub\\\uFF0E\uFF0E\\windows", "C:\\fw\\sub\\??\\windows"},
      {L"Caf\u00E9\uFF44", "Caf\xE9?"},
      {L"a\U0001F600b", "a?b"},
      {std::wstring(L"a") + wchar_t(0xD800) + L"b", "a?b"},
      {std::wstring(L"a") + wchar_t(0xDC00), "a?"},
      {L"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(AnsiMarkingUnconvertible(c.text, '?'), c.marked);
  EXPECT_EQ(AnsiCodePageName(), "1252");
}

}  // namespace

namespace {

// UTF-8 to the code page (1252 in the rig) and back: exact or refused.
TEST(AnsiText, Utf8ToTheCodePageExactlyOrNot) {
  std::string ansi;
  EXPECT_TRUE(AnsiFromUtf8("Caf\xC3\xA9", &ansi));
  EXPECT_EQ(ansi, "Caf\xE9");
  EXPECT_EQ(Utf8FromAnsi(ansi), "Caf\xC3\xA9");
  EXPECT_FALSE(AnsiFromUtf8("Plug\xC5\x82ins", &ansi)) << "no exact form of the Polish l in 1252";
  EXPECT_FALSE(AnsiFromUtf8("\xEF\xBC\x8E\xEF\xBC\x8E", &ansi)) << "full-width dots are no dots";
  EXPECT_EQ(WideFromUtf8("\xE2\x82\xAC"), L"\u20AC");
}

}  // namespace
