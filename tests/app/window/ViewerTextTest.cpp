#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/window/ViewerText.h"

namespace {

// One pixel per UTF-16 unit: widths read as columns.
int Columns(const char16_t*, int count) { return count; }

// A proportional face: narrow, wide and ordinary letters.
int Proportional(const char16_t* text, int count) {
  int width = 0;
  for (int i = 0; i < count; ++i) width += text[i] == u'i' ? 3 : text[i] == u'W' ? 11 : 7;
  return width;
}

std::vector<std::u16string> Wrapped(const std::u16string& line, int width, const TextMeasure& measure = Columns) {
  std::vector<std::u16string> rows;
  WrapLine(line, width, measure, rows);
  return rows;
}

std::string Bytes(std::initializer_list<uint8_t> bytes) { return std::string(bytes.begin(), bytes.end()); }

bool HasUnpairedSurrogate(const std::u16string& text) {
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i];
    if (unit >= 0xD800 && unit <= 0xDBFF) {
      if (i + 1 == text.size() || text[i + 1] < 0xDC00 || text[i + 1] > 0xDFFF) return true;
      ++i;
    } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
      return true;
    }
  }
  return false;
}

// The UTF-8 form of well-formed UTF-16, to compare a decoding with the
// bytes it came from.
std::string Utf8Of(const std::u16string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF) c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | c >> 6);
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | c >> 12);
      out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | c >> 18);
      out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
      out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

TEST(ViewerText, TheEncodingComesFromTheMarkOrTheBytes) {
  struct Case {
    const char* what;
    std::string bytes;
    TextEncoding encoding;
    size_t mark;
  } cases[] = {
      {"UTF-8 mark", Bytes({0xEF, 0xBB, 0xBF, 'a'}), TextEncoding::kUtf8, 3},
      {"UTF-8 mark alone", Bytes({0xEF, 0xBB, 0xBF}), TextEncoding::kUtf8, 3},
      {"UTF-8 mark before bytes that are not UTF-8", Bytes({0xEF, 0xBB, 0xBF, 0xE9}), TextEncoding::kUtf8, 3},
      {"UTF-16 little-endian mark", Bytes({0xFF, 0xFE, 'a', 0x00}), TextEncoding::kUtf16LittleEndian, 2},
      {"UTF-16 big-endian mark", Bytes({0xFE, 0xFF, 0x00, 'a'}), TextEncoding::kUtf16BigEndian, 2},
      {"UTF-16 mark with an odd length", Bytes({0xFF, 0xFE, 'a'}), TextEncoding::kUtf16LittleEndian, 2},
      {"no mark, valid UTF-8 with an accent", Bytes({'c', 'a', 'f', 0xC3, 0xA9}), TextEncoding::kUtf8, 0},
      {"no mark, a euro sign in three bytes", Bytes({'1', 0xE2, 0x82, 0xAC}), TextEncoding::kUtf8, 0},
      {"no mark, code page 1252 accent", Bytes({'c', 'a', 'f', 0xE9}), TextEncoding::kAnsi, 0},
      {"no mark, code page 1252 quotes", Bytes({0x93, 'q', 0x94}), TextEncoding::kAnsi, 0},
      {"plain ASCII", "plain text\r\n", TextEncoding::kAnsi, 0},
      {"empty", "", TextEncoding::kAnsi, 0},
      {"half a UTF-8 mark", Bytes({0xEF, 0xBB}), TextEncoding::kAnsi, 0},
      {"UTF-8 cut inside its last character", Bytes({0xC3, 0xA9, 0xE2, 0x82}), TextEncoding::kAnsi, 0},
      {"an overlong slash", Bytes({0xC0, 0xAF}), TextEncoding::kAnsi, 0},
      {"an encoded surrogate", Bytes({0xED, 0xA0, 0x80}), TextEncoding::kAnsi, 0},
  };
  for (const Case& c : cases) {
    const TextForm form = DetectTextForm(c.bytes.data(), c.bytes.size());
    EXPECT_EQ(form.encoding, c.encoding) << c.what;
    EXPECT_EQ(form.markLength, c.mark) << c.what;
  }
}

