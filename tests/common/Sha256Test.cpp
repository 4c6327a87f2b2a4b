#include "common/Sha256.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#include <bcrypt.h>
#endif

namespace {

std::string Hex(const std::string& bytes) { return DigestText(Sha256::Of(bytes.data(), bytes.size())); }

std::vector<uint8_t> Bytes(size_t size, uint32_t seed) {
  std::vector<uint8_t> data(size);
  for (uint8_t& byte : data) {
    seed = seed * 1103515245u + 12345u;
    byte = static_cast<uint8_t>(seed >> 16);
  }
  return data;
}

// Runs each test once with the processor's instructions (where it has
// them) and once with the portable code.
class Sha256Paths : public ::testing::TestWithParam<bool> {
protected:
  void SetUp() override { Sha256::AllowShaInstructions(GetParam()); }
  void TearDown() override { Sha256::AllowShaInstructions(true); }
};

// The standard's examples: empty, one block, two blocks (the padding
// spills into a second), and a million bytes.
TEST_P(Sha256Paths, MatchesTheStandardsExamples) {
  EXPECT_EQ(Hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(Hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
            "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
  EXPECT_EQ(Hex(std::string(1000000, 'a')), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

// Pieces of any size across block edges give the digest of the whole,
// and the two ways of computing agree on every length around a block's
// padding edges.
TEST_P(Sha256Paths, PiecesAndPathsAgree) {
  const std::vector<uint8_t> data = Bytes(4096 + 77, 3);
  for (size_t length : {0u, 1u, 55u, 56u, 63u, 64u, 65u, 119u, 120u, 128u, 1000u, 4173u}) {
    const Sha256Digest whole = Sha256::Of(data.data(), length);
    Sha256::AllowShaInstructions(!GetParam());
    EXPECT_EQ(Sha256::Of(data.data(), length), whole) << "the other path, length " << length;
    Sha256::AllowShaInstructions(GetParam());
    for (size_t piece : {1u, 7u, 63u, 64u, 65u, 1000u}) {
      Sha256 hash;
      for (size_t at = 0; at < length; at += piece) hash.Add(data.data() + at, std::min(piece, length - at));
      EXPECT_EQ(hash.Finish(), whole) << "length " << length << ", pieces of " << piece;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Both, Sha256Paths, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? "ShaInstructions" : "Portable";
                         });

TEST(Sha256, TextRoundTripsAndRefusesAnythingElse) {
  const std::string text = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
  Sha256Digest digest;
  ASSERT_TRUE(DigestFromText(text.data(), text.size(), &digest));
  EXPECT_EQ(DigestText(digest), text);
  std::string upper = text, short_ = text.substr(1), bad = text;
  upper[0] = 'B';
  bad[63] = 'g';
  for (const std::string& refused : {upper, short_, bad, text + "0", std::string()})
    EXPECT_FALSE(DigestFromText(refused.data(), refused.size(), &digest)) << refused;
}

#ifdef _WIN32
// Windows' own SHA-256 (CNG) gives the same digests, on the same bytes.
TEST(Sha256, AgreesWithWindows) {
  BCRYPT_ALG_HANDLE algorithm = nullptr;
  ASSERT_EQ(BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0), 0);
  const std::vector<uint8_t> data = Bytes(300000, 11);
  for (bool instructions : {true, false}) {
    Sha256::AllowShaInstructions(instructions);
    for (size_t length : {0u, 3u, 64u, 100u, 4096u, 65537u, 300000u}) {
      Sha256Digest windows;
      BCRYPT_HASH_HANDLE hash = nullptr;
      ASSERT_EQ(BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0), 0);
      ASSERT_EQ(BCryptHashData(hash, const_cast<PUCHAR>(data.data()), static_cast<ULONG>(length), 0), 0);
      ASSERT_EQ(BCryptFinishHash(hash, windows.data(), static_cast<ULONG>(windows.size()), 0), 0);
      BCryptDestroyHash(hash);
      EXPECT_EQ(Sha256::Of(data.data(), length), windows) << "length " << length;
    }
  }
  Sha256::AllowShaInstructions(true);
  BCryptCloseAlgorithmProvider(algorithm, 0);
}
#endif

}  // namespace
