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