// Each maximal part of an ill-formed sequence is one U+FFFD, and the bytes
// after it are read afresh.
TEST(ViewerText, Utf8DecodesAndReplacesWhatIsIllFormed) {
  const char16_t r = kReplacementCharacter;
  struct Case {
    const char* what;
    std::string bytes;
    std::u16string text;
    bool valid;
  } cases[] = {
      {"ASCII and a two-byte letter", Bytes({'A', 0xC3, 0xA9}), u"A\u00E9", true},
      {"Polish letters", Bytes({0xC5, 0x82, 0xC3, 0xB3, 0xC5, 0xBA}), u"\u0142\u00F3\u017A", true},
      {"euro sign and typographic quotes", Bytes({0xE2, 0x82, 0xAC, 0xE2, 0x80, 0x9C, 0xE2, 0x80, 0x9D}),
       u"\u20AC\u201C\u201D", true},
      {"four bytes: a surrogate pair", Bytes({0xF0, 0x9F, 0x98, 0x80}), u"\U0001F600", true},
      {"the highest code point", Bytes({0xF4, 0x8F, 0xBF, 0xBF}), u"\U0010FFFF", true},
      {"the lowest four-byte code point: a pair", Bytes({0xF0, 0x90, 0x80, 0x80}), u"\U00010000", true},
      {"a zero byte", Bytes({'a', 0x00, 'b'}), std::u16string(u"a\0b", 3), true},
      {"an overlong slash: C0 is never a lead", Bytes({0xC0, 0xAF}), {r, r}, false},
      {"an overlong three-byte form", Bytes({0xE0, 0x80, 0xAF}), {r, r, r}, false},
      {"an overlong four-byte form", Bytes({0xF0, 0x8F, 0xBF, 0xBF}), {r, r, r, r}, false},
      {"an encoded surrogate", Bytes({0xED, 0xA0, 0x80}), {r, r, r}, false},
      {"past U+10FFFF", Bytes({0xF4, 0x90, 0x80, 0x80}), {r, r, r, r}, false},
      {"F5 and FF lead nothing", Bytes({0xF5, 0xFF, 'x'}), {r, r, u'x'}, false},
      {"continuation bytes alone", Bytes({0x80, 0xBF}), {r, r}, false},
      {"cut at the end: one replacement", Bytes({'a', 0xE2, 0x82}), {u'a', r}, false},
      {"cut by a letter", Bytes({0xE2, 0x82, 'A'}), {r, u'A'}, false},
      {"four-byte form cut by a new lead", Bytes({0xF0, 0x9F, 0x98, 0xC3, 0xA9}), {r, u'\u00E9'}, false},
      {"a lead at the very end", Bytes({'a', 0xC3}), {u'a', r}, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DecodeUtf8(c.bytes.data(), c.bytes.size()), c.text) << c.what;
    EXPECT_EQ(IsValidUtf8(c.bytes.data(), c.bytes.size()), c.valid) << c.what;
  }
}

TEST(ViewerText, Utf16DecodesEitherOrderAndReplacesLoneHalves) {
  const char16_t r = kReplacementCharacter;
  struct Case {
    const char* what;
    std::string bytes;
    bool bigEndian;
    std::u16string text;
  } cases[] = {
      {"little-endian", Bytes({'A', 0x00, 0xE9, 0x00}), false, u"A\u00E9"},
      {"big-endian", Bytes({0x00, 'A', 0x20, 0xAC}), true, u"A\u20AC"},
      {"a pair, little-endian", Bytes({0x3D, 0xD8, 0x00, 0xDE}), false, u"\U0001F600"},
      {"a pair, big-endian", Bytes({0xD8, 0x3D, 0xDE, 0x00}), true, u"\U0001F600"},
      {"a high half at the end", Bytes({'a', 0x00, 0x3D, 0xD8}), false, {u'a', r}},
      {"a high half before a letter", Bytes({0x3D, 0xD8, 'a', 0x00}), false, {r, u'a'}},
      {"a low half alone", Bytes({0x00, 0xDE, 'a', 0x00}), false, {r, u'a'}},
      {"two high halves, then a low one", Bytes({0x3D, 0xD8, 0x3D, 0xD8, 0x00, 0xDE}), false, u"\uFFFD\U0001F600"},
      {"an odd last byte", Bytes({'a', 0x00, 'b'}), false, {u'a', r}},
      {"one byte", Bytes({'a'}), true, {r}},
      {"empty", "", false, u""},
  };
  for (const Case& c : cases) EXPECT_EQ(DecodeUtf16(c.bytes.data(), c.bytes.size(), c.bigEndian), c.text) << c.what;
}

