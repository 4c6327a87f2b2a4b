#include "common/ConversionBuffer.h"
#include "common/TextString.h"

#include <gtest/gtest.h>

#include <new>
#include <string>
#include <vector>

namespace {

std::string Bytes(const TextString& s) { return std::string(s.Data(), s.Length()); }

}  // namespace

TEST(TextStringTest, GrowsInWholeStepsOf128ThatDouble) {
  TextString s("abc");
  std::string expected = "abc";
  std::vector<int> capacities = {s.Capacity()};
  for (int i = 0; i < 2000; ++i) {
    s.Append(static_cast<char>('a' + i % 26));
    expected += static_cast<char>('a' + i % 26);
    if (s.Capacity() != capacities.back()) capacities.push_back(s.Capacity());
  }
  EXPECT_EQ(capacities, (std::vector<int>{128, 256, 512, 1024, 2048}));
  EXPECT_EQ(Bytes(s), expected);
  EXPECT_EQ(TextString(std::string(300, 'x').c_str()).Capacity(), 384);
}

TEST(TextStringTest, KeepsEmbeddedZeroBytes) {
  TextString s("a\0b", 3);
  s.Append('\0');
  s.Append("c\0d", 3);
  EXPECT_EQ(Bytes(s), std::string("a\0b\0c\0d", 7));
  EXPECT_NE(s, TextString("a"));
}

TEST(TextStringTest, AppendsAndSetsFromItsOwnBytes) {
  TextString s(std::string(100, 'z').c_str());
  s.Append(s);
  EXPECT_EQ(Bytes(s), std::string(200, 'z'));
  s.Set("0123456789");
  s.Set(s.Data() + 4, 6);
  EXPECT_EQ(Bytes(s), "456789");
  s.Set("x", -1);
  s.Append(nullptr);
  EXPECT_TRUE(s.IsEmpty());
}

TEST(TextStringTest, CopiesAndMovesAreIndependent) {
  TextString a("product");
  TextString b(a);
  b.Append('!');
  TextString c(std::move(b));
  a = c;
  c.Set("other");
  EXPECT_EQ(a, TextString("product!"));
  EXPECT_EQ("Install " + a + ".", TextString("Install product!."));
}

TEST(TextStringTest, OrdersByUnsignedBytesThenLength) {
  EXPECT_LT(TextString("ab"), TextString("abc"));
  EXPECT_LT(TextString("abc"), TextString("abd"));
  EXPECT_LT(TextString("z"), TextString("\x80"));
  EXPECT_GT(TextString("b").Compare("abc"), 0);
}

TEST(TextStringTest, GrowingPastTheLimitThrowsAndKeepsTheText) {
  TextString s("a");
  char byte = 'b';
  EXPECT_THROW(s.Append(&byte, 0x3FFFFFFF), std::bad_alloc);
  EXPECT_EQ(Bytes(s), "a");
}

TEST(ConversionBufferTest, ConvertsToTerminatedTextCutAt10239Bytes) {
  EXPECT_STREQ(TextString("abcdef", 3).ToCString(), "abc");
  EXPECT_STREQ(TextString(nullptr).ToCString(), "");
  for (int length : {10239, 10240, 20000}) {
    std::string text(length, 'q');
    EXPECT_EQ(std::string(TextString(text.c_str()).ToCString()), text.substr(0, 10239)) << length;
  }
}

TEST(ConversionBufferTest, EveryConversionReplacesTheLast) {
  const char* first = TextString("first text").ToCString();
  const char* second = TextString("second").ToCString();
  EXPECT_EQ(first, second);
  EXPECT_STREQ(first, "second");
  EXPECT_STREQ(ConversionBuffer::Convert(ConversionBuffer::Text() + 3, 3), "ond");
}
