#include "common/ContentHash.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

// The published XXH64 values (seed 0): the short paths, and one long
// enough for the 32-byte stripes and every tail size after them.
TEST(ContentHash, MatchesThePublishedValues) {
  EXPECT_EQ(ContentHash::Of("", 0), 0xEF46DB3751D8E999ull);
  EXPECT_EQ(ContentHash::Of("a", 1), 0xD24EC4F1A98C6E5Bull);
  EXPECT_EQ(ContentHash::Of("abc", 3), 0x44BC2CF5AD770999ull);
  const char* text = "Nobody inspects the spammish repetition";
  EXPECT_EQ(ContentHash::Of(text, std::strlen(text)), 0xFBCEA83C8A378BF1ull);
}

// Fed in pieces of any size, across stripe edges, the value is the one of
// the whole: the copy feeds 64 KiB pieces and a short last one.
TEST(ContentHash, PiecesGiveTheValueOfTheWhole) {
  std::vector<uint8_t> data(1000);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 131 + 7);
  for (size_t length : {0u, 5u, 31u, 32u, 33u, 64u, 100u, 1000u}) {
    const uint64_t whole = ContentHash::Of(data.data(), length);
    for (size_t piece : {1u, 3u, 8u, 31u, 32u, 45u}) {
      ContentHash hash;
      for (size_t at = 0; at < length; at += piece) hash.Add(data.data() + at, std::min(piece, length - at));
      EXPECT_EQ(hash.Value(), whole) << "length " << length << ", pieces of " << piece;
    }
  }
  std::vector<uint8_t> other = data;
  other[999] ^= 1;
  EXPECT_NE(ContentHash::Of(other.data(), 1000), ContentHash::Of(data.data(), 1000));
}

TEST(ContentHash, TextRoundTripsAndRefusesAnythingElse) {
  uint64_t hash = 0;
  EXPECT_EQ(HashText(0xEF46DB3751D8E999ull), "ef46db3751d8e999");
  ASSERT_TRUE(HashFromText("ef46db3751d8e999", &hash));
  EXPECT_EQ(hash, 0xEF46DB3751D8E999ull);
  for (const char* bad : {"", "ef46db3751d8e99", "ef46db3751d8e9999", "EF46DB3751D8E999", "ef46db3751d8e99g",
                          " f46db3751d8e999"})
    EXPECT_FALSE(HashFromText(bad, &hash)) << bad;
}

}  // namespace