// The whole road from a file's bytes to its text: the mark is never text,
// and a mark further on is no mark.
TEST(ViewerText, TheMarkIsLeftOut) {
  struct Case {
    const char* what;
    std::string bytes;
    std::u16string text;
  } cases[] = {
      {"UTF-8 with a mark", Bytes({0xEF, 0xBB, 0xBF, 'c', 'a', 'f', 0xC3, 0xA9}), u"caf\u00E9"},
      {"UTF-8 without one", Bytes({'c', 'a', 'f', 0xC3, 0xA9}), u"caf\u00E9"},
      {"UTF-16 little-endian", Bytes({0xFF, 0xFE, 0x41, 0x01, '\r', 0x00, '\n', 0x00}), u"\u0141\r\n"},
      {"UTF-16 big-endian", Bytes({0xFE, 0xFF, 0x01, 0x41, 0x00, 'x'}), u"\u0141x"},
      {"a second mark is a character", Bytes({0xEF, 0xBB, 0xBF, 0xEF, 0xBB, 0xBF}), u"\uFEFF"},
      {"the code page is the platform's", Bytes({'c', 'a', 'f', 0xE9}), u""},
  };
  for (const Case& c : cases) {
    const TextForm form = DetectTextForm(c.bytes.data(), c.bytes.size());
    EXPECT_EQ(DecodeUnicodeText(c.bytes.data(), c.bytes.size(), form), c.text) << c.what;
  }
}

// Hostile bytes by the thousand, drawn from the bytes that start, continue
// or spoil sequences: decoding never reads past its input (the native build
// runs this under AddressSanitizer), never leaves half a surrogate pair,
// and gives back valid UTF-8 exactly; the text then splits and wraps.
TEST(ViewerText, AnyBytesDecodeSplitAndWrap) {
  const uint8_t pieces[] = {'a', ' ', '\t', '\r', '\n', 0x00, 0x7F, 0x80, 0x8F, 0x90, 0x9F, 0xA0, 0xBF, 0xC0, 0xC2,
                            0xDF, 0xE0, 0xED, 0xEF, 0xBB, 0xF0, 0xF4, 0xF5, 0xFE, 0xFF, 0xD8, 0xDC, 0x3D};
  uint32_t seed = 12345;
  const auto next = [&seed] { return seed = seed * 1103515245u + 12345u, seed >> 16; };
  int valid = 0;
  for (int round = 0; round < 5000; ++round) {
    std::string bytes(next() % 24, '\0');
    for (char& byte : bytes) byte = static_cast<char>(pieces[next() % sizeof pieces]);
    SCOPED_TRACE("round " + std::to_string(round));
    const std::u16string utf8 = DecodeUtf8(bytes.data(), bytes.size());
    ASSERT_FALSE(HasUnpairedSurrogate(utf8));
    ASSERT_LE(utf8.size(), bytes.size());
    if (IsValidUtf8(bytes.data(), bytes.size())) {
      ++valid;
      ASSERT_EQ(Utf8Of(utf8), bytes);
    }
    for (bool bigEndian : {false, true})
      ASSERT_FALSE(HasUnpairedSurrogate(DecodeUtf16(bytes.data(), bytes.size(), bigEndian)));
    const TextForm form = DetectTextForm(bytes.data(), bytes.size());
    for (const std::u16string& line : SplitTextLines(DecodeUnicodeText(bytes.data(), bytes.size(), form))) {
      for (const std::u16string& row : Wrapped(line, static_cast<int>(next() % 4)))
        ASSERT_FALSE(HasUnpairedSurrogate(row));
    }
  }
  EXPECT_GT(valid, 100) << "the valid inputs are checked too";
}

