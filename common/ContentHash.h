// A 64-bit hash of a file's contents, fed in pieces: XXH64 with seed 0,
// the published algorithm, so that a record's hashes can be checked with
// any xxhsum. It tells whether a file is still the one an install placed;
// it is no defence against someone who sets out to make two files alike
// (whoever can write the file can as well delete it).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class ContentHash {
public:
  ContentHash();
  void Add(const void* data, size_t size);
  uint64_t Value() const;

  // The hash of size bytes at once.
  static uint64_t Of(const void* data, size_t size);

private:
  uint64_t lanes[4];
  uint8_t pending[32];  // bytes not yet a whole 32-byte stripe
  size_t pendingSize = 0;
  uint64_t total = 0;
};

// Sixteen lower-case hexadecimal digits, and back; false for anything else.
std::string HashText(uint64_t hash);
bool HashFromText(const std::string& text, uint64_t* hash);
