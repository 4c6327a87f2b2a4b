// SHA-256 (FIPS 180-4) of bytes fed in pieces: the digest a signed
// distribution's manifest gives for each of its files, and the one an
// install record keeps of each file it placed. On x86 processors with the
// SHA extensions the blocks go through those instructions (about eight
// times faster in a 32-bit build); elsewhere through portable code. Both
// give the same digest; the tests hold them to each other, to the
// standard's examples and, under Wine, to Windows' own CNG.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

using Sha256Digest = std::array<uint8_t, 32>;

class Sha256 {
public:
  Sha256();
  void Add(const void* data, size_t size);
  // The digest of everything added; the object is then spent.
  Sha256Digest Finish();

  static Sha256Digest Of(const void* data, size_t size);

  // Whether blocks go through the processor's SHA instructions: only where
  // the processor has them, and only while allowed (the tests and the
  // benchmark turn them off to run the portable code on the same machine).
  static bool UsesShaInstructions();
  static void AllowShaInstructions(bool allow);

private:
  void Blocks(const uint8_t* data, size_t count);

  uint32_t state[8];
  uint8_t pending[64];  // bytes not yet a whole block
  size_t pendingSize = 0;
  uint64_t total = 0;   // bytes added
};

// Sixty-four lower-case hexadecimal digits, and back; false for anything
// else (upper case included: one spelling per digest).
std::string DigestText(const Sha256Digest& digest);
bool DigestFromText(const char* text, size_t size, Sha256Digest* digest);