TEST(ViewerText, LineEndsBlankLinesAndTabs) {
  struct Case {
    const char* what;
    std::u16string text;
    std::vector<std::u16string> lines;
  } cases[] = {
      {"carriage return and line feed", u"one\r\ntwo\r\n\r\nfour\r\n", {u"one", u"two", u"", u"four"}},
      {"line feeds", u"one\ntwo\n\nfour", {u"one", u"two", u"", u"four"}},
      {"carriage returns", u"one\rtwo\r\rfour\r", {u"one", u"two", u"", u"four"}},
      {"line feed then carriage return: two ends", u"a\n\rb", {u"a", u"", u"b"}},
      {"no final line end", u"last", {u"last"}},
      {"empty", u"", {}},
      {"only a line end", u"\r\n", {u""}},
      {"a tab goes to column 8", u"a\tb", {u"a       b"}},
      {"a tab at a stop fills a whole stop", u"12345678\tx", {u"12345678        x"}},
      {"a tab one short of a stop", u"1234567\tx", {u"1234567 x"}},
      {"tabs in a row", u"\t\tx", {std::u16string(16, u' ') + u"x"}},
      {"stops count from each line's start", u"abc\n\tx", {u"abc", u"        x"}},
      {"a surrogate pair is one column", u"\U0001F600\tx", {u"\U0001F600       x"}},
      {"a combining mark is none", u"e\u0301\tx", {u"e\u0301       x"}},
      {"accents of any encoding are characters", u"\u00E9t\u00E9\tx", {u"\u00E9t\u00E9     x"}},
  };
  for (const Case& c : cases) EXPECT_EQ(SplitTextLines(c.text), c.lines) << c.what;
}

TEST(ViewerText, WrapsAtSpacesThatFitTheWidth) {
  struct Case {
    const char* what;
    std::u16string line;
    int width;
    std::vector<std::u16string> rows;
  } cases[] = {
      {"fits", u"short", 10, {u"short"}},
      {"exactly the width", u"0123456789", 10, {u"0123456789"}},
      {"empty", u"", 10, {u""}},
      {"at the last space that fits", u"aaaa bbbb cccc", 10, {u"aaaa bbbb", u"cccc"}},
      {"a run of spaces at a break goes", u"aaaa.  bbbb cc", 10, {u"aaaa.", u"bbbb cc"}},
      {"a space right after a full row", u"aaaaaaaaaa bbb", 10, {u"aaaaaaaaaa", u"bbb"}},
      {"spaces inside a row stay", u"a  b  c  d  eeeeee", 12, {u"a  b  c  d", u"eeeeee"}},
      {"a word wider than the row", u"abcdefghijklmnopqrstuvwxy", 10, {u"abcdefghij", u"klmnopqrst", u"uvwxy"}},
      {"a long word starts its own row", u"ab abcdefghijklmn", 10, {u"ab", u"abcdefghij", u"klmn"}},
      {"the indent of a line stays", u"    indented words here", 12, {u"    indented", u"words here"}},
      {"trailing spaces at a break go", u"aaaa bbbb   ", 9, {u"aaaa bbbb"}},
      {"only spaces", std::u16string(12, u' '), 5, {u"     "}},
      {"no width: a character a row", u"ab c", 0, {u"a", u"b", u"c"}},
      {"accented words wrap as any", u"\u017C\u00F3\u0142w \u0107ma", 5, {u"\u017C\u00F3\u0142w", u"\u0107ma"}},
      {"never inside a surrogate pair", u"\U0001F600\U0001F600\U0001F600", 3,
       {u"\U0001F600", u"\U0001F600", u"\U0001F600"}},
      {"a pair wider than the row has a row", u"\U0001F600x", 1, {u"\U0001F600", u"x"}},
      {"never before a combining mark", u"e\u0301e\u0301e\u0301", 3, {u"e\u0301", u"e\u0301", u"e\u0301"}},
      {"a line that starts with a mark", u"\u0301\u0301abc", 1, {u"\u0301\u0301", u"a", u"b", u"c"}},
  };
  for (const Case& c : cases) EXPECT_EQ(Wrapped(c.line, c.width), c.rows) << c.what;

  // Pixels, not characters: eight narrow letters fit where five ordinary
  // ones do.
  EXPECT_EQ(Wrapped(u"iiiiiiii aaaaa", 35, Proportional), (std::vector<std::u16string>{u"iiiiiiii", u"aaaaa"}));
  EXPECT_EQ(Wrapped(u"WWW aaa", 35, Proportional), (std::vector<std::u16string>{u"WWW", u"aaa"}));
}

}  // namespace
