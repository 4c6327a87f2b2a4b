#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/window/ViewerText.h"

namespace {

std::vector<std::string> Lines(const std::string& text) {
  StringList list;
  AppendTextLines(text.data(), text.size(), list);
  std::vector<std::string> lines;
  for (int i = 0; i < list.Count(); ++i) lines.emplace_back(list.At(i).Data(), list.At(i).Length());
  return lines;
}

TEST(ViewerText, LineEndsAndBlankLines) {
  struct Case {
    const char* what;
    std::string text;
    std::vector<std::string> lines;
  } cases[] = {
      {"carriage return and line feed", "one\r\ntwo\r\n\r\nfour\r\n", {"one", "two", " ", "four"}},
      {"line feeds", "one\ntwo\n\nfour", {"one", "two", " ", "four"}},
      {"carriage returns", "one\rtwo\r\rfour\r", {"one", "two", " ", "four"}},
      {"line feed then carriage return: two ends", "a\n\rb", {"a", " ", "b"}},
      {"empty", "", {}},
      {"only a line end", "\r\n", {" "}},
  };
  for (const Case& c : cases) EXPECT_EQ(Lines(c.text), c.lines) << c.what;
}

TEST(ViewerText, LongLinesAreReadInPiecesAndEveryPieceIsWrapped) {
  const std::string longest(kLongestReadLine, 'w');
  const std::vector<std::string> lines = Lines(longest + "\n" + "x");
  ASSERT_EQ(lines.size(), static_cast<size_t>(kLongestReadLine / kWrapColumns + 1 + 1));
  EXPECT_EQ(lines.back(), "x") << "no blank line after a line of exactly the longest read";
  std::string joined;
  for (size_t i = 0; i + 1 < lines.size(); ++i) joined += lines[i];
  EXPECT_EQ(joined, longest) << "hard breaks at 70 lose nothing";
}

std::vector<std::string> Wrapped(const std::string& line) {
  StringList list;
  WrapLine(line.data(), static_cast<int>(line.size()), list);
  std::vector<std::string> lines;
  for (int i = 0; i < list.Count(); ++i) lines.emplace_back(list.At(i).Data(), list.At(i).Length());
  return lines;
}

TEST(ViewerText, WrapLineBreaksAtTheLastSpaceWithin70) {
  const std::string seventy(70, 'a');
  EXPECT_EQ(Wrapped(seventy), std::vector<std::string>{seventy});

  std::string s71(71, 'b');
  s71[10] = ' ';
  EXPECT_EQ(Wrapped(s71), (std::vector<std::string>{s71.substr(0, 11), s71.substr(10)}));

  // Spaces at 20 and 75 of 100: cut at 20, then at 55 of the rest.
  std::string s100(100, 'c');
  s100[20] = ' ';
  s100[75] = ' ';
  const std::vector<std::string> lines = Wrapped(s100);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], s100.substr(0, 21));
  EXPECT_EQ(lines[1], s100.substr(20, 56));
  EXPECT_EQ(lines[2], s100.substr(75));

  const std::string unbroken(150, 'd');
  EXPECT_EQ(Wrapped(unbroken), (std::vector<std::string>{unbroken.substr(0, 70), unbroken.substr(70, 70),
                                                         unbroken.substr(140)}));
  std::string leading(80, 'e');
  leading[0] = ' ';
  EXPECT_EQ(Wrapped(leading), (std::vector<std::string>{leading.substr(0, 70), leading.substr(70)}))
      << "a space at 0 is no break point";
}

}  // namespace
