#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/window/ViewerText.h"

namespace {

std::vector<std::string> Strings(const StringList& list) {
  std::vector<std::string> lines;
  for (int i = 0; i < list.Count(); ++i) lines.emplace_back(list.At(i).Data(), list.At(i).Length());
  return lines;
}

// One pixel per character: widths read as columns.
int Columns(const char*, int count) { return count; }

// A proportional face: narrow, wide and ordinary letters.
int Proportional(const char* text, int count) {
  int width = 0;
  for (int i = 0; i < count; ++i) width += text[i] == 'i' ? 3 : text[i] == 'W' ? 11 : 7;
  return width;
}

std::vector<std::string> Wrapped(const std::string& line, int width, const TextMeasure& measure = Columns) {
  StringList rows;
  WrapLine(line, width, measure, rows);
  return Strings(rows);
}

TEST(ViewerText, LineEndsBlankLinesAndTabs) {
  struct Case {
    const char* what;
    std::string text;
    std::vector<std::string> lines;
  } cases[] = {
      {"carriage return and line feed", "one\r\ntwo\r\n\r\nfour\r\n", {"one", "two", "", "four"}},
      {"line feeds", "one\ntwo\n\nfour", {"one", "two", "", "four"}},
      {"carriage returns", "one\rtwo\r\rfour\r", {"one", "two", "", "four"}},
      {"line feed then carriage return: two ends", "a\n\rb", {"a", "", "b"}},
      {"no final line end", "last", {"last"}},
      {"empty", "", {}},
      {"only a line end", "\r\n", {""}},
      {"a tab goes to column 8", "a\tb", {"a       b"}},
      {"a tab at a stop fills a whole stop", "12345678\tx", {"12345678        x"}},
      {"a tab one short of a stop", "1234567\tx", {"1234567 x"}},
      {"tabs in a row", "\t\tx", {std::string(16, ' ') + "x"}},
      {"stops count from each line's start", "abc\n\tx", {"abc", "        x"}},
  };
  for (const Case& c : cases) EXPECT_EQ(SplitTextLines(c.text.data(), c.text.size()), c.lines) << c.what;
}

TEST(ViewerText, WrapsAtSpacesThatFitTheWidth) {
  struct Case {
    const char* what;
    std::string line;
    int width;
    std::vector<std::string> rows;
  } cases[] = {
      {"fits", "short", 10, {"short"}},
      {"exactly the width", "0123456789", 10, {"0123456789"}},
      {"empty", "", 10, {""}},
      {"at the last space that fits", "aaaa bbbb cccc", 10, {"aaaa bbbb", "cccc"}},
      {"a run of spaces at a break goes", "aaaa.  bbbb cc", 10, {"aaaa.", "bbbb cc"}},
      {"a space right after a full row", "aaaaaaaaaa bbb", 10, {"aaaaaaaaaa", "bbb"}},
      {"spaces inside a row stay", "a  b  c  d  eeeeee", 12, {"a  b  c  d", "eeeeee"}},
      {"a word wider than the row", "abcdefghijklmnopqrstuvwxy", 10, {"abcdefghij", "klmnopqrst", "uvwxy"}},
      {"a long word starts its own row", "ab abcdefghijklmn", 10, {"ab", "abcdefghij", "klmn"}},
      {"the indent of a line stays", "    indented words here", 12, {"    indented", "words here"}},
      {"trailing spaces at a break go", "aaaa bbbb   ", 9, {"aaaa bbbb"}},
      {"only spaces", std::string(12, ' '), 5, {"     "}},
      {"no width: a character a row", "ab c", 0, {"a", "b", "c"}},
  };
  for (const Case& c : cases) EXPECT_EQ(Wrapped(c.line, c.width), c.rows) << c.what;

  // Pixels, not characters: eight narrow letters fit where five ordinary
  // ones do.
  EXPECT_EQ(Wrapped("iiiiiiii aaaaa", 35, Proportional), (std::vector<std::string>{"iiiiiiii", "aaaaa"}));
  EXPECT_EQ(Wrapped("WWW aaa", 35, Proportional), (std::vector<std::string>{"WWW", "aaa"}));
}

}  // namespace
