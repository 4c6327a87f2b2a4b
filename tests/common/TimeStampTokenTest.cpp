// The time of an RFC 3161 TSTInfo, read from annotated DER bytes, and
// nothing read from bytes that break DER or the TSTInfo's order.
#include "common/TimeStampToken.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Element(uint8_t tag, const Bytes& contents) {
  Bytes out = {tag};
  if (contents.size() < 128) {
    out.push_back(static_cast<uint8_t>(contents.size()));
  } else {
    out.insert(out.end(), {0x82, static_cast<uint8_t>(contents.size() >> 8), static_cast<uint8_t>(contents.size())});
  }
  out.insert(out.end(), contents.begin(), contents.end());
  return out;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

Bytes Text(const std::string& text) { return Bytes(text.begin(), text.end()); }

Bytes TstInfo(const std::string& genTime, uint8_t timeTag = 0x18) {
  return Element(0x30, Concat({
                           Element(0x02, {0x01}),                    // version 1
                           Element(0x06, {0x2a, 0x03, 0x04}),        // policy 1.2.3.4
                           Element(0x30, Element(0x06, {0x2b})),     // messageImprint (any SEQUENCE)
                           Element(0x02, {0x07}),                    // serialNumber 7
                           Element(timeTag, Text(genTime)),          // genTime
                           Element(0x01, {0xFF}),                    // ordering TRUE: after the time, not read
                       }));
}

bool Read(const Bytes& bytes, TokenTime* time) { return TimeStampTokenTime(bytes.data(), bytes.size(), time); }

TEST(TimeStampToken, ReadsTheGeneralizedTime) {
  TokenTime time;
  ASSERT_TRUE(Read(TstInfo("20261208082012Z"), &time));
  EXPECT_EQ(time.year, 2026);
  EXPECT_EQ(time.month, 12);
  EXPECT_EQ(time.day, 8);
  EXPECT_EQ(time.hour, 8);
  EXPECT_EQ(time.minute, 20);
  EXPECT_EQ(time.second, 12);
  ASSERT_TRUE(Read(TstInfo("19991231235960.125Z"), &time));
  EXPECT_EQ(time.second, 60);
  // Inside the OCTET STRING a signed message's content comes in.
  ASSERT_TRUE(Read(Element(0x04, TstInfo("20300101000000Z")), &time));
  EXPECT_EQ(time.year, 2030);
}

TEST(TimeStampToken, RefusesWhatIsNotOne) {
  const Bytes good = TstInfo("20261208082012Z");
  const struct {
    const char* what;
    Bytes bytes;
  } cases[] = {
      {"empty", {}},
      {"cut anywhere", Bytes(good.begin(), good.begin() + 30)},
      {"a length past the end", Concat({{0x30, 0x84, 0x7F, 0xFF, 0xFF, 0xFF}, Bytes(good.begin() + 2, good.end())})},
      {"an indefinite length", Concat({{0x30, 0x80}, Bytes(good.begin() + 2, good.end())})},
      {"five length bytes", {0x30, 0x85, 0, 0, 0, 0, 1, 0}},
      {"a UTCTime", TstInfo("261208082012Z", 0x17)},
      {"no Z", TstInfo("20261208082012+")},
      {"a month 13", TstInfo("20261308082012Z")},
      {"an hour 24", TstInfo("20261208242012Z")},
      {"a letter", TstInfo("2026120808201xZ")},
      {"a dot without a fraction", TstInfo("20261208082012.Z")},
      {"too short", TstInfo("202612080820Z")},
      {"not a SEQUENCE", Element(0x31, Bytes(good.begin() + 2, good.end()))},
      {"more after the OCTET STRING", Concat({Element(0x04, good), {0x00}})},
  };
  for (const auto& c : cases) {
    TokenTime time;
    EXPECT_FALSE(Read(c.bytes, &time)) << c.what;
  }
}

}  // namespace
