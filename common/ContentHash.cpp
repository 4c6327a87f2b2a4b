#include "common/ContentHash.h"

#include <cstring>

namespace {

constexpr uint64_t kPrime1 = 0x9E3779B185EBCA87ull;
constexpr uint64_t kPrime2 = 0xC2B2AE3D27D4EB4Full;
constexpr uint64_t kPrime3 = 0x165667B19E3779F9ull;
constexpr uint64_t kPrime4 = 0x85EBCA77C2B2AE63ull;
constexpr uint64_t kPrime5 = 0x27D4EB2F165667C5ull;

uint64_t RotateLeft(uint64_t value, int bits) { return (value << bits) | (value >> (64 - bits)); }

// Little-endian whatever the machine. On a little-endian one a plain load:
// assembled byte by byte, a 32-bit build hashes three times slower.
template <typename Word>
Word ReadLittle(const uint8_t* p) {
  Word value = 0;
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
  std::memcpy(&value, p, sizeof value);
#else
  for (int i = sizeof(Word) - 1; i >= 0; --i) value = Word(value << 8) | p[i];
#endif
  return value;
}

uint64_t Read64(const uint8_t* p) { return ReadLittle<uint64_t>(p); }
uint32_t Read32(const uint8_t* p) { return ReadLittle<uint32_t>(p); }

uint64_t Round(uint64_t lane, uint64_t input) {
  lane += input * kPrime2;
  return RotateLeft(lane, 31) * kPrime1;
}

uint64_t Merge(uint64_t hash, uint64_t lane) {
  hash ^= Round(0, lane);
  return hash * kPrime1 + kPrime4;
}

void Stripe(uint64_t* lanes, const uint8_t* p) {
  for (int i = 0; i < 4; ++i) lanes[i] = Round(lanes[i], Read64(p + 8 * i));
}

}  // namespace

ContentHash::ContentHash() : lanes{kPrime1 + kPrime2, kPrime2, 0, 0 - kPrime1}, pending{} {}

void ContentHash::Add(const void* data, size_t size) {
  const uint8_t* p = static_cast<const uint8_t*>(data);
  total += size;
  if (pendingSize) {
    const size_t take = size < 32 - pendingSize ? size : 32 - pendingSize;
    std::memcpy(pending + pendingSize, p, take);
    pendingSize += take;
    p += take;
    size -= take;
    if (pendingSize < 32) return;
    Stripe(lanes, pending);
    pendingSize = 0;
  }
  for (; size >= 32; p += 32, size -= 32) Stripe(lanes, p);
  std::memcpy(pending, p, size);
  pendingSize = size;
}

uint64_t ContentHash::Value() const {
  uint64_t hash;
  if (total >= 32) {
    hash = RotateLeft(lanes[0], 1) + RotateLeft(lanes[1], 7) + RotateLeft(lanes[2], 12) + RotateLeft(lanes[3], 18);
    for (uint64_t lane : lanes) hash = Merge(hash, lane);
  } else {
    hash = kPrime5;
  }
  hash += total;
  const uint8_t* p = pending;
  size_t left = pendingSize;
  for (; left >= 8; p += 8, left -= 8) hash = RotateLeft(hash ^ Round(0, Read64(p)), 27) * kPrime1 + kPrime4;
  if (left >= 4) {
    hash = RotateLeft(hash ^ (uint64_t(Read32(p)) * kPrime1), 23) * kPrime2 + kPrime3;
    p += 4;
    left -= 4;
  }
  for (; left > 0; ++p, --left) hash = RotateLeft(hash ^ (*p * kPrime5), 11) * kPrime1;
  hash ^= hash >> 33;
  hash *= kPrime2;
  hash ^= hash >> 29;
  hash *= kPrime3;
  hash ^= hash >> 32;
  return hash;
}

uint64_t ContentHash::Of(const void* data, size_t size) {
  ContentHash hash;
  hash.Add(data, size);
  return hash.Value();
}

std::string HashText(uint64_t hash) {
  static const char kDigits[] = "0123456789abcdef";
  std::string text(16, '0');
  for (int i = 15; i >= 0; --i, hash >>= 4) text[i] = kDigits[hash & 15];
  return text;
}

bool HashFromText(const std::string& text, uint64_t* hash) {
  if (text.size() != 16) return false;
  uint64_t value = 0;
  for (char c : text) {
    const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
    if (digit < 0) return false;
    value = (value << 4) | uint64_t(digit);
  }
  *hash = value;
  return true;
}
